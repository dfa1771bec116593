#include "platform/named_mutex.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "gtest/gtest.h"
#include "platform/error_codes.h"
#include "tests/platform/test_support.h"

extern char** environ;

namespace platform {
namespace {

using varnik_test::RunInChild;
using varnik_test::ScopedEnv;
using varnik_test::ScopedTempDir;

constexpr char16_t kName[] = u"zorvPackageInstalled";

class NamedMutexTest : public ::testing::Test {
 protected:
  NamedMutexTest() : runtime_("XDG_RUNTIME_DIR", dir_.path().c_str()) {}
  ScopedTempDir dir_;
  ScopedEnv runtime_;
};

TEST_F(NamedMutexTest, SecondProcessSeesAlreadyExists) {
  NamedMutex mutex;
  ASSERT_EQ(mutex.Create(kName), kErrorSuccess);
  EXPECT_EQ(NamedMutex::LockFilePath(kName), dir_.path() + "/zorvPackageInstalled.lock");
  auto second = RunInChild([] {
    NamedMutex other;
    return std::to_string(other.Create(kName));
  });
  EXPECT_EQ(second.output, std::to_string(kErrorAlreadyExists));
  // Another name is another mutex.
  auto other_name = RunInChild([] { return std::to_string(NamedMutex().Create(u"another")); });
  EXPECT_EQ(other_name.output, "0");

  mutex.Release();
  auto after = RunInChild([] { return std::to_string(NamedMutex().Create(kName)); });
  EXPECT_EQ(after.output, "0");
}

TEST_F(NamedMutexTest, HolderKilledWithSigkillFreesIt) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t holder = fork();
  if (holder == 0) {
    alarm(60);
    close(ready[0]);
    NamedMutex mutex;
    char result = mutex.Create(kName) == kErrorSuccess ? 'y' : 'n';
    if (write(ready[1], &result, 1) != 1) _exit(2);
    pause();  // hold it until killed
    _exit(0);
  }
  close(ready[1]);
  char result = 0;
  ASSERT_EQ(read(ready[0], &result, 1), 1);
  close(ready[0]);
  ASSERT_EQ(result, 'y');
  NamedMutex mutex;
  EXPECT_EQ(mutex.Create(kName), kErrorAlreadyExists);
  kill(holder, SIGKILL);
  int status = 0;
  ASSERT_EQ(waitpid(holder, &status, 0), holder);
  EXPECT_EQ(mutex.Create(kName), kErrorSuccess);
}

TEST_F(NamedMutexTest, ChildProgramDoesNotInheritIt) {
  // The holder starts a long-running program and ends; the program must not
  // keep the mutex.
  int report[2];
  ASSERT_EQ(pipe(report), 0);
  pid_t holder = fork();
  if (holder == 0) {
    alarm(60);
    close(report[0]);
    NamedMutex mutex;
    if (mutex.Create(kName) != kErrorSuccess) _exit(2);
    pid_t child = 0;
    char arg0[] = "sleep";
    char arg1[] = "60";
    char* argv[] = {arg0, arg1, nullptr};
    if (posix_spawnp(&child, "sleep", nullptr, nullptr, argv, environ) != 0) _exit(3);
    if (write(report[1], &child, sizeof(child)) != sizeof(child)) _exit(4);
    _exit(0);
  }
  close(report[1]);
  pid_t program = 0;
  ASSERT_EQ(read(report[0], &program, sizeof(program)), static_cast<ssize_t>(sizeof(program)));
  close(report[0]);
  int status = 0;
  ASSERT_EQ(waitpid(holder, &status, 0), holder);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_EQ(kill(program, 0), 0);  // the program still runs

  NamedMutex mutex;
  EXPECT_EQ(mutex.Create(kName), kErrorSuccess);
  kill(program, SIGKILL);
}

TEST_F(NamedMutexTest, FallsBackToPrivateFolderWithoutRuntimeDir) {
  ScopedEnv unset("XDG_RUNTIME_DIR", nullptr);
  std::string path = NamedMutex::LockFilePath(kName);
  std::string expected_folder = "/tmp/varnik-" + std::to_string(geteuid());
  EXPECT_EQ(path, expected_folder + "/zorvPackageInstalled.lock");
  struct stat st;
  ASSERT_EQ(lstat(expected_folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(NamedMutexTest, RefusesNamesThatAreNotOneFileName) {
  NamedMutex mutex;
  EXPECT_EQ(mutex.Create(u""), kErrorInvalidParameter);
  EXPECT_EQ(mutex.Create(u"../escape"), kErrorInvalidParameter);
  EXPECT_FALSE(mutex.owned());
}

TEST_F(NamedMutexTest, PlantedSymlinkIsNotFollowed) {
  std::string target = dir_.path() + "/target";
  ASSERT_EQ(symlink(target.c_str(), (dir_.path() + "/zorvPackageInstalled.lock").c_str()), 0);
  NamedMutex mutex;
  EXPECT_NE(mutex.Create(kName), kErrorSuccess);
  struct stat st;
  EXPECT_NE(stat(target.c_str(), &st), 0);  // nothing created through the link
}

}  // namespace
}  // namespace platform
