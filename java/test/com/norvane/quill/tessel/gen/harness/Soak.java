package com.norvane.quill.tessel.gen.harness;

import com.norvane.quill.tessel.gen.XmlAgent;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import java.util.Random;
import java.util.concurrent.BrokenBarrierException;
import java.util.concurrent.ConcurrentLinkedQueue;
import java.util.concurrent.CyclicBarrier;
import java.util.concurrent.atomic.AtomicInteger;
import java.util.concurrent.atomic.AtomicLong;
import java.util.concurrent.atomic.AtomicLongArray;
import java.util.concurrent.atomic.AtomicReferenceArray;
import java.util.concurrent.locks.ReentrantLock;
import java.util.concurrent.locks.ReentrantReadWriteLock;
import java.util.regex.Pattern;

/**
 * Many portal threads on one library for a long mix of calls: pages in queued and synchronous
 * mode (good templates and broken ones, over the file system, a data source and, when given, the
 * remote issue tracker), ancestors, refresh and setInitParameter. The agent is closed and
 * started again between rounds, alternating the mode through the settings file, and closed for
 * good while calls are still in flight. Every call must return, every page must be the page made
 * for its kind in a quiet phase first, no thread of the library may outlive the close, and the
 * resident memory must not grow after the warm-up rounds.
 *
 * <p>The parameter file and Output.txt are one per user-data folder, so a request is written,
 * made and read under one lock, as the portal must; refresh, setInitParameter and the final
 * close go without it.
 */
final class Soak {
  /** The library's threads take the name of the Java thread that started them. */
  private static final String INIT_THREAD = "xmlagent-init";
  /** A call that has not returned after this long is hung. */
  private static final long CALL_LIMIT_MS = 120_000;
  /** How long a queued request may take; far above any page of the sample. */
  private static final int QUEUED_TIMEOUT_MS = 60_000;
  /**
   * The timeout of the impatient rounds: most requests time out and the consumer goes on with
   * them while the command thread serves the next calls.
   */
  private static final int SHORT_TIMEOUT_MS = 50;
  /** What "returns at once" allows for a call after the close. */
  private static final long AT_ONCE_MS = 3000;
  /**
   * Rounds alternate queued and synchronous mode, starting queued; every other queued round
   * has the short timeout. Two rounds are warm-up.
   */
  private static final int ROUNDS = 7;
  private static final int WARM_UP_ROUNDS = 2;
  /** Growth of the resident set allowed between the warm-up and the end. */
  private static final long RSS_TOLERANCE_KB = 24 * 1024;
  private static final int SHOWN_FAILURES = 10;
  private static final Pattern LOG_FAULT = Pattern.compile(
      "WARNING in native method|Request timed out|Command \\d+ failed|XmlAgent\\.\\w+: "
          + "|Consumer thread failed on");
  private static final String[][] ANCESTORS = {
      {"Needwise:Requirement:ReqId=REQ-004",
          "Accept contactless cards and phones:Accept payment by bank card"},
      {"Needwise:Requirement:ReqId=REQ-002", "Accept payment by bank card"},
      {"Needwise:Requirement:ReqId=REQ-001", ""},
      {"Needwise:Requirement:ReqId=NO-SUCH", ""},
  };

  private final Checks checks;
  private final Installation inst;
  private final XmlAgent agent;
  private final int threadCount;
  private final int callsPerThread;
  private final List<SoakPage> pages;
  private final String[][] parameters;
  /** Expected outcome per page kind, [0] queued, [1] synchronous. */
  private final Map<String, SoakPage.Outcome[]> references = new HashMap<>();

  private final ReentrantLock requestLock = new ReentrantLock();
  private final ReentrantReadWriteLock lifecycle = new ReentrantReadWriteLock();
  private volatile boolean queued;
  private volatile boolean impatient;
  private volatile long closeStartedNs = Long.MAX_VALUE;
  private volatile long closeReturnedNs = Long.MAX_VALUE;
  private volatile int inFlightAtClose = -1;

  private final AtomicInteger done = new AtomicInteger();
  private final AtomicInteger inFlight = new AtomicInteger();
  private final AtomicLong generatedQueued = new AtomicLong();
  private final AtomicLong generatedSync = new AtomicLong();
  private final AtomicLong timedOut = new AtomicLong();
  private final AtomicLong failingPages = new AtomicLong();
  private final AtomicLong ancestorCalls = new AtomicLong();
  private final AtomicLong refreshCalls = new AtomicLong();
  private final AtomicLong parameterCalls = new AtomicLong();
  private final AtomicLong afterClose = new AtomicLong();
  private final AtomicLong slowest = new AtomicLong();
  private volatile String slowestCall = "none";
  private final AtomicInteger failures = new AtomicInteger();
  private final ConcurrentLinkedQueue<String> failureTexts = new ConcurrentLinkedQueue<>();
  /** Per watched thread (workers, the lifecycle thread, the closer): its call and start. */
  private final AtomicReferenceArray<String> currentCall;
  private final AtomicLongArray callStartNs;
  private final AtomicInteger logFaults = new AtomicInteger();
  private long rssWarmUpKb = -1;
  private long rssEndKb = -1;

  Soak(Checks checks, Installation inst, XmlAgent agent, Path sample, int threadCount,
      int callsPerThread) throws IOException {
    this.checks = checks;
    this.inst = inst;
    this.agent = agent;
    this.threadCount = threadCount;
    this.callsPerThread = callsPerThread;
    String library = System.getProperty("xmlagent.issuesLibrary");
    boolean withIssues = library != null && Files.exists(Path.of(library));
    if (withIssues) {
      Files.copy(Path.of(library), inst.home.resolve("domains").resolve("ISSUES.so"));
    }
    pages = SoakPage.all(sample, withIssues);
    // Bound first in bind(): each of these later values must be ignored, or pages go wrong.
    parameters = new String[][] {
        {"USER_DATA", inst.root.resolve("elsewhere").toString()},
        {"VISTAFOLD_HOME", inst.root.resolve("nowhere").toString()},
        {"KESTREL_STORE", inst.root.resolve("no-store").toString()},
        {"debugLevel", "0"},
        {"soakParameter" + 0, "a"},
        {"soakParameter" + 1, "b"},
        {"soakParameter" + 2, "\u00fc\u20ac"},
    };
    currentCall = new AtomicReferenceArray<>(threadCount + 2);
    callStartNs = new AtomicLongArray(threadCount + 2);
  }

  void run() throws Exception {
    List<String> threadsBefore = ProcessStatus.threadNames();
    bind();
    long started = System.nanoTime();
    quietPhase();
    if (failures.get() > 0) {
      reportFailures();
      return;
    }
    startAgent(true, false);
    int total = threadCount * callsPerThread;
    // Every worker keeps its last calls for the close: they meet at the barrier, and the close
    // is called as soon as one of those calls is in the library.
    int tail = Math.min(callsPerThread, Math.max(2, callsPerThread / 20));
    CyclicBarrier closing = new CyclicBarrier(threadCount + 1);
    List<Thread> workers = new ArrayList<>();
    for (int t = 0; t < threadCount; t++) {
      final int index = t;
      workers.add(daemon("soak-" + t, () -> work(index, callsPerThread - tail, closing)));
    }
    int beforeClose = threadCount * (callsPerThread - tail);
    Thread rounds = daemon("soak-rounds", () -> rounds(beforeClose));
    Thread closer = daemon("soak-close", () -> finalClose(rounds, closing));
    List<Thread> watched = new ArrayList<>(workers);
    watched.add(rounds);
    watched.add(closer);
    watched.forEach(Thread::start);
    while (watched.stream().anyMatch(Thread::isAlive)) {
      if (hungCall(watched)) {
        return;
      }
      Thread.sleep(20);
    }
    double seconds = (System.nanoTime() - started) / 1e9;
    scanLog(impatient);
    long rssFinalKb = ProcessStatus.residentKb();
    List<String> threadsAfter = ProcessStatus.threadNames();

    reportFailures();
    checks.check("every call returned", done.get() == total, done.get() + " of " + total);
    checks.check("every page, error page and ancestors answer is right", failures.get() == 0,
        failures.get() + " wrong");
    checks.check("the close came while calls were in flight", inFlightAtClose > 0,
        inFlightAtClose + " in flight");
    checks.check("no log round reports a fault", logFaults.get() == 0,
        logFaults.get() + " faults");
    long left = threadsAfter.stream().filter(INIT_THREAD::equals).count();
    checks.check("no thread of the library is left after the close", left == 0,
        left + " threads named " + INIT_THREAD);
    boolean sanitized = String.valueOf(System.getenv("LD_PRELOAD")).contains("asan");
    String memory = "warm-up " + rssWarmUpKb / 1024 + " MB, end " + rssEndKb / 1024
        + " MB, after close " + rssFinalKb / 1024 + " MB";
    if (sanitized) {
      checks.note("memory growth is not judged under AddressSanitizer (its quarantine keeps freed"
          + " blocks): " + memory);
    } else {
      checks.check("resident memory does not grow after the warm-up (tolerance "
              + RSS_TOLERANCE_KB / 1024 + " MB)",
          rssWarmUpKb > 0 && rssEndKb - rssWarmUpKb <= RSS_TOLERANCE_KB
              && rssFinalKb - rssWarmUpKb <= RSS_TOLERANCE_KB, memory);
    }
    checks.note(String.format("soak: %d threads x %d calls in %.1f s: generate %d queued + %d "
            + "synchronous (%d of broken templates, %d timed out and not judged), ancestors %d, refresh %d, setInitParameter "
            + "%d, %d after the close (%d in flight at the close); slowest call %d ms (%s); "
            + "failures %d; RSS %s; threads before %d, after %d",
        threadCount, callsPerThread, seconds, generatedQueued.get(), generatedSync.get(),
        failingPages.get(), timedOut.get(), ancestorCalls.get(), refreshCalls.get(), parameterCalls.get(),
        afterClose.get(), inFlightAtClose, slowest.get() / 1_000_000, slowestCall, failures.get(), memory,
        threadsBefore.size(), threadsAfter.size()));
  }

  private void bind() {
    agent.setInitParameter("VISTAFOLD_HOME", inst.home.toString());
    agent.setInitParameter("USER_DATA", inst.userData.toString());
    agent.setInitParameter("VISTAFOLD_DATA", inst.userData.toString());
    agent.setInitParameter("KESTREL_STORE", inst.home.resolve("datasources").toString());
    agent.setInitParameter("ENABLELOGGING", "TRUE");
    agent.setInitParameter("debugLevel", "5");
    // No "timeout": the settings file chooses the mode at each start.
  }

  /** Writes the mode into the settings file and starts the command thread from a named thread. */
  private void startAgent(boolean queuedMode, boolean shortTimeout) throws Exception {
    int timeout = queuedMode ? (shortTimeout ? SHORT_TIMEOUT_MS : QUEUED_TIMEOUT_MS) : 0;
    Files.write(inst.userData.resolve("vistafold.ini"), List.of("[Settings]", "timeout=" + timeout),
        StandardCharsets.ISO_8859_1);
    queued = queuedMode;
    impatient = queuedMode && shortTimeout;
    Thread starter = new Thread(agent::init, INIT_THREAD);
    starter.start();
    starter.join();
  }

  /** One page of every kind in each mode, twice, before any load: the expected outcomes. */
  private void quietPhase() throws Exception {
    for (boolean queuedMode : new boolean[] {true, false}) {
      startAgent(queuedMode, false);
      String mode = queuedMode ? "queued" : "synchronous";
      for (SoakPage page : pages) {
        SoakPage.Outcome first = generate(page, "ref-" + page.name);
        SoakPage.Outcome second = generate(page, "ref2-" + page.name);
        references.computeIfAbsent(page.name, k -> new SoakPage.Outcome[2])[queuedMode ? 0 : 1] =
            first;
        String difference = second.differenceFrom(first);
        if (difference != null) {
          fail("the " + mode + " " + page.name + " page differs between two requests: "
              + difference);
        }
        String shown = first.shown(page.good);
        for (String mark : page.marks) {
          if (!shown.contains(mark)) {
            fail("the " + mode + " " + page.name + (page.good ? " page" : " error page")
                + " lacks " + mark);
          }
        }
        if (page.good && (first.errorPage() != null || !first.rewritten())) {
          fail("the " + mode + " " + page.name + " page was not generated");
        }
        if (!page.good && first.errorPage() == null) {
          fail("the " + mode + " " + page.name + " template has no error page");
        }
      }
      for (String[] ancestor : ANCESTORS) {
        String answer = ancestors(ancestor[0]);
        if (!ancestor[1].equals(answer)) {
          fail("ancestors of " + ancestor[0] + " are " + answer + " in the quiet phase");
        }
      }
      if (queuedMode) {
        // The command and the consumer thread: proof that the library's threads can be told.
        long named = ProcessStatus.threadsNamed(INIT_THREAD);
        checks.check("the library's threads carry the starter's name", named >= 2,
            named + " threads named " + INIT_THREAD);
      }
      agent.close();
      scanLog(false);
    }
    checks.check("the quiet phase made every kind of page as expected", failures.get() == 0);
  }

  /** Closes and restarts the agent in the other mode at each round's end. */
  private void rounds(int beforeClose) {
    int slot = threadCount;
    try {
      for (int round = 1; round < ROUNDS; round++) {
        while (done.get() < (long) beforeClose * round / ROUNDS) {
          Thread.sleep(2);
        }
        lifecycle.writeLock().lock();
        try {
          begin(slot, "close at the end of round " + round);
          agent.close();
          end(slot);
          scanLog(impatient);
          if (round == WARM_UP_ROUNDS) {
            rssWarmUpKb = ProcessStatus.residentKb();
          } else if (round == ROUNDS - 1) {
            rssEndKb = ProcessStatus.residentKb();
          }
          begin(slot, "init for round " + (round + 1));
          startAgent(round % 2 == 0, round % 4 == 2);
          end(slot);
        } finally {
          lifecycle.writeLock().unlock();
        }
      }
    } catch (Exception e) {
      fail("the rounds stopped: " + e);
    }
  }

  /** After the rounds, once every worker is at its last calls and one of them is made. */
  private void finalClose(Thread rounds, CyclicBarrier closing) throws Exception {
    int slot = threadCount + 1;
    rounds.join();
    // Workers reach their last calls far apart in a long soak; a hung call is the watch's.
    try {
      closing.await();
    } catch (BrokenBarrierException e) {
      fail("the workers did not all reach their last calls: " + e);
    }
    long deadline = System.nanoTime() + 5_000_000_000L;
    while (inFlight.get() == 0 && System.nanoTime() < deadline) {
      Thread.onSpinWait();
    }
    inFlightAtClose = inFlight.get();
    closeStartedNs = System.nanoTime();
    begin(slot, "the final close");
    agent.close();
    end(slot);
    closeReturnedNs = System.nanoTime();
  }

  private void work(int index, int beforeClose, CyclicBarrier closing) {
    Random random = new Random(7919L * index + 17);
    for (int i = 0; i < callsPerThread; i++) {
      try {
        if (i == beforeClose) {
          closing.await();
        }
        int pick = random.nextInt(100);
        if (pick < 50) {
          generateChecked(index, pages.get(random.nextInt(pages.size())));
        } else if (pick < 65) {
          ancestorsChecked(index, ANCESTORS[random.nextInt(ANCESTORS.length)]);
        } else if (pick < 80) {
          begin(index, "refresh");
          agent.refresh();
          end(index);
          refreshCalls.incrementAndGet();
        } else {
          String[] parameter = parameters[random.nextInt(parameters.length)];
          begin(index, "setInitParameter " + parameter[0]);
          agent.setInitParameter(parameter[0], parameter[1]);
          end(index);
          parameterCalls.incrementAndGet();
        }
      } catch (Exception e) {
        fail("soak-" + index + " call " + i + " threw " + e);
      }
      done.incrementAndGet();
    }
  }

  private void generateChecked(int index, SoakPage page) throws Exception {
    String base = "t" + index + "-" + page.name;
    boolean queuedMode;
    boolean shortTimeout;
    SoakPage.Outcome outcome;
    long start;
    long end;
    lifecycle.readLock().lock();
    try {
      requestLock.lock();
      try {
        queuedMode = queued;
        shortTimeout = impatient;
        prepare(page, base);
        start = begin(index, "generate " + base + (queuedMode ? " queued" : " synchronous"));
        agent.generateFromLinkWithAParameterFile();
        end = end(index);
        outcome = SoakPage.Outcome.read(inst.generated, base);
      } finally {
        requestLock.unlock();
      }
    } finally {
      lifecycle.readLock().unlock();
    }
    if (start > closeReturnedNs) {
      afterClose.incrementAndGet();
      String difference = outcome.differenceFrom(page.untouched(base));
      if (difference != null || end - start > AT_ONCE_MS * 1_000_000) {
        fail(base + " after the close: " + (difference != null ? difference
            : "took " + (end - start) / 1_000_000 + " ms"));
      }
      return;
    }
    (queuedMode ? generatedQueued : generatedSync).incrementAndGet();
    if (!page.good) {
      failingPages.incrementAndGet();
    }
    String difference =
        outcome.differenceFrom(references.get(page.name)[queuedMode ? 0 : 1]);
    // A call that met the final close may also have been dropped.
    if (difference != null && end > closeStartedNs
        && outcome.differenceFrom(page.untouched(base)) == null) {
      difference = null;
    }
    // An impatient call that timed out is not judged: the consumer goes on with its request and
    // may still convert the template in place or write its error page, after the call returned.
    if (difference != null && shortTimeout) {
      difference = null;
      timedOut.incrementAndGet();
    }
    if (difference != null) {
      keepWrongPage(base, index);
      fail(base + (queuedMode ? " (queued): " : " (synchronous): ") + difference);
    }
  }

  private void ancestorsChecked(int index, String[] ancestor) throws Exception {
    String answer;
    long start;
    long end;
    lifecycle.readLock().lock();
    try {
      requestLock.lock();
      try {
        start = begin(index, "ancestors of " + ancestor[0]);
        answer = ancestors(ancestor[0]);
        end = end(index);
      } finally {
        requestLock.unlock();
      }
    } finally {
      lifecycle.readLock().unlock();
    }
    if (start > closeReturnedNs) {
      afterClose.incrementAndGet();
      if (answer != null) {
        fail("ancestors after the close wrote Output.txt: " + answer);
      }
      return;
    }
    ancestorCalls.incrementAndGet();
    boolean dropped = answer == null && end > closeStartedNs;
    if (!dropped && !ancestor[1].equals(answer)) {
      fail("ancestors of " + ancestor[0] + ": \"" + answer + "\" instead of \"" + ancestor[1]
          + "\"");
    }
  }

  /** Puts the template in place as the portal saves it, with nothing else of an earlier call. */
  private void prepare(SoakPage page, String base) throws IOException {
    Path document = inst.generated.resolve(base + ".htm");
    Files.write(document, page.template);
    Files.setLastModifiedTime(document, Installation.OLD);
    Files.deleteIfExists(inst.generated.resolve(base + "ERR.htm"));
    // Saving a template anew replaces its companion folder, numbered pictures and all.
    Installation.deleteTree(inst.generated.resolve(base + "_files"));
    Files.deleteIfExists(inst.output);
    inst.writeRequest(document, page.locator, page.name);
  }

  private SoakPage.Outcome generate(SoakPage page, String base) throws IOException {
    prepare(page, base);
    agent.generateFromLinkWithAParameterFile();
    return SoakPage.Outcome.read(inst.generated, base);
  }

  private String ancestors(String locator) throws IOException {
    return inst.ancestors(agent, locator);
  }

  /** Each round's log is read after its close and removed, so every round is seen whole. */
  private void scanLog(boolean timeoutsExpected) {
    try {
      for (String line : inst.logLines()) {
        if (LOG_FAULT.matcher(line).find()
            && !(timeoutsExpected && line.contains("Request timed out"))) {
          if (logFaults.incrementAndGet() <= SHOWN_FAILURES) {
            checks.note("log: " + line);
          }
        }
      }
      Files.deleteIfExists(inst.log);
    } catch (IOException e) {
      fail("the log cannot be read: " + e);
    }
  }

  private void keepWrongPage(String base, int index) {
    try {
      Path kept = inst.root.resolve("wrong");
      Files.createDirectories(kept);
      Path document = inst.generated.resolve(base + ".htm");
      Files.copy(document, kept.resolve(base + "-" + done.get() + ".htm"));
    } catch (IOException e) {
      // The failure itself is reported; the copy only helps to look at it.
    }
  }

  private long begin(int slot, String call) {
    long now = System.nanoTime();
    currentCall.set(slot, call);
    callStartNs.set(slot, now);
    inFlight.incrementAndGet();
    return now;
  }

  private long end(int slot) {
    long now = System.nanoTime();
    inFlight.decrementAndGet();
    String call = currentCall.get(slot);
    long took = now - callStartNs.getAndSet(slot, 0);
    if (slowest.accumulateAndGet(took, Math::max) == took) {
      slowestCall = call;
    }
    return now;
  }

  /** True (and the scenario failed) when a watched call has run past the limit. */
  private boolean hungCall(List<Thread> watched) {
    long now = System.nanoTime();
    for (int slot = 0; slot < watched.size(); slot++) {
      long start = callStartNs.get(slot);
      if (start != 0 && now - start > CALL_LIMIT_MS * 1_000_000) {
        Thread thread = watched.get(slot);
        checks.check("every call returns", false, currentCall.get(slot) + " on " + thread.getName()
            + " has not returned after " + CALL_LIMIT_MS / 1000 + " s; the thread is at "
            + Arrays.toString(thread.getStackTrace()));
        reportFailures();
        return true;
      }
    }
    return false;
  }

  private void fail(String text) {
    failures.incrementAndGet();
    failureTexts.add(text);
  }

  private void reportFailures() {
    int shown = 0;
    for (String text : failureTexts) {
      if (shown++ == SHOWN_FAILURES) {
        checks.note("... and " + (failureTexts.size() - SHOWN_FAILURES) + " more");
        break;
      }
      checks.note("wrong: " + text);
    }
    failureTexts.clear();
  }

  private static Thread daemon(String name, ThrowingRunnable body) {
    Thread thread = new Thread(() -> {
      try {
        body.run();
      } catch (Exception e) {
        throw new IllegalStateException(e);
      }
    }, name);
    thread.setDaemon(true);
    return thread;
  }

  private interface ThrowingRunnable {
    void run() throws Exception;
  }
}
