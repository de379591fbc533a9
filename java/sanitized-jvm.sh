#!/bin/sh
# Runs a JVM command with the sanitizer runtimes ($SANITIZER_PRELOAD) preloaded, each report
# written to a file under REPORT_DIR; fails, showing the reports, when there is any.
# Usage: sanitized-jvm.sh REPORT_DIR JAVA ARGS...
set -u
reports=$1
shift
rm -rf "$reports"
mkdir -p "$reports"
# handle_segv=0: the JVM takes SIGSEGV for its own null checks and safepoints.
# detect_leaks=0: at exit the JVM's own allocations would be reported as leaks.
LD_PRELOAD=$SANITIZER_PRELOAD \
ASAN_OPTIONS=handle_segv=0:allow_user_segv_handler=1:detect_leaks=0:log_path=$reports/asan \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan \
  "$@"
status=$?
found=0
for report in "$reports"/*; do
  [ -f "$report" ] || continue
  found=1
  echo "==== sanitizer report $report"
  cat "$report"
done
if [ "$found" -ne 0 ]; then
  echo "sanitizer reports were written (exit status $status)"
  exit 1
fi
exit "$status"
