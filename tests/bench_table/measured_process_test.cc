// The lines the performance table measures by, from the real programs: the
// installer's first-frame line (VARNIK_DEBUG=1) and its UI pump's stall lines
// (VARNIK_UI_STALL=1), and the peer program's first-frame line, each read
// back through ChildProcess and BenchOutput as the table reads them.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/table/bench_output.h"
#include "bench/table/child_process.h"

namespace benchtable {
namespace {

using namespace std::chrono_literals;

constexpr auto kDeadline = 60s;

bool HasFirstFrame(const std::string& output) {
  return BenchOutput::FirstFrameMs(output).has_value();
}

// Private user folders and a closed loopback port for reports.
class InstallerEnvironment {
 public:
  InstallerEnvironment() {
    char pattern[] = "/tmp/bench_table_test.XXXXXX";
    root_ = mkdtemp(pattern);
    for (const char* sub : {"/home", "/config", "/data", "/cache", "/runtime"}) {
      mkdir((root_ + sub).c_str(), 0700);
    }
  }
  ~InstallerEnvironment() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  std::map<std::string, std::string> Variables(std::map<std::string, std::string> more) const {
    std::map<std::string, std::string> env = {{"HOME", root_ + "/home"},
                                              {"XDG_CONFIG_HOME", root_ + "/config"},
                                              {"XDG_DATA_HOME", root_ + "/data"},
                                              {"XDG_CACHE_HOME", root_ + "/cache"},
                                              {"XDG_RUNTIME_DIR", root_ + "/runtime"},
                                              {"SDL_VIDEODRIVER", "dummy"},
                                              {"VARNIK_DPI", "96"},
                                              {"VARNIK_SERVER_HOST", "127.0.0.1:1"},
                                              {"VARNIK_DEBUG", "1"},
                                              {"VARNIK_UI_STALL", ""}};
    for (const auto& [name, value] : more) env[name] = value;
    return env;
  }

 private:
  std::string root_;
};

TEST(MeasuredProcessTest, InstallerNotesItsFirstFrameAfterItsStartAndOnlyOnce) {
  InstallerEnvironment home;
  ChildProcess installer({VARNIK_SETUP_EXE}, home.Variables({}));
  ASSERT_TRUE(installer.Start());
  ASSERT_TRUE(installer.WaitForOutput(&HasFirstFrame, kDeadline)) << installer.Output();
  const double frame_ms = *BenchOutput::FirstFrameMs(installer.Output());
  EXPECT_GT(frame_ms, installer.started_ms());
  EXPECT_LT(frame_ms, ChildProcess::MonotonicMs());
  ASSERT_TRUE(installer.Stop(SIGTERM, kDeadline));
  EXPECT_GT(installer.peak_rss_kib(), 0);
  const std::string output = installer.Output();
  EXPECT_EQ(output.find("first frame presented"), output.rfind("first frame presented"));
  // The stall meter is off unless asked for.
  EXPECT_TRUE(BenchOutput::ParseStallLines(output).empty());
}

// The breakdown lines the rows up by step name: a step renamed or moved in
// either program would silently leave a row empty or wrong.
TEST(MeasuredProcessTest, InstallerAndPeerWriteTheirStartupStepsInOrderBeforeTheFirstFrame) {
  InstallerEnvironment home;
  ChildProcess installer({VARNIK_SETUP_EXE}, home.Variables({}));
  ChildProcess peer({VARNIK_PEER_EXE, "--exit"}, {{"SDL_VIDEODRIVER", "dummy"}});
  ASSERT_TRUE(installer.Start());
  ASSERT_TRUE(installer.WaitForOutput(&HasFirstFrame, kDeadline)) << installer.Output();
  ASSERT_TRUE(peer.Start());
  ASSERT_TRUE(peer.WaitForExit(kDeadline));
  installer.Stop(SIGTERM, kDeadline);

  const std::vector<std::string> expected = {
      "startup main", "startup backend up", "startup report properties", "startup skin opened",
      "startup style and strings", "startup configuration", "startup window laid out",
      "startup native window created", "startup first paint", "first frame presented"};
  const auto steps = BenchOutput::StartupSteps(installer.Output());
  std::vector<std::string> names;
  double previous_ms = installer.started_ms();
  for (const auto& [name, at_ms] : steps) {
    names.push_back(name);
    EXPECT_GE(at_ms, previous_ms) << name;
    previous_ms = at_ms;
  }
  EXPECT_EQ(names, expected) << installer.Output();

  size_t next = 0;  // the peer's steps are some of the installer's, in the same order
  for (const auto& [name, at_ms] : BenchOutput::StartupSteps(peer.Output())) {
    while (next < expected.size() && expected[next] != name) ++next;
    EXPECT_LT(next, expected.size()) << name << " is not an installer step in that order";
  }
  EXPECT_EQ(BenchOutput::StartupSteps(peer.Output()).size(), 5u) << peer.Output();
}

TEST(MeasuredProcessTest, InstallerWithoutDebugOutputPrintsNoFrameLine) {
  InstallerEnvironment home;
  ChildProcess installer({VARNIK_SETUP_EXE},
                         home.Variables({{"VARNIK_DEBUG", ""}, {"VARNIK_UI_STALL", "1"}}));
  ASSERT_TRUE(installer.Start());
  // The stall lines still come (the first at once), the frame line never.
  ASSERT_TRUE(installer.WaitForText("ui-stall ", kDeadline)) << installer.Output();
  ASSERT_TRUE(installer.Stop(SIGTERM, kDeadline));
  EXPECT_FALSE(BenchOutput::FirstFrameMs(installer.Output()).has_value());
}

TEST(MeasuredProcessTest, InstallerStallLinesAreWrittenWhileTheWindowIsUp) {
  InstallerEnvironment home;
  ChildProcess installer({VARNIK_SETUP_EXE}, home.Variables({{"VARNIK_UI_STALL", "1"}}));
  ASSERT_TRUE(installer.Start());
  ASSERT_TRUE(installer.WaitForOutput(
      [](const std::string& out) {
        return HasFirstFrame(out) && !BenchOutput::ParseStallLines(out).empty();
      },
      kDeadline))
      << installer.Output();
  const auto lines = BenchOutput::ParseStallLines(installer.Output());
  EXPECT_GT(lines.front().at_ms, installer.started_ms());
  EXPECT_GE(lines.front().stretches, 1);
  // A stretch cannot be longer than the process has lived.
  EXPECT_LT(lines.front().longest_ms, ChildProcess::MonotonicMs() - installer.started_ms());
  installer.Stop(SIGTERM, kDeadline);
}

TEST(MeasuredProcessTest, PeerPrintsTheSameLineAndEndsOnSigterm) {
  ChildProcess peer({VARNIK_PEER_EXE}, {{"SDL_VIDEODRIVER", "dummy"}});
  ASSERT_TRUE(peer.Start());
  ASSERT_TRUE(peer.WaitForOutput(&HasFirstFrame, kDeadline)) << peer.Output();
  EXPECT_GT(*BenchOutput::FirstFrameMs(peer.Output()), peer.started_ms());
  EXPECT_TRUE(peer.running());  // it waits for events, as an idle window does
  ASSERT_TRUE(peer.Stop(SIGTERM, kDeadline));
  EXPECT_EQ(peer.exit_code(), 0);
  EXPECT_GT(peer.peak_rss_kib(), 0);

  ChildProcess once({VARNIK_PEER_EXE, "--exit"}, {{"SDL_VIDEODRIVER", "dummy"}});
  ASSERT_TRUE(once.Start());
  ASSERT_TRUE(once.WaitForExit(kDeadline));
  EXPECT_EQ(once.exit_code(), 0);
  EXPECT_TRUE(HasFirstFrame(once.Output()));
}

}  // namespace
}  // namespace benchtable
