#include "base/system_time.h"

#include <gtest/gtest.h>

#include <ctime>

namespace nbase {
namespace {

TEST(GetTimeMsText, CountsMillisecondsSince1601) {
  const uint64_t before = static_cast<uint64_t>(std::time(nullptr)) * 1000 + 11644473600000ULL;
  const std::string text = GetTimeMsText();
  const uint64_t after = static_cast<uint64_t>(std::time(nullptr) + 1) * 1000 + 11644473600000ULL;
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.find_first_not_of("0123456789"), std::string::npos);
  const uint64_t value = std::stoull(text);
  EXPECT_GE(value, before);
  EXPECT_LE(value, after);
}

}  // namespace
}  // namespace nbase
