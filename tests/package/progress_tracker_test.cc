#include "package/progress_tracker.h"

#include <gtest/gtest.h>

#include "package/download_progress.h"

namespace package {
namespace {

TEST(ProgressTrackerTest, IgnoredStagesChangeNothing) {
  for (InstallStage stage :
       {InstallStage::kWelcome, InstallStage::kInstalled, InstallStage::kDownloadFailed,
        InstallStage::kWaitingForApp, InstallStage::kInstallFailed}) {
    ProgressTracker tracker;
    EXPECT_FALSE(tracker.Update(stage, 500, 0, 0).has_value());
    EXPECT_FALSE(tracker.Update(stage, 0, 0, 0).has_value());
    EXPECT_EQ(tracker.progress(), 0);
  }
}

TEST(ProgressTrackerTest, DownloadFollowsTheShareUpToNinety) {
  ProgressTracker tracker;
  auto start = tracker.Update(InstallStage::kDownloading, 10, 1000, 0);
  ASSERT_TRUE(start);
  EXPECT_EQ(start->bar_value, 1);
  EXPECT_EQ(start->label, u"正在下载，请不要关闭：1.0%");
  struct Step {
    int32_t share;
    int32_t bar;
    std::u16string label;
  };
  const Step steps[] = {
      {1, 0, u"正在下载，请不要关闭：0.1%"},
      {453, 45, u"正在下载，请不要关闭：45.3%"},
      {900, 90, u"正在下载，请不要关闭：90.0%"},
      {5000, 90, u"正在下载，请不要关闭：90.0%"},  // Capped at 900.
  };
  for (const auto& step : steps) {
    auto view = tracker.Update(InstallStage::kDownloading, 0, 1200, step.share);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->bar_value, step.bar);
    EXPECT_EQ(view->label, step.label);
    EXPECT_FALSE(view->show_slow_hint);
  }
}

TEST(ProgressTrackerTest, SlowHintOnceAfterTenSecondsAcrossTheTickWrap) {
  ProgressTracker tracker;
  const uint32_t start = 0xFFFFF000u;  // The tick wraps during the download.
  tracker.Update(InstallStage::kDownloading, 10, start, 0);
  EXPECT_FALSE(tracker.Update(InstallStage::kDownloading, 0, start + 10000, 0)->show_slow_hint);
  EXPECT_TRUE(tracker.Update(InstallStage::kDownloading, 0, start + 10001, 0)->show_slow_hint);
  EXPECT_FALSE(tracker.Update(InstallStage::kDownloading, 0, start + 12000, 0)->show_slow_hint);
  EXPECT_TRUE(tracker.slow_hint_shown());
  // A new download restarts the clock.
  tracker.Update(InstallStage::kDownloading, 10, 5, 0);
  EXPECT_FALSE(tracker.slow_hint_shown());
  EXPECT_FALSE(tracker.Update(InstallStage::kDownloading, 0, 9000, 0)->show_slow_hint);
}

TEST(ProgressTrackerTest, InstallingClimbsToNinetyNinePointNineInFortyOneTicks) {
  ProgressTracker tracker;
  auto done = tracker.Update(InstallStage::kDownloading, kProgressDownloadDone, 0, 0);
  EXPECT_EQ(done->label, u"正在下载，请不要关闭：90.0%");  // 900 is not above 900.
  auto first = tracker.Update(InstallStage::kInstalling, 0, 0, 0);
  EXPECT_EQ(first->label, u"下载完成，正在安装，请不要关闭：90.3%");
  int ticks = 1;
  while (tracker.progress() < 999) {
    ASSERT_LT(ticks, 100);
    tracker.Update(InstallStage::kInstalling, 0, 0, 0);
    ++ticks;
    if (ticks == 17) {
      EXPECT_EQ(tracker.progress(), 951);
    }
  }
  EXPECT_EQ(ticks, 41);
  auto stays = tracker.Update(InstallStage::kInstalling, 0, 0, 0);
  EXPECT_EQ(stays->bar_value, 99);
  EXPECT_EQ(stays->label, u"下载完成，正在安装，请不要关闭：99.9%");
  // Retention (page hidden) still advances like installing.
  ProgressTracker retention;
  retention.Update(InstallStage::kRetention, 100, 0, 0);
  EXPECT_EQ(retention.Update(InstallStage::kRetention, 0, 0, 0)->label,
            u"正在下载，请不要关闭：10.3%");
}

TEST(ProgressTrackerTest, ExplicitValuesAreNotCapped) {
  ProgressTracker tracker;
  auto view = tracker.Update(InstallStage::kInstalling, 1000, 0, 0);
  EXPECT_EQ(view->bar_value, 100);
  EXPECT_EQ(tracker.progress(), 1000);
  EXPECT_EQ(tracker.Update(InstallStage::kInstalling, 0, 0, 0)->bar_value, 99);
}

TEST(DownloadProgressTest, ShareOfTheTransfer) {
  struct Case {
    uint64_t done, total;
    int32_t share;
  };
  const Case cases[] = {
      {0, 0, 1},   {12345, 0, 1},  {0, 100, 0},     {1, 900, 1},
      {1, 901, 0}, {50, 100, 450}, {100, 100, 900}, {5000000000ull, 10000000000ull, 450},
  };
  for (const auto& c : cases) {
    RecordDownloadProgress(c.done, c.total);
    EXPECT_EQ(DownloadProgressShare(), c.share) << c.done << "/" << c.total;
  }
}

}  // namespace
}  // namespace package
