package com.norvane.quill.tessel.gen.harness;

import com.norvane.quill.tessel.gen.XmlAgent;
import java.nio.charset.Charset;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.concurrent.atomic.AtomicBoolean;
import java.util.concurrent.atomic.AtomicInteger;
import java.util.regex.Pattern;

/**
 * Drives libxmlagent through the portal's class in a real JVM, one scenario per process (init
 * parameters hold for the life of the process).
 *
 * <p>Usage: XmlAgentHarness SCENARIO TEMP_DIR, with -Dxmlagent.sample=the sample folder. Prints
 * one line per check and "N passed, M failed"; exits 1 when a check failed. The issues scenario
 * also wants -Dxmlagent.issuesLibrary=the built sample domain library ISSUES.so (the soak uses
 * it when given). The soak takes its size after the folder: soak TEMP_DIR [THREADS CALLS],
 * 16 threads of 500 calls each by default.
 */
public final class XmlAgentHarness {
  private static final String NOT_IMPLEMENTED = "Method Not Implemented";
  /** What "returns at once" allows: a lost wake-up or a dead thread would wait for ever. */
  private static final long AT_ONCE_MS = 3000;
  /** Modified UTF-8 writes both the NUL and the G clef differently from plain UTF-8. */
  private static final String DEBUG_LEVEL_TEXT = "5\uD834\uDD1E\u0000!";

  private final Checks checks = new Checks();
  private final Installation inst;
  private final XmlAgent agent = new XmlAgent();
  private Path sample;

  private XmlAgentHarness(Installation inst) {
    this.inst = inst;
  }

  public static void main(String[] args) throws Exception {
    boolean sized = args.length == 4 && args[0].equals("soak");
    if ((args.length != 2 && !sized) || System.getProperty("xmlagent.sample") == null) {
      System.err.println("usage: java -Dxmlagent.sample=DIR XmlAgentHarness "
          + "basics|sync|async|threads|exit|exit-check|demo|datasource|extensions|issues TEMP_DIR"
          + "\n       java -Dxmlagent.sample=DIR XmlAgentHarness soak TEMP_DIR [THREADS CALLS]");
      System.exit(2);
    }
    String scenario = args[0];
    Path temp = Path.of(args[1]).toAbsolutePath();
    Path sample = Path.of(System.getProperty("xmlagent.sample")).toAbsolutePath();
    if (scenario.equals("exit-check")) {
      System.exit(exitCheck(temp.resolve("exit")));
    }
    Files.createDirectories(temp);
    Path root = scenario.equals("exit")
        ? temp.resolve("exit") : Files.createTempDirectory(temp, scenario + "-");
    XmlAgentHarness harness = new XmlAgentHarness(new Installation(root, sample));
    harness.sample = sample;
    harness.checks.note("scenario " + scenario + " in " + root);
    switch (scenario) {
      case "basics" -> harness.basics();
      case "sync" -> harness.sync();
      case "async" -> harness.async();
      case "threads" -> harness.threads();
      case "exit" -> harness.exitWhileBusy();
      case "demo" -> harness.demo();
      case "datasource" -> harness.dataSource();
      case "extensions" -> harness.extensions();
      case "issues" -> harness.issues();
      case "soak" -> new Soak(harness.checks, harness.inst, harness.agent, sample,
          sized ? Integer.parseInt(args[2]) : 16, sized ? Integer.parseInt(args[3]) : 500).run();
      default -> {
        System.err.println("unknown scenario " + scenario);
        System.exit(2);
      }
    }
    System.exit(harness.checks.finish());
  }

  private static long millisOf(Runnable call) {
    long start = System.nanoTime();
    call.run();
    return (System.nanoTime() - start) / 1_000_000;
  }

  private void basics() throws Exception {
    // Null texts must not reach the library as anything but empty texts.
    agent.setInitParameter(null, null);
    agent.setInitParameter("harnessNullValue", null);
    // Bound before bind(), so it wins; the log echoes it, showing how the text arrived.
    agent.setInitParameter("debugLevel", DEBUG_LEVEL_TEXT);
    inst.bind(agent, "0");
    agent.init();
    long refresh = millisOf(agent::refresh);
    checks.check("refresh right after init returns at once", refresh < AT_ONCE_MS, refresh + " ms");
    checks.check("refresh before any request does not start the agent",
        !Files.exists(inst.userData.resolve("logs")));
    checks.check("name() is not implemented", NOT_IMPLEMENTED.equals(agent.name()));
    checks.check("GetParent(7) is not implemented", NOT_IMPLEMENTED.equals(agent.GetParent(7)));
    checks.check("GetParent(-1) is not implemented", NOT_IMPLEMENTED.equals(agent.GetParent(-1)));
    agent.sync();

    checks.check("generate without a parameter file returns 0",
        agent.generateFromLinkWithAParameterFile() == 0);
    checks.check("generate without a parameter file writes no Output.txt",
        !Files.exists(inst.output));

    inst.writeParameterFile();
    checks.check("generate returns 0", agent.generateFromLinkWithAParameterFile() == 0);
    checks.check("generate writes Output.txt", Files.exists(inst.output));
    String echo = "Setting debug level to " + DEBUG_LEVEL_TEXT;
    String logBytes = new String(Files.readAllBytes(inst.log), StandardCharsets.ISO_8859_1);
    checks.check("a NUL and a character beyond U+FFFF arrive as plain UTF-8",
        logBytes.contains(new String(echo.getBytes(StandardCharsets.UTF_8),
            StandardCharsets.ISO_8859_1)));

    agent.close();
    long secondClose = millisOf(agent::close);
    checks.check("a second close returns at once", secondClose < AT_ONCE_MS, secondClose + " ms");

    Files.delete(inst.output);
    Files.setLastModifiedTime(inst.document, Installation.OLD);
    byte[] before = Files.readAllBytes(inst.document);
    long[] result = new long[1];
    long late = millisOf(() -> result[0] = agent.generateFromLinkWithAParameterFile());
    checks.check("generate after close returns 0 at once", result[0] == 0 && late < AT_ONCE_MS,
        "result " + result[0] + " after " + late + " ms");
    checks.check("generate after close writes no Output.txt", !Files.exists(inst.output));
    checks.check("generate after close leaves the document alone",
        !inst.documentRewritten() && Arrays.equals(before, Files.readAllBytes(inst.document)));
    long lateRefresh = millisOf(agent::refresh);
    checks.check("refresh after close returns at once", lateRefresh < AT_ONCE_MS);
    checkNoJniWarnings();
  }

  private void sync() throws Exception {
    inst.bind(agent, "0");
    inst.writeParameterFile();
    agent.init();
    checks.check("generate returns 0", agent.generateFromLinkWithAParameterFile() == 0);
    agent.close();
    checks.check("Output.txt is written and empty (no result text)",
        Files.exists(inst.output) && Files.size(inst.output) == 0);
    checks.check("the document is written back", inst.documentRewritten());
    checks.check("no error page is written", !Files.exists(inst.errorPage()));
    checks.check("the log says asynchronous mode is off",
        inst.logContains("Diabling asynchronous mode"));
    checks.check("the log has the FILE_NAME debug line",
        inst.debugLinesOf(inst.document.toString()) == 1);
    checks.check("the log has the ARTIFACT_LOCATOR debug line",
        inst.debugLinesOf(Installation.LOCATOR) == 1);
    checks.check("nothing is queued", !inst.logContains("Queued request for "));
    checkNoJniWarnings();
  }

  /**
   * The sample requirements report over the Needwise data source, asked for in the portal's
   * normal queued mode, then the ancestors of a nested requirement, of a top-level one and of a
   * locator that names nothing. The sample store ships as SQL, built into a database on first use.
   */
  private void dataSource() throws Exception {
    Path page = template("requirements", "requirements");
    inst.writeRequest(page, "Needwise:Project:Path=Projects/TicketKiosk", "requirements");
    inst.bind(agent, "20000");
    agent.init();
    agent.generateFromLinkWithAParameterFile();
    checks.check("the log has the timing line",
        inst.logContains("Template requirements generated in "));
    checks.check("no error page is written",
        !Files.exists(inst.generated.resolve("requirementsERR.htm")));
    String text = new String(Files.readAllBytes(page), StandardCharsets.UTF_8);
    checks.check("the comments became commands", !text.contains("class=\"msocomanchor\""));
    // REQ-001 is kept by the report's predicate; rejected and deferred ones are filtered out.
    int first = text.indexOf(">REQ-001<");
    checks.check("the table lists a kept requirement", first >= 0);
    checks.check("the page names the project", text.contains("TicketKiosk"));
    checks.check("a module picture is written beside the page",
        Files.isDirectory(inst.generated.resolve("requirements_files"))
            || text.contains(".png"));
    Path database = inst.home.resolve("datasources").resolve("Needwise.db");
    checks.check("the store's SQL was built into a database", Files.isRegularFile(database));
    byte[] databaseBytes = Files.readAllBytes(database);

    ancestors("Needwise:Requirement:ReqId=REQ-004",
        "Accept contactless cards and phones:Accept payment by bank card");
    ancestors("Needwise:Requirement:ReqId=REQ-002", "Accept payment by bank card");
    ancestors("Needwise:Requirement:ReqId=REQ-001", "");
    // A locator that names nothing gives an empty Output.txt.
    ancestors("Needwise:Requirement:ReqId=NO-SUCH", "");
    agent.close();
    checks.check("generation and queries leave the database unchanged",
        Arrays.equals(databaseBytes, Files.readAllBytes(database)));
    checkNoJniWarnings();
  }

  /**
   * The CSV overview of the sample tables in the portal's queued mode: the class CsvFile that the
   * sample installation's DOMAIN.EXT adds, repeated over the folder, with its script attribute
   * (the record count) and its record-source attributes (the first record's fields). The
   * template is saved in windows-1252 and holds non-ASCII text, as the page must.
   */
  private void extensions() throws Exception {
    Path page = template("tables", "tables");
    Path tables = sample.resolve("tables");
    inst.writeRequest(page, "FileSys:Directory:FullName=" + tables, "tables");
    inst.bind(agent, "20000");
    agent.init();
    checks.check("generate returns 0", agent.generateFromLinkWithAParameterFile() == 0);
    agent.close();
    checks.check("the request is queued", inst.logContains("Queued request for tables"));
    checks.check("the log has the timing line", inst.logContains("Template tables generated in "));
    checks.check("the extension file has no error", !inst.logContains("has an error"));
    checks.check("no error page is written",
        !Files.exists(inst.generated.resolve("tablesERR.htm")));
    String text = new String(Files.readAllBytes(page), Charset.forName("windows-1252"));
    checks.check("the page keeps its code page", text.contains("charset=windows-1252"));
    int budget = text.indexOf(">budget.csv<");
    int milestones = text.indexOf(">milestones.csv<");
    int suppliers = text.indexOf(">suppliers.csv<");
    checks.check("the subclass is repeated once per non-empty CSV file, by name",
        budget >= 0 && budget < milestones && milestones < suppliers,
        budget + " / " + milestones + " / " + suppliers);
    checks.check("the constructor script leaves the empty file out",
        !text.contains(">empty.csv<"));
    checks.check("files that do not match the pattern are left out",
        !text.contains(">README.txt<"));
    checks.check("the script attribute counts each file's records",
        Pattern.compile(">budget\\.csv<.*?>4<.*?>milestones\\.csv<.*?>3<.*?>suppliers\\.csv<.*?>3<",
            Pattern.DOTALL).matcher(text).find());
    checks.check("the record-source attributes show the first record's fields",
        text.contains(">Requirements<") && text.contains(">Projektbüro<")
            && text.contains(">Kick-off<") && text.contains(">2024-01-15<")
            && text.contains(">Müller &amp; Söhne GmbH<") && text.contains(">Graz<"));
    checks.check("the template's own non-ASCII text is kept",
        text.contains("Datensätze") && text.contains("CSV-Übersicht") && text.contains("–"));
    checkNoJniWarnings();
  }

  /**
   * The issue tracker page over the sample domain library ISSUES.so (installed into the home's
   * domains folder beside the schema Issues.dom), asked for in the portal's normal queued mode.
   * The template declares windows-1252, so the page is read in that code page.
   */
  private void issues() throws Exception {
    String library = System.getProperty("xmlagent.issuesLibrary");
    checks.check("the sample domain library is given", library != null && Files.exists(Path.of(library)),
        String.valueOf(library));
    if (library == null) {
      System.exit(checks.finish());
    }
    Files.copy(Path.of(library), inst.home.resolve("domains").resolve("ISSUES.so"));
    Path page = template("issues", "issues");
    Path tracker = sample.resolve("data").resolve("issues").resolve("issues.csv");
    inst.writeRequest(page, "Issues:Tracker:File=" + tracker, "issues");
    inst.bind(agent, "20000");
    agent.init();
    agent.generateFromLinkWithAParameterFile();
    agent.close();
    checks.check("the request is queued", inst.logContains("Queued request for issues"));
    checks.check("the log has the timing line", inst.logContains("Template issues generated in "));
    checks.check("no error page is written",
        !Files.exists(inst.generated.resolve("issuesERR.htm")));
    String text = new String(Files.readAllBytes(page), Charset.forName("windows-1252"));
    checks.check("the page still declares windows-1252", text.contains("charset=windows-1252"));
    checks.check("the comments became commands",
        !text.contains("class=msocomanchor") && !text.contains("class=\"msocomanchor\""));
    int source = text.indexOf("issues.csv<");
    checks.check("the tracker's file and issue count are shown",
        source >= 0 && text.indexOf(">12<", source) > source
            && text.indexOf(">12<", source) < source + 400, String.valueOf(source));
    // The table sorts its keys numerically: TK-2 before TK-10, TK-10 before TK-11.
    int tk2 = text.indexOf(">TK-2<");
    int tk10 = text.indexOf(">TK-10<");
    int tk11 = text.indexOf(">TK-11<");
    checks.check("the issues are sorted by key as numbers", tk2 >= 0 && tk2 < tk10 && tk10 < tk11,
        tk2 + " / " + tk10 + " / " + tk11);
    checks.check("an estimate goes through the number modifier", text.contains(">3.500<"));
    checks.check("the votes are whole numbers", text.contains(">34<"));
    checks.check("a name with an umlaut survives the code page", text.contains(">Katrin M\u00fcller<"));
    checks.check("a title with a diaeresis survives the code page",
        text.contains("Refund screen says \"na\u00efve\""));
    checks.check("the formatted description is written as HTML",
        text.contains("<li>Heat the guide before printing</li>"));
    Path pictures = inst.generated.resolve("issues_files");
    long written;
    try (var files = Files.list(pictures)) {
      written = files.filter(p -> p.toString().endsWith(".png")).count();
    } catch (java.io.IOException e) {
      written = 0;
    }
    // Four avatars and the three screenshots.
    checks.check("the pictures are written beside the page", written == 7, written + " pictures");
    checkNoJniWarnings();
  }

  /** Asks for a requirement's ancestors: the titles above it, nearest first, joined by ":". */
  private void ancestors(String locator, String expected) throws Exception {
    String chain = inst.ancestors(agent, locator);
    checks.check("ancestors of " + locator, expected.equals(chain), chain);
  }

  /** A copy of the sample template NAME.htm in the generated folder as AS.htm. */
  private Path template(String name, String as) throws java.io.IOException {
    Path page = inst.generated.resolve(as + ".htm");
    Files.copy(sample.resolve("templates").resolve(name + ".htm"), page);
    return page;
  }

  /**
   * The demo page: the Word-saved folder template about the sample data folder, whose OPEN is
   * completed from the locator, generated on the command thread.
   */
  private void demo() throws Exception {
    Path page = template("folder", "folder");
    Path data = sample.resolve("data");
    inst.writeRequest(page, "FileSys:Directory:FullName=" + data, "folder");
    inst.bind(agent, "0");
    agent.init();
    checks.check("generate returns 0", agent.generateFromLinkWithAParameterFile() == 0);
    // The same template with a DISPLAY of an attribute the folder's files do not have.
    Path broken = inst.generated.resolve("broken.htm");
    String template = new String(Files.readAllBytes(page), StandardCharsets.ISO_8859_1);
    Files.write(broken, new String(Files.readAllBytes(sample.resolve("templates").resolve("folder.htm")),
        StandardCharsets.ISO_8859_1).replaceFirst(":NameMinusExtension:", ":NoSuchAttribute:")
        .getBytes(StandardCharsets.ISO_8859_1));
    inst.writeRequest(broken, "FileSys:Directory:FullName=" + data, "broken");
    agent.generateFromLinkWithAParameterFile();
    agent.close();
    checks.check("no error page is written for the good template",
        !Files.exists(inst.generated.resolve("folderERR.htm")));
    Path errorPage = inst.generated.resolve("brokenERR.htm");
    checks.check("the broken template gets an error page beside it", Files.exists(errorPage));
    checks.check("the error page names the attribute", Files.exists(errorPage)
        && new String(Files.readAllBytes(errorPage), StandardCharsets.ISO_8859_1)
            .contains("NoSuchAttribute"));
    checks.check("the log reports no timing line for the broken template",
        !inst.logContains("Template broken generated in "));
    String text = template;
    checks.check("the comments became commands", !text.contains("class=\"msocomanchor\""));
    checks.check("the page shows the folder's location", text.contains(data.toString()));
    int earlier = text.indexOf(">2.9.txt<");
    int later = text.indexOf(">2.10.txt<");
    checks.check("the file table lists 2.9.txt before 2.10.txt", earlier >= 0 && earlier < later,
        earlier + " / " + later);
    checks.check("the records of team.csv are listed",
        text.contains(">Ann Archer<") && text.contains(">Dan Dyer<"));
    checks.check("the log has the timing line",
        inst.logContains("Template folder generated in "));

    // A restarted agent has the same domains as the first one: the page about the folder again.
    Path again = template("folder", "again");
    inst.writeRequest(again, "FileSys:Directory:FullName=" + data, "again");
    agent.init();
    checks.check("generate after a restart returns 0",
        agent.generateFromLinkWithAParameterFile() == 0);
    agent.close();
    checks.check("no error page is written after a restart",
        !Files.exists(inst.generated.resolve("againERR.htm")));
    String regenerated = new String(Files.readAllBytes(again), StandardCharsets.ISO_8859_1);
    checks.check("the page made after a restart lists the folder's files",
        regenerated.contains(">2.9.txt<") && regenerated.contains(">2.10.txt<"));
    checkNoJniWarnings();
  }

  private void async() throws Exception {
    inst.bind(agent, "8000");
    inst.writeParameterFile();
    agent.init();
    checks.check("generate returns 0", agent.generateFromLinkWithAParameterFile() == 0);
    agent.close();
    checks.check("the request is queued",
        inst.logContains("Queued request for " + Installation.TEMPLATE_ID));
    checks.check("the document is written back", inst.documentRewritten());
    checks.check("Output.txt is written", Files.exists(inst.output));
    checkNoJniWarnings();
  }

  private void threads() throws Exception {
    final int threadCount = 8;
    final int callsPerThread = 25;
    inst.bind(agent, "8000");
    inst.writeParameterFile();
    agent.init();
    AtomicInteger returned = new AtomicInteger();
    AtomicInteger nonZero = new AtomicInteger();
    List<Thread> threads = new ArrayList<>();
    for (int t = 0; t < threadCount; t++) {
      Thread thread = new Thread(() -> {
        for (int i = 0; i < callsPerThread; i++) {
          if (agent.generateFromLinkWithAParameterFile() != 0) {
            nonZero.incrementAndGet();
          }
          returned.incrementAndGet();
        }
      }, "poster-" + t);
      thread.setDaemon(true);
      threads.add(thread);
    }
    long deadline = System.currentTimeMillis() + 240_000;
    threads.forEach(Thread::start);
    for (Thread thread : threads) {
      thread.join(Math.max(1, deadline - System.currentTimeMillis()));
    }
    int total = threadCount * callsPerThread;
    checks.check("every call returns within the time limit", returned.get() == total,
        returned.get() + " of " + total);
    if (returned.get() != total) {
      System.exit(checks.finish());
    }
    checks.check("every call returns 0", nonZero.get() == 0, nonZero.get() + " did not");
    agent.close();
    long served = inst.debugLinesOf(inst.document.toString());
    checks.check("every call is served once (FILE_NAME lines)", served == total,
        served + " of " + total);
    checkNoJniWarnings();
  }

  /**
   * Leaves the process through System.exit while posters are busy and without a close: the
   * library's unload step must close the agent, and the process must end. exit-check then reads
   * the log of this run.
   */
  private void exitWhileBusy() throws Exception {
    inst.bind(agent, "8000");
    inst.writeParameterFile();
    agent.init();
    AtomicBoolean stop = new AtomicBoolean();
    AtomicInteger calls = new AtomicInteger();
    for (int t = 0; t < 4; t++) {
      Thread thread = new Thread(() -> {
        while (!stop.get()) {
          agent.generateFromLinkWithAParameterFile();
          calls.incrementAndGet();
        }
      }, "busy-" + t);
      thread.setDaemon(true);
      thread.start();
    }
    long deadline = System.currentTimeMillis() + 60_000;
    while (calls.get() < 20 && System.currentTimeMillis() < deadline) {
      Thread.sleep(50);
    }
    checks.check("the posters are busy before the exit", calls.get() >= 20, calls.get() + " calls");
  }

  private static int exitCheck(Path root) throws Exception {
    Checks checks = new Checks();
    Path log = root.resolve("user-data").resolve("logs").resolve("xmlagent.log");
    String text = Files.exists(log)
        ? new String(Files.readAllBytes(log), StandardCharsets.ISO_8859_1) : "";
    checks.check("the exit run left a log", !text.isEmpty(), log.toString());
    checks.check("the unload step shut the agent down",
        text.contains("Vistafold XML Agent Unloading"));
    checks.check("the unload step finished in time",
        !text.contains("unload left the command thread running"));
    return checks.finish();
  }

  /** -Xcheck:jni reports into the redirected descriptors, so its warnings land in the log. */
  private void checkNoJniWarnings() throws Exception {
    checks.check("no JNI warnings in the log", !inst.logContains("WARNING in native method"));
  }
}
