// A point in time on the message loops' clock, in microseconds; the null
// value (0) stands for "no time".
//
// The clock's source is a 32-bit millisecond counter that wraps (the tick
// count of tick_count.h). Now() extends it to 64 bits
// by counting wraps under one process-wide lock: whenever a reading is smaller
// than the previous one, 2^32 ms are added to a wrap offset. The result is
// (reading + offset) * 1000 and never goes backwards as long as readings are
// taken at least once per wrap period (49.7 days).
//
// Tests replace the source with SetTickSourceForTesting so that delayed and
// repeated tasks can be driven without real waiting.
#pragma once

#include <cstdint>
#include <functional>

#include "base/time_delta.h"

namespace nbase {

class TickClock {
 public:
  constexpr TickClock() = default;

  // The current time of the loop clock. Thread-safe.
  static TickClock Now();

  // Replaces the millisecond source for the whole process and restarts the
  // wrap count; an empty function restores the monotonic clock. Only for
  // tests, and not while another thread is reading the clock's history as
  // continuous (loops keep running, but a reset wrap count is a new clock).
  static void SetTickSourceForTesting(std::function<uint32_t()> source);

  static constexpr TickClock FromMicroseconds(int64_t us) { return TickClock(us); }
  constexpr int64_t ToMicroseconds() const { return us_; }
  constexpr bool is_null() const { return us_ == 0; }

  constexpr TickClock operator+(TimeDelta d) const { return TickClock(us_ + d.ToMicroseconds()); }
  constexpr TickClock operator-(TimeDelta d) const { return TickClock(us_ - d.ToMicroseconds()); }
  constexpr TimeDelta operator-(TickClock other) const {
    return TimeDelta::FromMicroseconds(us_ - other.us_);
  }
  constexpr bool operator==(TickClock other) const { return us_ == other.us_; }
  constexpr bool operator!=(TickClock other) const { return us_ != other.us_; }
  constexpr bool operator<(TickClock other) const { return us_ < other.us_; }
  constexpr bool operator<=(TickClock other) const { return us_ <= other.us_; }
  constexpr bool operator>(TickClock other) const { return us_ > other.us_; }
  constexpr bool operator>=(TickClock other) const { return us_ >= other.us_; }

 private:
  constexpr explicit TickClock(int64_t us) : us_(us) {}

  int64_t us_ = 0;
};

}  // namespace nbase
