// BenchOutput: reads the figures out of what measured programs print.
//  - "metric <key> <value>" lines of the benchmark programs
//    (VARNIK_BENCH_METRICS=1);
//  - "first frame presented at <ms> ms", the start-up line of the installer
//    (VARNIK_DEBUG=1) and of its peer program, and the start-up steps before
//    it, "startup <step> at <ms> ms";
//  - "ui-stall at=<ms> longest=<ms> stretches=<n> [own=<ms>]" lines of the
//    installer's UI pump (VARNIK_UI_STALL=1).
// Lines that do not parse completely are skipped, never half-read; times are
// CLOCK_MONOTONIC milliseconds.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace benchtable {

class BenchOutput {
 public:
  struct StallLine {
    double at_ms = 0;
    double longest_ms = 0;
    long stretches = 0;
    // The longest stretch less the waits for a core in it; absent in lines
    // of meters that do not tell.
    std::optional<double> own_ms;
  };

  // Later lines of the same key replace earlier ones.
  static std::map<std::string, double> ParseMetrics(std::string_view text);
  static std::optional<double> FirstFrameMs(std::string_view text);
  // The start-up steps in the order written, the first frame as the step
  // "first frame presented"; each step counts once, at its first line.
  using StartupStepList = std::vector<std::pair<std::string, double>>;
  static StartupStepList StartupSteps(std::string_view text);
  static std::vector<StallLine> ParseStallLines(std::string_view text);
  // The longest stall of the lines written from `from_ms` on, up to and
  // including the first line written at or after `to_ms` (that line covers
  // the stretches just before it). nullopt when no line falls in.
  static std::optional<double> LongestStallBetween(const std::vector<StallLine>& lines,
                                                   double from_ms, double to_ms);
  // The same for the "own" figures (nullopt when no line in range has one).
  static std::optional<double> LongestOwnStallBetween(const std::vector<StallLine>& lines,
                                                      double from_ms, double to_ms);
};

}  // namespace benchtable
