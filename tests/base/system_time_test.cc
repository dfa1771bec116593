#include "base/system_time.h"

#include <gtest/gtest.h>

#include <time.h>

namespace nbase {
namespace {

// Whole seconds of CLOCK_REALTIME, the clock GetTimeMs reads. std::time may
// use a coarser clock that lags a few milliseconds behind it.
uint64_t RealtimeSeconds() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<uint64_t>(now.tv_sec);
}

TEST(GetTimeMsText, CountsMillisecondsSince1601) {
  const uint64_t before = RealtimeSeconds() * 1000 + 11644473600000ULL;
  const std::string text = GetTimeMsText();
  const uint64_t after = (RealtimeSeconds() + 1) * 1000 + 11644473600000ULL;
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.find_first_not_of("0123456789"), std::string::npos);
  const uint64_t value = std::stoull(text);
  EXPECT_GE(value, before);
  EXPECT_LE(value, after);
}

}  // namespace
}  // namespace nbase
