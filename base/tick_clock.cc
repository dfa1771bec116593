#include "base/tick_clock.h"

#include <mutex>

#include "base/tick_count.h"

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

}  // namespace

TickClock TickClock::Now() {
  ClockState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  uint32_t reading = state.source ? state.source() : GetTickCount();
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
