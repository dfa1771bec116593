#include "bench/table/startup_breakdown.h"

#include <gtest/gtest.h>

namespace benchtable {
namespace {

using Side = StartupBreakdown::Side;

TEST(StartupBreakdownTest, MediansPerStepAlignThePeerOnTheInstallersSteps) {
  StartupBreakdown breakdown;
  // Three installer runs started at different times; one reached no skin.
  breakdown.AddRun(Side::kInstaller, 1000, {{"startup main", 1010}, {"startup skin", 1030},
                                            {"first frame presented", 1050}});
  breakdown.AddRun(Side::kInstaller, 2000, {{"startup main", 2020}, {"startup skin", 2030},
                                            {"first frame presented", 2070}});
  breakdown.AddRun(Side::kInstaller, 3000, {{"startup main", 3030},
                                            {"first frame presented", 3040}});
  // The peer has no skin step: its first frame counts from its main.
  breakdown.AddRun(Side::kPeer, 500, {{"startup main", 505}, {"first frame presented", 525}});
  breakdown.AddRun(Side::kPeer, 600, {{"startup main", 607}, {"first frame presented", 617}});

  const auto rows = breakdown.Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].step, "startup main");
  EXPECT_EQ(rows[0].installer_since_previous, 20);
  EXPECT_EQ(rows[0].peer_since_start, 6);  // the mean of the middle two of an even count
  EXPECT_EQ(rows[1].step, "startup skin");
  EXPECT_EQ(rows[1].installer_since_previous, 15);  // runs without the step do not count
  EXPECT_EQ(rows[1].installer_since_start, 30);
  EXPECT_FALSE(rows[1].peer_since_previous.has_value());
  EXPECT_EQ(rows[2].step, "first frame presented");
  EXPECT_EQ(rows[2].installer_since_previous, 20);  // 20, 40 and 10 (from main)
  EXPECT_EQ(rows[2].installer_since_start, 50);
  EXPECT_EQ(rows[2].peer_since_previous, 15);
  EXPECT_EQ(breakdown.runs(Side::kInstaller), 3u);

  const std::string table = breakdown.RenderMarkdown();
  EXPECT_NE(table.find("| startup skin | 15.0 ms | 30.0 ms | - | - |"), std::string::npos)
      << table;
}

}  // namespace
}  // namespace benchtable
