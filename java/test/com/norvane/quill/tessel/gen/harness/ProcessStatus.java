package com.norvane.quill.tessel.gen.harness;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.stream.Stream;

/** What Linux tells about this process: its resident memory and its threads with their names. */
final class ProcessStatus {
  private static final Path SELF = Path.of("/proc/self");

  private ProcessStatus() {}

  /** VmRSS of /proc/self/status in kilobytes; -1 when it cannot be read. */
  static long residentKb() {
    try {
      for (String line : Files.readAllLines(SELF.resolve("status"), StandardCharsets.ISO_8859_1)) {
        if (line.startsWith("VmRSS:")) {
          return Long.parseLong(line.replaceAll("[^0-9]", ""));
        }
      }
    } catch (IOException | NumberFormatException e) {
      return -1;
    }
    return -1;
  }

  /** The names (comm) of the process's threads, one per entry of /proc/self/task. */
  static List<String> threadNames() {
    List<String> names = new ArrayList<>();
    try (Stream<Path> tasks = Files.list(SELF.resolve("task"))) {
      for (Path task : tasks.toList()) {
        try {
          names.add(Files.readString(task.resolve("comm"), StandardCharsets.ISO_8859_1).strip());
        } catch (IOException e) {
          // The thread ended between the listing and the read.
        }
      }
    } catch (IOException e) {
      return names;
    }
    return names;
  }

  /** How many of the process's threads carry exactly this name. */
  static long threadsNamed(String name) {
    return threadNames().stream().filter(name::equals).count();
  }
}
