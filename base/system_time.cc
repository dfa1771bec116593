#include "base/system_time.h"

#include <chrono>

namespace nbase {

namespace {
// Milliseconds between 1601-01-01 and 1970-01-01.
constexpr uint64_t kEpochShiftMs = 11644473600000ULL;
}  // namespace

uint64_t GetTimeMs() {
  // The system clock counts from 1970-01-01 UTC on every system we build for.
  const auto since_1970 = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  return kEpochShiftMs + static_cast<uint64_t>(since_1970.count());
}

int64_t SecondsSinceTimeMs(uint64_t start_ms) {
  return (static_cast<int64_t>(GetTimeMs()) - static_cast<int64_t>(start_ms)) / 1000;
}

std::string GetTimeMsText() { return std::to_string(GetTimeMs()); }

}  // namespace nbase
