#include "bench/table/startup_breakdown.h"

#include <algorithm>

#include "bench/table/performance_table.h"

namespace benchtable {

namespace {

std::optional<double> Median(std::vector<double> values) {
  if (values.empty()) return std::nullopt;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  if (values.size() % 2 == 1) return values[middle];
  return (values[middle - 1] + values[middle]) / 2;
}

std::string Cell(std::optional<double> value) {
  return value ? PerformanceTable::FormatValue(value, "ms", 1) : std::string("-");
}

}  // namespace

void StartupBreakdown::AddRun(Side side, double started_ms, const Steps& steps) {
  Run run;
  double previous = started_ms;
  for (const auto& [step, at_ms] : steps) {
    run.push_back(Timed{step, at_ms - started_ms, at_ms - previous});
    previous = at_ms;
    if (side == Side::kInstaller && std::find(order_.begin(), order_.end(), step) == order_.end()) {
      order_.push_back(step);
    }
  }
  (side == Side::kInstaller ? installer_ : peer_).push_back(std::move(run));
}

void StartupBreakdown::Medians(const std::vector<Run>& runs, const std::string& step,
                               std::optional<double>* since_previous,
                               std::optional<double>* since_start) {
  std::vector<double> previous, start;
  for (const Run& run : runs) {
    for (const Timed& timed : run) {
      if (timed.step != step) continue;
      previous.push_back(timed.since_previous);
      start.push_back(timed.since_start);
    }
  }
  *since_previous = Median(previous);
  *since_start = Median(start);
}

std::vector<StartupBreakdown::Row> StartupBreakdown::Rows() const {
  std::vector<Row> rows;
  for (const std::string& step : order_) {
    Row row;
    row.step = step;
    Medians(installer_, step, &row.installer_since_previous, &row.installer_since_start);
    Medians(peer_, step, &row.peer_since_previous, &row.peer_since_start);
    rows.push_back(row);
  }
  return rows;
}

std::string StartupBreakdown::RenderMarkdown() const {
  std::string text =
      "| step | installer: since previous step | installer: since process start | peer: since "
      "previous step | peer: since process start |\n|---|---|---|---|---|\n";
  for (const Row& row : Rows()) {
    text += "| " + row.step + " | " + Cell(row.installer_since_previous) + " | " +
            Cell(row.installer_since_start) + " | " + Cell(row.peer_since_previous) + " | " +
            Cell(row.peer_since_start) + " |\n";
  }
  return text;
}

}  // namespace benchtable
