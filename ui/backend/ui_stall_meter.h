// UiStallMeter: how long the UI thread goes without being able to take
// input. A stretch runs from one point where the pump looks at its event
// queue to the next; time spent asleep waiting for events is not part of
// any stretch. The longest stretch is what a user feels as a frozen window.
//
// The meter is off in normal runs. With VARNIK_UI_STALL=1 the UI pump owns
// one, and at most once per period (250 ms) it writes one line through
// its sink (standard error by default) covering the stretches since the
// previous line:
//   "ui-stall at=<monotonic ms> longest=<ms> stretches=<n> own=<ms>\n"
// where "own" is the longest stretch less the time the thread spent ready
// but waiting for a core (on a loaded machine a stretch also holds the
// other programs' turns; "own" is the installer's part).
// An idle thread writes nothing, so the meter never wakes the UI thread.
// One thread only (the pump's).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace ui {

class UiStallMeter {
 public:
  using Sink = std::function<void(const std::string& line)>;
  // Monotonic time in microseconds (the steady clock by default:
  // CLOCK_MONOTONIC on Linux).
  using Clock = std::function<int64_t()>;
  // Microseconds the calling thread has spent so far ready to run but
  // waiting for a core (by default from /proc/thread-self/schedstat; 0
  // where the system does not say).

  static constexpr char kVariable[] = "VARNIK_UI_STALL";
  static bool IsEnabledByEnvironment();

  // Empty `sink` / `clock` / `core_wait` take the defaults; `period_us` is
  // the shortest time between two lines.
  explicit UiStallMeter(Sink sink = nullptr, Clock clock = nullptr, int64_t period_us = 250000,
                        Clock core_wait = nullptr);
  ~UiStallMeter();
  UiStallMeter(const UiStallMeter&) = delete;
  UiStallMeter& operator=(const UiStallMeter&) = delete;

  // The pump is about to look at its event queue: the current stretch ends.
  void Responsive();
  // The pump comes back from waiting: a new stretch starts now, the wait
  // itself is not counted. Stretches still unwritten are written first when
  // the period has passed.
  void Resumed();

  // Longest stretch since the last line, in microseconds, with and without
  // the waits for a core in it.
  int64_t longest_us() const { return longest_us_; }
  int64_t longest_own_us() const { return longest_own_us_; }

 private:
  void MaybeWriteLine(int64_t now);

  Sink sink_;
  Clock clock_;
  const int64_t period_us_;
  Clock core_wait_;
  int schedstat_fd_ = -1;  // kept open by the default core-wait clock
  int64_t mark_us_ = -1;   // start of the current stretch; -1 before the first
  int64_t mark_wait_us_ = 0;
  int64_t last_line_us_ = -1;
  int64_t longest_us_ = 0;
  int64_t longest_own_us_ = 0;
  int64_t stretches_ = 0;
};

}  // namespace ui
