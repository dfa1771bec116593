// StartupBreakdown: where the start-up time of a program goes, step by step,
// from many runs of the installer and of its peer, as a Markdown table.
//
// A run is the list of start-up steps one process wrote (BenchOutput::
// StartupSteps) and the CLOCK_MONOTONIC time just before it was started.
// Each step gets two medians over the runs that reached it: the time since
// the process started, and the time since the step before it in that same
// run (the process start for the first one). The rows follow the installer's
// steps in the order it writes them; the peer fills the rows of the steps it
// shares, so a peer's "since previous" spans the installer steps it has not.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bench/table/bench_output.h"

namespace benchtable {

class StartupBreakdown {
 public:
  using Steps = BenchOutput::StartupStepList;

  enum class Side { kInstaller, kPeer };

  void AddRun(Side side, double started_ms, const Steps& steps);

  struct Row {
    std::string step;
    std::optional<double> installer_since_previous;
    std::optional<double> installer_since_start;
    std::optional<double> peer_since_previous;
    std::optional<double> peer_since_start;
  };
  std::vector<Row> Rows() const;
  // How many runs of each side the medians come from.
  size_t runs(Side side) const { return Of(side).size(); }

  std::string RenderMarkdown() const;

 private:
  // Per run: the step names with (since start, since previous).
  struct Timed {
    std::string step;
    double since_start;
    double since_previous;
  };
  using Run = std::vector<Timed>;
  const std::vector<Run>& Of(Side side) const {
    return side == Side::kInstaller ? installer_ : peer_;
  }
  static void Medians(const std::vector<Run>& runs, const std::string& step,
                      std::optional<double>* since_previous, std::optional<double>* since_start);

  std::vector<Run> installer_;
  std::vector<Run> peer_;
  std::vector<std::string> order_;  // the installer's steps, first seen order
};

}  // namespace benchtable
