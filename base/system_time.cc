#include "base/system_time.h"

#include <time.h>

namespace nbase {

namespace {
// 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
constexpr uint64_t kEpochShift = 116444736000000000ULL;
}  // namespace

uint64_t GetTimeMs() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const uint64_t intervals = kEpochShift + static_cast<uint64_t>(now.tv_sec) * 10000000ULL +
                             static_cast<uint64_t>(now.tv_nsec) / 100;
  return intervals / 10000;
}

std::string GetTimeMsText() { return std::to_string(GetTimeMs()); }

}  // namespace nbase
