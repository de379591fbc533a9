package com.norvane.quill.tessel.gen.harness;

import java.io.FileOutputStream;
import java.io.IOException;
import java.io.PrintStream;
import java.nio.charset.StandardCharsets;

/**
 * Counts and prints checks, one line each, and the final "N passed, M failed" line.
 *
 * <p>The library redirects descriptors 1 and 2 into its log file when logging is enabled, so the
 * report is written to a descriptor of its own, opened on the original standard output before the
 * library starts.
 */
final class Checks {
  private final PrintStream out;
  private int passed;
  private int failed;

  Checks() {
    PrintStream stream;
    try {
      stream = new PrintStream(new FileOutputStream("/proc/self/fd/1", true), true,
          StandardCharsets.UTF_8);
    } catch (IOException | SecurityException e) {
      stream = System.out;
    }
    out = stream;
  }

  /** Records one check; the detail is printed only when it failed. */
  synchronized void check(String name, boolean ok, String detail) {
    if (ok) {
      passed++;
      out.println("PASS " + name);
    } else {
      failed++;
      out.println("FAIL " + name + (detail.isEmpty() ? "" : ": " + detail));
    }
  }

  void check(String name, boolean ok) {
    check(name, ok, "");
  }

  synchronized void note(String text) {
    out.println("     " + text);
  }

  /** Prints the summary line and returns the process exit code. */
  synchronized int finish() {
    out.println(passed + " passed, " + failed + " failed");
    out.flush();
    return failed == 0 ? 0 : 1;
  }
}
