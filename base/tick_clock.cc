#include "base/tick_clock.h"

#include <time.h>

#include <mutex>

namespace nbase {
namespace {

struct ClockState {
  std::mutex mutex;
  std::function<uint32_t()> source;  // empty: the monotonic clock
  uint32_t last_reading = 0;
  int64_t wrap_offset_ms = 0;
};

ClockState& State() {
  static ClockState* state = new ClockState;  // never destroyed: usable at exit
  return *state;
}

uint32_t MonotonicMilliseconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  uint64_t ms =
      static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

}  // namespace

TickClock TickClock::Now() {
  ClockState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  uint32_t reading = state.source ? state.source() : MonotonicMilliseconds();
  if (reading < state.last_reading) state.wrap_offset_ms += int64_t{1} << 32;
  state.last_reading = reading;
  return TickClock((static_cast<int64_t>(reading) + state.wrap_offset_ms) * 1000);
}

void TickClock::SetTickSourceForTesting(std::function<uint32_t()> source) {
  ClockState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.source = std::move(source);
  state.last_reading = 0;
  state.wrap_offset_ms = 0;
}

}  // namespace nbase
