#include "ui/backend/ui_stall_meter.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

namespace ui {
namespace {

// A meter on hand-moved clocks whose lines are collected.
struct MeterUnderTest {
  int64_t now_us = 10000000;
  int64_t waited_us = 0;  // time spent waiting for a core, so far
  std::vector<std::string> lines;
  UiStallMeter meter{[this](const std::string& line) { lines.push_back(line); },
                     [this] { return now_us; }, 250000, [this] { return waited_us; }};
};

TEST(UiStallMeterTest, LongestStretchBetweenLooksAtInputIsWrittenOncePerPeriod) {
  MeterUnderTest m;
  m.meter.Responsive();  // the first look only starts a stretch
  EXPECT_TRUE(m.lines.empty());
  m.now_us += 3000;
  m.meter.Responsive();  // first stretch: written at once
  ASSERT_EQ(m.lines.size(), 1u);
  EXPECT_EQ(m.lines[0], "ui-stall at=10003.000 longest=3.000 stretches=1 own=3.000\n");

  // Within the period: 5 ms, 12.5 ms, 1 ms stretches gather in one line.
  for (int64_t stretch : {5000, 12500, 1000}) {
    m.now_us += stretch;
    m.meter.Responsive();
  }
  EXPECT_EQ(m.lines.size(), 1u);
  EXPECT_EQ(m.meter.longest_us(), 12500);
  m.now_us += 240000;
  m.meter.Responsive();  // 258.5 ms after the first line
  ASSERT_EQ(m.lines.size(), 2u);
  EXPECT_EQ(m.lines[1], "ui-stall at=10261.500 longest=240.000 stretches=4 own=240.000\n");
  EXPECT_EQ(m.meter.longest_us(), 0);  // a new line starts a new maximum
}

TEST(UiStallMeterTest, TimeAsleepIsNotAStallAndPendingStretchesAreWrittenOnWakeUp) {
  MeterUnderTest m;
  m.meter.Responsive();
  m.now_us += 1000;
  m.meter.Responsive();
  ASSERT_EQ(m.lines.size(), 1u);
  m.now_us += 7000;
  m.meter.Responsive();  // 7 ms of work, then the pump goes to sleep
  m.now_us += 10000000;  // ten seconds asleep
  m.meter.Resumed();     // the wake-up writes the 7 ms stretch
  ASSERT_EQ(m.lines.size(), 2u);
  EXPECT_NE(m.lines[1].find("longest=7.000 stretches=1"), std::string::npos) << m.lines[1];
  m.now_us += 2000;
  m.meter.Responsive();  // only the 2 ms since the wake-up count
  EXPECT_EQ(m.meter.longest_us(), 2000);
  m.now_us += 10000000;
  m.meter.Resumed();
  m.now_us += 500;
  m.meter.Resumed();  // nothing new since: no empty line
  EXPECT_EQ(m.lines.size(), 3u);
}

// On a loaded machine a stretch holds the turns of other programs too: the
// "own" figure leaves out the time the thread waited for a core, and is the
// longest of the stretches so measured, not the longest stretch's part.
TEST(UiStallMeterTest, WaitsForACoreAreLeftOutOfTheOwnFigure) {
  MeterUnderTest m;
  m.meter.Responsive();
  m.now_us += 30000;
  m.waited_us += 25000;  // 30 ms, of which 25 ms waiting: 5 ms its own
  m.meter.Responsive();
  ASSERT_EQ(m.lines.size(), 1u);
  EXPECT_EQ(m.lines[0], "ui-stall at=10030.000 longest=30.000 stretches=1 own=5.000\n");
  m.now_us += 12000;  // 12 ms without waiting: the longest own stretch
  m.meter.Responsive();
  m.now_us += 20000;
  m.waited_us += 19000;
  m.meter.Responsive();
  EXPECT_EQ(m.meter.longest_us(), 20000);
  EXPECT_EQ(m.meter.longest_own_us(), 12000);
}

TEST(UiStallMeterTest, OnlyTheValueOneTurnsTheMeterOn) {
  const struct {
    const char* value;
    bool on;
  } cases[] = {{nullptr, false}, {"", false}, {"0", false}, {"1", true}, {"yes", false}};
  for (const auto& c : cases) {
    if (c.value) {
      setenv(UiStallMeter::kVariable, c.value, 1);
    } else {
      unsetenv(UiStallMeter::kVariable);
    }
    EXPECT_EQ(UiStallMeter::IsEnabledByEnvironment(), c.on) << (c.value ? c.value : "unset");
  }
  unsetenv(UiStallMeter::kVariable);
}

}  // namespace
}  // namespace ui
