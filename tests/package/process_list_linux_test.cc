#include "platform/process_list.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/package/package_test_env.h"
#include "tests/platform/test_support.h"

namespace platform {
namespace {

// Children started by fork + exec, killed and reaped at the end.
class Children {
 public:
  ~Children() {
    for (pid_t pid : pids_) {
      if (pid <= 0) continue;  // Reaped already; kill(-1) would hit everything.
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
  pid_t Start(const std::vector<std::string>& argv) {
    pid_t pid = fork();
    if (pid == 0) {
      std::vector<char*> args;
      for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
      args.push_back(nullptr);
      execv(args[0], args.data());
      _exit(127);
    }
    pids_.push_back(pid);
    return pid;
  }
  // Waits until `pid` ended and returns the signal that ended it (0: none).
  int Reap(pid_t pid) {
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    for (auto& known : pids_) {
      if (known == pid) known = 0;
    }
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }

 private:
  std::vector<pid_t> pids_;
};

// Copies the demo product application under `name` into `folder`.
std::string CopyProgram(const std::string& folder, const std::string& name) {
  const std::string path = folder + "/" + name;
  std::filesystem::copy_file(packagetest::ProductAppBinary(), path);
  chmod(path.c_str(), 0755);
  return path;
}

bool WaitForCount(const std::u16string& name, int32_t count) {
  return varnik_test::WaitFor([&] { return FindProcesses(name, false) == count; },
                              packagetest::kWatchdog.count());
}

TEST(ProcessListTest, FindsByTheFullExecutableNameAndEndsEveryInstance) {
  varnik_test::ScopedTempDir dir;
  // Longer than comm's 15 characters, and unique to this process so that
  // tests running beside this one are never touched.
  const std::string base = "vidIvurodezirarod-" + std::to_string(getpid()) + ".exe";
  const std::u16string name(base.begin(), base.end());
  ASSERT_EQ(FindProcesses(name, false), 0);
  Children children;
  const std::string program = CopyProgram(dir.path(), base);
  const std::string other_case = CopyProgram(dir.path(), "V" + base.substr(1));
  const std::string longer = CopyProgram(dir.path(), base + "2");
  pid_t first = children.Start({program});
  pid_t second = children.Start({program, "--install"});
  pid_t different = children.Start({other_case});
  pid_t prefix = children.Start({longer});
  ASSERT_TRUE(WaitForCount(name, 2));
  EXPECT_EQ(ListProcessesByName(name),
            (std::vector<pid_t>{std::min(first, second), std::max(first, second)}));

  EXPECT_EQ(FindProcesses(name, true), 2);
  EXPECT_EQ(children.Reap(first), SIGKILL);
  EXPECT_EQ(children.Reap(second), SIGKILL);
  EXPECT_EQ(FindProcesses(name, false), 0);
  // The look-alikes were neither counted nor ended.
  EXPECT_EQ(kill(different, 0), 0);
  EXPECT_EQ(kill(prefix, 0), 0);
}

TEST(ProcessListTest, AReplacedProgramFileStillCounts) {
  varnik_test::ScopedTempDir dir;
  Children children;
  const std::string program = CopyProgram(dir.path(), "replaced-program-name.exe");
  children.Start({program});
  ASSERT_TRUE(WaitForCount(u"replaced-program-name.exe", 1));
  ASSERT_EQ(unlink(program.c_str()), 0);  // /proc/<pid>/exe now ends in " (deleted)".
  EXPECT_EQ(FindProcesses(u"replaced-program-name.exe", false), 1);
}

TEST(ProcessListTest, AScriptRunningThroughItsInterpreterCountsByItsOwnName) {
  varnik_test::ScopedTempDir dir;
  Children children;
  const std::string script = dir.path() + "/long-script-name-tool.exe";
  varnik_test::WriteFile(script, "#!/bin/sh\nexec 0<&-\nwhile :; do sleep 1; done\n");
  chmod(script.c_str(), 0755);
  pid_t pid = children.Start({script});
  ASSERT_TRUE(WaitForCount(u"long-script-name-tool.exe", 1));
  EXPECT_EQ(ListProcessesByName(u"long-script-name-tool.exe"), std::vector<pid_t>{pid});
  // The interpreter's own name is not the script's.
  EXPECT_EQ(FindProcesses(u"long-script-name-tool", false), 0);
}

TEST(ProcessListTest, ZombiesAndTheCallerAreNotListed) {
  varnik_test::ScopedTempDir dir;
  Children children;
  const std::string program = CopyProgram(dir.path(), "zombie-to-be-program.exe");
  pid_t pid = children.Start({program});
  ASSERT_TRUE(WaitForCount(u"zombie-to-be-program.exe", 1));
  ASSERT_EQ(kill(pid, SIGKILL), 0);
  // Not reaped yet: a zombie, which no longer runs.
  EXPECT_TRUE(WaitForCount(u"zombie-to-be-program.exe", 0));
  EXPECT_EQ(children.Reap(pid), SIGKILL);
  // Other test processes of this executable may run beside this one; only
  // the caller itself must be missing.
  const auto same_program = ListProcessesByName(u"package_tests");
  EXPECT_EQ(std::count(same_program.begin(), same_program.end(), getpid()), 0);
  EXPECT_EQ(FindProcesses(u"", false), 0);
}

}  // namespace
}  // namespace platform
