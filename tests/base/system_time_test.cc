#include "base/system_time.h"

#include <gtest/gtest.h>

#include <ctime>

namespace nbase {
namespace {

// Whole seconds of the C library's clock, read independently of GetTimeMs.
// It may be a coarser clock that lags a little, hence a second of slack.
uint64_t CalendarSeconds() { return static_cast<uint64_t>(std::time(nullptr)); }

TEST(GetTimeMsText, CountsMillisecondsSince1601) {
  const uint64_t before = (CalendarSeconds() - 1) * 1000 + 11644473600000ULL;
  const std::string text = GetTimeMsText();
  const uint64_t after = (CalendarSeconds() + 2) * 1000 + 11644473600000ULL;
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.find_first_not_of("0123456789"), std::string::npos);
  const uint64_t value = std::stoull(text);
  EXPECT_GE(value, before);
  EXPECT_LE(value, after);
}

}  // namespace
}  // namespace nbase
