#include "bench/table/child_process.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <string>

namespace benchtable {
namespace {

using namespace std::chrono_literals;

// Every wait below has its own deadline; none of them is a fixed sleep.
constexpr auto kDeadline = 20s;

ChildProcess Shell(const std::string& script, std::map<std::string, std::string> env = {}) {
  return ChildProcess({"/bin/sh", "-c", script}, std::move(env));
}

TEST(ChildProcessTest, OutputOfBothStreamsAndTheEnvironmentChanges) {
  setenv("BENCH_TABLE_REMOVED", "still here", 1);
  ChildProcess child = Shell(
      "echo \"out ${BENCH_TABLE_ADDED}\"; echo \"err [${BENCH_TABLE_REMOVED-unset}]\" >&2; exit 3",
      {{"BENCH_TABLE_ADDED", "中文 value"}, {"BENCH_TABLE_REMOVED", ""}});
  const double before = ChildProcess::MonotonicMs();
  ASSERT_TRUE(child.Start());
  unsetenv("BENCH_TABLE_REMOVED");
  EXPECT_GE(child.started_ms(), before);
  ASSERT_TRUE(child.WaitForExit(kDeadline));
  EXPECT_EQ(child.exit_code(), 3);
  EXPECT_EQ(child.Output(), "out 中文 value\nerr [unset]\n");
  EXPECT_FALSE(child.running());
  EXPECT_EQ(child.CpuTimeMs(), std::nullopt);
}

TEST(ChildProcessTest, TextWrittenJustBeforeTheEndIsStillFound) {
  ChildProcess child = Shell("echo ready-line");
  ASSERT_TRUE(child.Start());
  EXPECT_TRUE(child.WaitForText("ready-line", kDeadline));
  ChildProcess silent = Shell("exit 0");
  ASSERT_TRUE(silent.Start());
  // Ended without the text: false at once, not at the deadline.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(silent.WaitForText("never", 60s));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
}

TEST(ChildProcessTest, WaitingForTextEndsAtItsDeadline) {
  ChildProcess child = Shell("exec sleep 60");
  ASSERT_TRUE(child.Start());
  EXPECT_FALSE(child.WaitForText("never", 50ms));
  EXPECT_TRUE(child.running());
  ASSERT_TRUE(child.Stop(SIGTERM, kDeadline));
  EXPECT_EQ(child.exit_code(), 128 + SIGTERM);
}

TEST(ChildProcessTest, ChildIgnoringTheSignalIsKilledAfterTheTimeout) {
  ChildProcess child = Shell("trap '' TERM; echo armed; while :; do :; done");
  ASSERT_TRUE(child.Start());
  ASSERT_TRUE(child.WaitForText("armed", kDeadline));
  EXPECT_FALSE(child.Stop(SIGTERM, 100ms));
  EXPECT_FALSE(child.running());
  EXPECT_EQ(child.exit_code(), 128 + SIGKILL);
}

TEST(ChildProcessTest, CpuTimeGrowsWhileBusyAndPeakMemoryIsTheChilds) {
  // dd holds one 64 MiB buffer and fills it: its peak is at least that.
  ChildProcess child = Shell(
      "i=0; while [ $i -lt 200000 ]; do i=$((i+1)); done; echo busy-done; "
      "exec dd if=/dev/zero of=/dev/null bs=64M count=1 status=none");
  ASSERT_TRUE(child.Start());
  std::optional<double> cpu;
  ASSERT_TRUE(child.WaitForOutput(
      [&child, &cpu](const std::string&) {
        cpu = child.CpuTimeMs();
        return cpu && *cpu > 0;
      },
      kDeadline));
  ASSERT_TRUE(child.WaitForExit(kDeadline));
  EXPECT_EQ(child.exit_code(), 0);
  EXPECT_GE(child.peak_rss_kib(), 64 * 1024);
}

TEST(ChildProcessTest, MissingProgramDoesNotStart) {
  ChildProcess child({"/nonexistent/bench-table-program"}, {});
  EXPECT_FALSE(child.Start());
  EXPECT_FALSE(child.running());
  EXPECT_FALSE(child.WaitForExit(10ms));
  EXPECT_FALSE(child.Stop(SIGTERM, 10ms));
  ChildProcess empty({}, {});
  EXPECT_FALSE(empty.Start());
}

TEST(ChildProcessTest, SchedulerTimeIsTheFirstFieldOfSchedstat) {
  const struct {
    const char* text;
    std::optional<uint64_t> ns;
  } cases[] = {
      {"123456789 2000 17\n", 123456789},
      {"0 0 0\n", 0},
      {"42", 42},
      {"", std::nullopt},
      {"-5 1 1\n", std::nullopt},
      {"12a 1 1\n", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChildProcess::ParseSchedstatNs(c.text), c.ns) << c.text;
  }
}

TEST(ChildProcessTest, StatTicksAreCountedAfterTheCommandName) {
  const struct {
    const char* stat;
    std::optional<uint64_t> ticks;
  } cases[] = {
      {"42 (sh) S 1 42 42 0 -1 4194560 100 0 0 0 7 5 0 0 20 0 1 0", 12},
      {"42 (a b) (c)) R 1 42 42 0 -1 0 0 0 0 0 1000 24 0 0", 1024},
      {"42 (x) S 1 42 42 0 -1 0 0 0 0 0 7", std::nullopt},  // stime missing
      {"42 (x) S 1 42 42 0 -1 0 0 0 0 0 7x 5", std::nullopt},
      {"42 x S 1 42 42 0 -1 0 0 0 0 0 7 5", std::nullopt},  // no parentheses
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChildProcess::ParseStatCpuTicks(c.stat), c.ticks) << c.stat;
  }
}

}  // namespace
}  // namespace benchtable
