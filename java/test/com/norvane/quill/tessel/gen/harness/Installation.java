package com.norvane.quill.tessel.gen.harness;

import com.norvane.quill.tessel.gen.XmlAgent;
import java.io.IOException;
import java.io.UncheckedIOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;
import java.nio.file.attribute.FileTime;
import java.util.Comparator;
import java.util.List;
import java.util.stream.Stream;

/**
 * One scenario's folders, laid out as the portal lays them out: a home folder copied from the
 * sample installation, a user-data folder with generated/ holding the document (a copy of the
 * sample template), the parameter file and Output.txt, and the log under logs/.
 */
final class Installation {
  static final String LOCATOR = "sample-artifact-42";
  static final String SERVER = "http://localhost:8080/vistafold";
  static final String TEMPLATE_ID = "plain-template";
  /** A time long past, stamped on the document so that a write-back shows. */
  static final FileTime OLD = FileTime.fromMillis(946_684_800_000L);

  final Path root;
  final Path home;
  final Path userData;
  final Path generated;
  final Path document;
  final Path output;
  final Path log;

  /** Makes the folders under root (created fresh) from the sample folder. */
  Installation(Path root, Path sample) throws IOException {
    this.root = root;
    deleteTree(root);
    home = root.resolve("home");
    userData = root.resolve("user-data");
    generated = userData.resolve("generated");
    document = generated.resolve("plain.htm");
    output = generated.resolve("Output.txt");
    log = userData.resolve("logs").resolve("xmlagent.log");
    copyTree(sample.resolve("install"), home);
    Files.createDirectories(generated);
    Files.copy(sample.resolve("templates").resolve("plain.htm"), document);
    Files.setLastModifiedTime(document, OLD);
  }

  /** Sets the init parameters of a logged run with the given timeout. */
  void bind(XmlAgent agent, String timeout) {
    agent.setInitParameter("VISTAFOLD_HOME", home.toString());
    agent.setInitParameter("USER_DATA", userData.toString());
    agent.setInitParameter("VISTAFOLD_DATA", userData.toString());
    agent.setInitParameter("ENABLELOGGING", "TRUE");
    agent.setInitParameter("debugLevel", "5");
    agent.setInitParameter("timeout", timeout);
  }

  /** Writes generated/ParameterFile.txt asking for the document with the sample values. */
  void writeParameterFile() throws IOException {
    List<String> lines = List.of(
        "FILE_NAME=" + document,
        "ARTIFACT_LOCATOR=" + LOCATOR,
        "SERVER_URL=" + SERVER,
        "TEMPLATE_ID=" + TEMPLATE_ID,
        "PASSWORD_NAME=portal",
        "PASSWORD_VALUE= secret ");
    Files.write(generated.resolve("ParameterFile.txt"), lines, StandardCharsets.UTF_8);
  }

  /** Writes generated/ParameterFile.txt asking for this document about this artifact. */
  void writeRequest(Path page, String locator, String templateId) throws IOException {
    Files.write(generated.resolve("ParameterFile.txt"), List.of("FILE_NAME=" + page,
        "ARTIFACT_LOCATOR=" + locator, "SERVER_URL=" + SERVER, "TEMPLATE_ID=" + templateId),
        StandardCharsets.UTF_8);
  }

  /** The ancestors answer that Output.txt holds after the query; null when none was written. */
  String ancestors(XmlAgent agent, String locator) throws IOException {
    Files.deleteIfExists(output);
    Files.write(generated.resolve("ParameterFile.txt"), List.of("ARTIFACT_LOCATOR=" + locator),
        StandardCharsets.UTF_8);
    agent.getAncestorsWithAParameterFile();
    return Files.exists(output)
        ? new String(Files.readAllBytes(output), StandardCharsets.UTF_8) : null;
  }

  /** The log's lines; none when there is no log file. */
  List<String> logLines() throws IOException {
    if (!Files.exists(log)) {
      return List.of();
    }
    return Files.readAllLines(log, StandardCharsets.ISO_8859_1);
  }

  /** Number of log lines that are debug lines with exactly this message. */
  long debugLinesOf(String message) throws IOException {
    return logLines().stream().filter(l -> l.endsWith(" Debug: " + message)).count();
  }

  boolean logContains(String text) throws IOException {
    return logLines().stream().anyMatch(l -> l.contains(text));
  }

  /** Whether the document has been written since it was stamped OLD. */
  boolean documentRewritten() throws IOException {
    return Files.getLastModifiedTime(document).compareTo(OLD) > 0;
  }

  /** The error page that generation writes beside the document when it fails. */
  Path errorPage() {
    return generated.resolve("plainERR.htm");
  }

  static void copyTree(Path from, Path to) throws IOException {
    try (Stream<Path> paths = Files.walk(from)) {
      paths.forEach(p -> {
        try {
          Path target = to.resolve(from.relativize(p).toString());
          if (Files.isDirectory(p)) {
            Files.createDirectories(target);
          } else {
            Files.copy(p, target, StandardCopyOption.REPLACE_EXISTING);
          }
        } catch (IOException e) {
          throw new UncheckedIOException(e);
        }
      });
    }
  }

  static void deleteTree(Path path) throws IOException {
    if (!Files.exists(path)) {
      return;
    }
    try (Stream<Path> paths = Files.walk(path)) {
      for (Path p : paths.sorted(Comparator.reverseOrder()).toList()) {
        Files.delete(p);
      }
    }
  }
}
