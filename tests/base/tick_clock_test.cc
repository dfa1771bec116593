#include "base/tick_clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "tests/base/loop_test_support.h"

namespace nbase {
namespace {

constexpr int64_t kWrapMs = int64_t{1} << 32;

TEST(TickClock, ExtendsTheWrappingMillisecondCounter) {
  struct Case {
    const char* name;
    std::vector<uint32_t> readings;
    std::vector<int64_t> expected_ms;
  };
  const Case cases[] = {
      {"no wrap", {10, 20, 20, 4000}, {10, 20, 20, 4000}},
      {"one wrap", {0xFFFFFF00u, 0xFFFFFFFFu, 0x10}, {0xFFFFFF00, 0xFFFFFFFF, kWrapMs + 0x10}},
      {"wrap onto zero", {0xFFFFFFFFu, 0}, {0xFFFFFFFF, kWrapMs}},
      {"two wraps",
       {0x80000000u, 5, 0x90000000u, 7},
       {0x80000000, kWrapMs + 5, kWrapMs + 0x90000000, 2 * kWrapMs + 7}},
  };
  for (const Case& c : cases) {
    auto next = std::make_shared<std::atomic<uint32_t>>(0);
    TickClock::SetTickSourceForTesting([next] { return next->load(); });
    for (size_t i = 0; i < c.readings.size(); ++i) {
      next->store(c.readings[i]);
      EXPECT_EQ(TickClock::Now().ToMicroseconds(), c.expected_ms[i] * 1000)
          << c.name << " reading " << i;
    }
  }
  TickClock::SetTickSourceForTesting(nullptr);
}

TEST(TickClock, MonotonicSourceNeverGoesBackwards) {
  TickClock previous = TickClock::Now();
  EXPECT_FALSE(previous.is_null());
  for (int i = 0; i < 1000; ++i) {
    TickClock now = TickClock::Now();
    EXPECT_GE(now, previous);
    EXPECT_EQ(now.ToMicroseconds() % 1000, 0);
    previous = now;
  }
}

TEST(TimeDelta, ConvertsAndRoundsMilliseconds) {
  EXPECT_EQ(TimeDelta::FromMilliseconds(200).ToMicroseconds(), 200000);
  struct Case {
    int64_t us;
    int64_t rounded_up_ms;
  };
  for (Case c :
       {Case{0, 0}, Case{1, 1}, Case{999, 1}, Case{1000, 1}, Case{1001, 2}, Case{-1500, -1}}) {
    EXPECT_EQ(TimeDelta::FromMicroseconds(c.us).ToMillisecondsRoundedUp(), c.rounded_up_ms) << c.us;
  }
  TickClock t = TickClock::FromMicroseconds(5000);
  EXPECT_EQ((t + TimeDelta::FromMilliseconds(3)) - t, TimeDelta::FromMilliseconds(3));
}

}  // namespace
}  // namespace nbase
