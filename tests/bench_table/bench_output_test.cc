#include "bench/table/bench_output.h"

#include <gtest/gtest.h>

#include <string>

namespace benchtable {
namespace {

TEST(BenchOutputTest, MetricsAreReadOnlyFromWholeLines) {
  const std::string text =
      "human text 12.5 ms\n"
      "metric download_ours_mb_per_s 812.25\n"
      "metric report_caller_us 3.5e-1\r\n"
      "metric negative_is_fine -2\n"
      "metric missing_value\n"
      "metric  empty_key 5\n"
      "metric trailing 5 ms\n"
      "metric hex 0x10\n"
      "metric infinite inf\n"
      "metric not_a_number nan\n"
      "metric half 12abc\n"
      "  metric indented 1\n"
      "metric twice 1\n"
      "metric twice 2\n"
      "metric last_line_without_end 7";
  const auto metrics = BenchOutput::ParseMetrics(text);
  const std::map<std::string, double> expected = {{"download_ours_mb_per_s", 812.25},
                                                  {"report_caller_us", 0.35},
                                                  {"negative_is_fine", -2},
                                                  {"twice", 2},
                                                  {"last_line_without_end", 7}};
  EXPECT_EQ(metrics, expected);
  EXPECT_TRUE(BenchOutput::ParseMetrics("").empty());
}

TEST(BenchOutputTest, FirstFrameLineIsTheFirstCompleteOne) {
  const struct {
    const char* text;
    std::optional<double> ms;
  } cases[] = {
      {"first frame presented at 1234.500 ms\n", 1234.5},
      {"main window shown\nfirst frame presented at 99 ms\nfirst frame presented at 5 ms\n", 99},
      {"first frame presented at 12.5ms\nfirst frame presented at 13 ms", 13},
      {"first frame presented at  ms\n", std::nullopt},
      {"first frame presented at abc ms\n", std::nullopt},
      {"no frame yet\n", std::nullopt},
      {"first frame presented at 17", std::nullopt},  // cut off mid-line
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BenchOutput::FirstFrameMs(c.text), c.ms) << c.text;
  }
}

TEST(BenchOutputTest, StartupStepsKeepTheirOrderAndTheirFirstLine) {
  const auto steps = BenchOutput::StartupSteps(
      "startup main at 10.5 ms\n"
      "system dpi 96, theme folder themes\\default\n"
      "startup backend up at 12 ms\n"
      "startup main at 99 ms\n"           // the same step again counts once
      "startup broken at x ms\n"          // no number
      "startup late at 13 ms later\n"     // not at the line's end
      "startup skin opened at 11 ms\r\n"  // written order, not time order
      "first frame presented at 20 ms\n"
      "main window shown at 21 ms\n");    // not a start-up step
  const BenchOutput::StartupStepList expected = {{"startup main", 10.5},
                                                 {"startup backend up", 12},
                                                 {"startup skin opened", 11},
                                                 {"first frame presented", 20}};
  EXPECT_EQ(steps, expected);
}

TEST(BenchOutputTest, StallLinesSkipAnythingMalformed) {
  const std::string text =
      "ui-stall at=1000.000 longest=3.250 stretches=4\n"
      "ui-stall at=1250.5 longest=17 stretches=120\n"
      "ui-stall at=1300 longest=-1 stretches=1\n"
      "ui-stall at=1400 longest=2 stretches=1 extra\n"
      "ui-stall longest=2 at=1500 stretches=1\n"
      "ui-stall at=1600 longest=2\n"
      "ui-stall at=x longest=2 stretches=1\n"
      "ui-stall at=1700 longest=0.5 stretches=2\n"
      "ui-stall at=1800 longest=30 stretches=2 own=4.5\n"
      "ui-stall at=1900 longest=30 stretches=2 own=x\n"
      "ui-stall at=2000 longest=30 stretches=2 mine=4";
  const auto lines = BenchOutput::ParseStallLines(text);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_DOUBLE_EQ(lines[0].at_ms, 1000);
  EXPECT_DOUBLE_EQ(lines[0].longest_ms, 3.25);
  EXPECT_EQ(lines[0].stretches, 4);
  EXPECT_DOUBLE_EQ(lines[1].longest_ms, 17);
  EXPECT_EQ(lines[1].stretches, 120);
  EXPECT_DOUBLE_EQ(lines[2].at_ms, 1700);
  EXPECT_EQ(lines[2].own_ms, std::nullopt);
  EXPECT_EQ(lines[3].own_ms, 4.5);
}

TEST(BenchOutputTest, LongestStallCoversTheWindowAndTheLineThatClosesIt) {
  const std::vector<BenchOutput::StallLine> lines = {
      {100, 40, 1},  // start-up, before the window
      {200, 3, 5},  {300, 9, 5},
      {400, 4, 5},  {500, 6, 5},  // first line at or after the end: still counted
      {600, 50, 5},               // after: not counted
  };
  const struct {
    double from, to;
    std::optional<double> longest;
  } cases[] = {
      {150, 450, 9}, {150, 500, 9},   {310, 450, 6},
      {0, 150, 40},  {150, 1000, 50}, {700, 900, std::nullopt},
      {450, 460, 6},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BenchOutput::LongestStallBetween(lines, c.from, c.to), c.longest)
        << c.from << ".." << c.to;
  }
  EXPECT_EQ(BenchOutput::LongestStallBetween({}, 0, 100), std::nullopt);
  // The own figures over the same window; lines without one are passed over.
  const std::vector<BenchOutput::StallLine> own = {
      {200, 30, 5, 4.0}, {300, 25, 5, std::nullopt}, {400, 20, 5, 7.5}, {500, 60, 5, 50}};
  EXPECT_EQ(BenchOutput::LongestOwnStallBetween(own, 150, 400), 7.5);
  EXPECT_EQ(BenchOutput::LongestOwnStallBetween(own, 250, 290), std::nullopt);
}

}  // namespace
}  // namespace benchtable
