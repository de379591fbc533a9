// Times CX_TUnbounded's index loop: append N ints, then read them by index 0..N-1. With the
// position cache each read is one step, so the read time grows linearly with N.
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "foundation/cx_unbounded.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Measure(uint32_t n) {
  CX_TUnbounded<int> list;
  const auto append_start = Clock::now();
  for (uint32_t i = 0; i < n; ++i) list.Append(static_cast<int>(i));
  const double append_ms = MillisecondsSince(append_start);

  const auto read_start = Clock::now();
  int64_t sum = 0;
  for (uint32_t i = 0; i < n; ++i) sum += list[i];
  const double read_ms = MillisecondsSince(read_start);

  const int64_t expected = static_cast<int64_t>(n) * (n - 1) / 2;
  std::printf("N=%8u  append %8.2f ms  read %8.2f ms  %6.2f ns/read  %s\n", n, append_ms, read_ms,
              read_ms * 1e6 / n, sum == expected ? "sum ok" : "SUM WRONG");
}

}  // namespace

int main() {
  for (uint32_t n : {100000u, 1000000u}) Measure(n);
  return 0;
}
