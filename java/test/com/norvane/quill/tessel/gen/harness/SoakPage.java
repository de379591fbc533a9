package com.norvane.quill.tessel.gen.harness;

import java.io.IOException;
import java.nio.charset.Charset;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.regex.Pattern;

/**
 * One kind of page the soak asks for: a sample template, or a broken copy of it, about one
 * artifact, with the texts that its page (or, for a broken template, its error page) must hold.
 * Pages are compared with a page of the same kind made earlier, after normalising what differs
 * from one request to the next: the document's own name, the date of generation, outline ids.
 */
final class SoakPage {
  static final Charset WINDOWS_1252 = Charset.forName("windows-1252");
  private static final Pattern WEEKDAY =
      Pattern.compile("(Monday|Tuesday|Wednesday|Thursday|Friday|Saturday|Sunday)");
  private static final Pattern DATE = Pattern.compile(
      "(January|February|March|April|May|June|July|August|September|October|November|December)"
          + " \\d\\d, \\d{4}");
  private static final Pattern OUTLINE_ID = Pattern.compile(" id=\"\\d+\"");

  final String name;
  final byte[] template;
  final String locator;
  final boolean good;
  /** Texts (windows-1252) of the page when good, of the error page when not. */
  final List<String> marks;

  private SoakPage(String name, byte[] template, String locator, boolean good, String... marks) {
    this.name = name;
    this.template = template;
    this.locator = locator;
    this.good = good;
    this.marks = List.of(marks);
  }

  /**
   * Every kind: good pages over the file system (with the extension's scripts), the Needwise
   * data source and, when its library is given, the remote issue tracker, all saved in
   * windows-1252; and broken copies with an unknown attribute, a command that cannot be read and
   * an unknown data-source column.
   */
  static List<SoakPage> all(Path sample, boolean withIssues) throws IOException {
    Path templates = sample.resolve("templates");
    byte[] folder = Files.readAllBytes(templates.resolve("folder.htm"));
    byte[] tables = Files.readAllBytes(templates.resolve("tables.htm"));
    byte[] requirements = Files.readAllBytes(templates.resolve("requirements.htm"));
    String data = "FileSys:Directory:FullName=" + sample.resolve("data");
    String project = "Needwise:Project:Path=Projects/TicketKiosk";
    List<SoakPage> pages = new ArrayList<>();
    pages.add(new SoakPage("folder", folder, data, true, ">2.9.txt<", ">2.10.txt<",
        ">Ann Archer<", ">Dan Dyer<"));
    pages.add(new SoakPage("tables", tables,
        "FileSys:Directory:FullName=" + sample.resolve("tables"), true, ">budget.csv<",
        ">Projektbüro<", ">Müller &amp; Söhne GmbH<", "Datensätze", "CSV-Übersicht"));
    pages.add(new SoakPage("requirements", requirements, project, true, ">REQ-001<",
        "TicketKiosk"));
    if (withIssues) {
      pages.add(new SoakPage("issues", Files.readAllBytes(templates.resolve("issues.htm")),
          "Issues:Tracker:File=" + sample.resolve("data").resolve("issues").resolve("issues.csv"),
          true, ">TK-10<", ">Katrin Müller<", "Refund screen says \"naïve\""));
    }
    pages.add(new SoakPage("bad-attribute",
        replaced(folder, ":NameMinusExtension:", ":NoSuchAttribute:"), data, false,
        "NoSuchAttribute", "[DISPLAY"));
    pages.add(new SoakPage("bad-command",
        replaced(folder, "F:f:FileSys:File::Extension:SAA:", "F:f:FileSys:File::Extension:Q"),
        data, false, "FileSys:File::Extension:Q"));
    pages.add(new SoakPage("bad-column",
        replaced(requirements, "F:p:Needwise:Project::Started:SAA:",
            "F:p:Needwise:Project::NoSuchColumn:SAA:"),
        project, false, "NoSuchColumn"));
    return pages;
  }

  /** The template with the first occurrence of a text replaced; the text must be there. */
  private static byte[] replaced(byte[] template, String from, String to) {
    String text = new String(template, StandardCharsets.ISO_8859_1);
    int at = text.indexOf(from);
    if (at < 0) {
      throw new IllegalStateException("the sample template no longer holds " + from);
    }
    return (text.substring(0, at) + to + text.substring(at + from.length()))
        .getBytes(StandardCharsets.ISO_8859_1);
  }

  /** What a generate request left in the generated folder for the document named PREFIX-KIND. */
  record Outcome(String document, String errorPage, String output, boolean rewritten) {
    static Outcome read(Path generated, String base) throws IOException {
      Path document = generated.resolve(base + ".htm");
      Path errorPage = generated.resolve(base + "ERR.htm");
      Path output = generated.resolve("Output.txt");
      String kind = base.substring(base.indexOf('-') + 1);
      return new Outcome(normalised(document, kind), normalised(errorPage, kind),
          normalised(output, kind),
          Files.getLastModifiedTime(document).compareTo(Installation.OLD) > 0);
    }

    /** The page (good) or error page (broken) decoded as the template declares it. */
    String shown(boolean good) {
      String text = good ? document : errorPage;
      return text == null ? "" : new String(text.getBytes(StandardCharsets.ISO_8859_1),
          good ? WINDOWS_1252 : StandardCharsets.UTF_8);
    }

    /** Null when equal to the expected outcome, else where the first difference lies. */
    String differenceFrom(Outcome expected) {
      if (rewritten != expected.rewritten) {
        return rewritten ? "the document was rewritten" : "the document was not rewritten";
      }
      String difference = difference("document", document, expected.document);
      if (difference == null) {
        difference = difference("error page", errorPage, expected.errorPage);
      }
      if (difference == null) {
        difference = difference("Output.txt", output, expected.output);
      }
      return difference;
    }
  }

  /** The outcome of a request that did nothing: the template as it was, no other file. */
  Outcome untouched(String base) {
    return new Outcome(normalise(new String(template, StandardCharsets.ISO_8859_1), name), null,
        null, false);
  }

  private static String difference(String what, String actual, String expected) {
    if (actual == null || expected == null) {
      return actual == expected ? null
          : what + (actual == null ? " is missing" : " is there and should not be");
    }
    if (actual.equals(expected)) {
      return null;
    }
    int at = 0;
    while (at < actual.length() && at < expected.length()
        && actual.charAt(at) == expected.charAt(at)) {
      at++;
    }
    return what + " differs at " + at + " of " + actual.length() + " (expected " + expected.length()
        + "): \"" + excerpt(actual, at) + "\" instead of \"" + excerpt(expected, at) + "\"";
  }

  private static String excerpt(String text, int at) {
    return text.substring(Math.max(0, at - 30), Math.min(text.length(), at + 50))
        .replace("\r", "\\r").replace("\n", "\\n");
  }

  /** The file's bytes as ISO-8859-1 text (one char a byte), normalised; null when missing. */
  private static String normalised(Path file, String kind) throws IOException {
    if (!Files.exists(file)) {
      return null;
    }
    return normalise(new String(Files.readAllBytes(file), StandardCharsets.ISO_8859_1), kind);
  }

  /**
   * Documents are named PREFIX-KIND (t3-folder, ref-folder): any document of the kind becomes
   * one name, since a queued request joined by a later caller was generated for the first
   * caller's document and is written over the later caller's.
   */
  private static String normalise(String text, String kind) {
    String plain = text.replaceAll("\\b(t\\d+|ref2?)-" + Pattern.quote(kind), "@DOC@");
    plain = WEEKDAY.matcher(plain).replaceAll("@WEEKDAY@");
    plain = DATE.matcher(plain).replaceAll("@DATE@");
    return OUTLINE_ID.matcher(plain).replaceAll(" id=\"@ID@\"");
  }
}
