#include "bench/table/bench_output.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace benchtable {

namespace {

// Calls `line_handler` for every line of `text` (without its line end).
template <typename Handler>
void ForEachLine(std::string_view text, Handler line_handler) {
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line_handler(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

// A whole finite decimal number, nothing before or after it.
std::optional<double> ParseNumber(std::string_view text) {
  if (text.empty() || text.size() > 64) return std::nullopt;
  const std::string copy(text);
  char* end = nullptr;
  const double value = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size() || !std::isfinite(value)) return std::nullopt;
  // strtod also takes hexadecimal and "inf"/"nan" spellings; a figure is decimal.
  if (copy.find_first_of("xXnN") != std::string::npos) return std::nullopt;
  return value;
}

bool ConsumePrefix(std::string_view* text, std::string_view prefix) {
  if (text->substr(0, prefix.size()) != prefix) return false;
  text->remove_prefix(prefix.size());
  return true;
}

// The next word of `text` up to a space (or the end); `text` moves past it
// and one following space.
std::string_view NextWord(std::string_view* text) {
  const size_t space = text->find(' ');
  std::string_view word = text->substr(0, space);
  text->remove_prefix(space == std::string_view::npos ? text->size() : space + 1);
  return word;
}

// The time of a "<what> at <ms> ms" line.
std::optional<double> TimeMarkMs(std::string_view line, std::string_view* what) {
  const size_t at = line.rfind(" at ");
  if (at == std::string_view::npos || line.size() < 3 || line.substr(line.size() - 3) != " ms") {
    return std::nullopt;
  }
  *what = line.substr(0, at);
  return ParseNumber(line.substr(at + 4, line.size() - 3 - (at + 4)));
}

constexpr std::string_view kFirstFrame = "first frame presented";

}  // namespace

std::map<std::string, double> BenchOutput::ParseMetrics(std::string_view text) {
  std::map<std::string, double> metrics;
  ForEachLine(text, [&metrics](std::string_view line) {
    if (!ConsumePrefix(&line, "metric ")) return;
    const std::string_view key = NextWord(&line);
    if (key.empty()) return;
    const std::optional<double> value = ParseNumber(line);
    if (value) metrics[std::string(key)] = *value;
  });
  return metrics;
}

std::optional<double> BenchOutput::FirstFrameMs(std::string_view text) {
  std::optional<double> found;
  ForEachLine(text, [&found](std::string_view line) {
    std::string_view what;
    const std::optional<double> ms = TimeMarkMs(line, &what);
    if (!found && ms && what == kFirstFrame) found = ms;
  });
  return found;
}

BenchOutput::StartupStepList BenchOutput::StartupSteps(std::string_view text) {
  StartupStepList steps;
  ForEachLine(text, [&steps](std::string_view line) {
    std::string_view what;
    const std::optional<double> ms = TimeMarkMs(line, &what);
    if (!ms || (what != kFirstFrame && what.substr(0, 8) != "startup ")) return;
    for (const auto& step : steps) {
      if (step.first == what) return;
    }
    steps.emplace_back(std::string(what), *ms);
  });
  return steps;
}

std::vector<BenchOutput::StallLine> BenchOutput::ParseStallLines(std::string_view text) {
  std::vector<StallLine> lines;
  ForEachLine(text, [&lines](std::string_view line) {
    if (!ConsumePrefix(&line, "ui-stall ")) return;
    std::string_view at = NextWord(&line);
    std::string_view longest = NextWord(&line);
    std::string_view stretches = NextWord(&line);
    std::string_view own = NextWord(&line);
    if (!line.empty() || !ConsumePrefix(&at, "at=") || !ConsumePrefix(&longest, "longest=") ||
        !ConsumePrefix(&stretches, "stretches=") ||
        (!own.empty() && !ConsumePrefix(&own, "own="))) {
      return;
    }
    const std::optional<double> at_ms = ParseNumber(at);
    const std::optional<double> longest_ms = ParseNumber(longest);
    const std::optional<double> count = ParseNumber(stretches);
    const std::optional<double> own_ms = own.empty() ? std::nullopt : ParseNumber(own);
    if (!at_ms || !longest_ms || !count || *longest_ms < 0 || *count < 0) return;
    if (!own.empty() && !own_ms) return;
    lines.push_back(StallLine{*at_ms, *longest_ms, static_cast<long>(*count), own_ms});
  });
  return lines;
}

namespace {

template <typename Figure>
std::optional<double> LongestBetween(const std::vector<BenchOutput::StallLine>& lines,
                                     double from_ms, double to_ms, Figure figure) {
  std::optional<double> longest;
  for (const BenchOutput::StallLine& line : lines) {
    if (line.at_ms < from_ms) continue;
    if (const std::optional<double> value = figure(line)) {
      longest = std::max(longest.value_or(0.0), *value);
    }
    if (line.at_ms >= to_ms) break;
  }
  return longest;
}

}  // namespace

std::optional<double> BenchOutput::LongestStallBetween(const std::vector<StallLine>& lines,
                                                       double from_ms, double to_ms) {
  return LongestBetween(lines, from_ms, to_ms, [](const StallLine& line) -> std::optional<double> {
    return line.longest_ms;
  });
}

std::optional<double> BenchOutput::LongestOwnStallBetween(const std::vector<StallLine>& lines,
                                                          double from_ms, double to_ms) {
  return LongestBetween(lines, from_ms, to_ms, [](const StallLine& line) { return line.own_ms; });
}

}  // namespace benchtable
