// Machine-readable figures of the benchmark programs. With
// VARNIK_BENCH_METRICS=1 each figure is also printed as one line
// "metric <key> <value>" on standard output, which the performance table
// (bench/table) collects; without it the programs print only their human
// text. Keys are lower-case words joined by underscores.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bench {

inline bool MetricsRequested() {
  const char* value = std::getenv("VARNIK_BENCH_METRICS");
  return value && std::strcmp(value, "1") == 0;
}

inline void PrintMetric(const char* key, double value) {
  if (!MetricsRequested()) return;
  std::printf("metric %s %.6g\n", key, value);
  std::fflush(stdout);
}

}  // namespace bench
