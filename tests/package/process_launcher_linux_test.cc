#include "platform/process_launcher.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "base/utf.h"
#include "platform/command_line.h"
#include "tests/package/package_test_env.h"
#include "tests/platform/test_support.h"

namespace platform {
namespace {

using nbase::Utf8ToUtf16;

// A script that starts with "MZ" (no "#!" header), as the package does, and
// writes its arguments one per line and its raw command line to `record`.
std::string WriteRecordingScript(const std::string& folder, const std::string& record,
                                 int exit_code) {
  const std::string path = folder + "/recorder.exe";
  varnik_test::WriteFile(path, "MZ=; for a do printf '%s\\n' \"$a\"; done > '" + record +
                                   "'\nprintf '%s' \"$VARNIK_COMMAND_LINE\" > '" + record +
                                   ".raw'\nexit " + std::to_string(exit_code) + "\n");
  chmod(path.c_str(), 0755);
  return path;
}

TEST(RunAndWaitTest, ReturnsTheExitCode) {
  for (int code : {0, 1, 5, 255}) {
    EXPECT_EQ(RunAndWait(Utf8ToUtf16("/bin/sh -c \"exit " + std::to_string(code) + "\"")), code);
  }
  EXPECT_EQ(RunAndWait(u"true"), 0) << "names without a folder are looked up in PATH";
}

TEST(RunAndWaitTest, StartErrorsComeBackAsTheResult) {
  varnik_test::ScopedTempDir dir;
  EXPECT_EQ(RunAndWait(Utf8ToUtf16(dir.path() + "/missing.exe /S")), ENOENT);
  EXPECT_EQ(RunAndWait(u"no-such-program-anywhere-1234"), ENOENT);
  EXPECT_EQ(RunAndWait(u""), EINVAL);
  EXPECT_EQ(RunAndWait(u"   "), EINVAL);
  const std::string not_executable = dir.path() + "/plain.exe";
  varnik_test::WriteFile(not_executable, "MZ=; exit 0\n");
  chmod(not_executable.c_str(), 0644);
  EXPECT_EQ(RunAndWait(Utf8ToUtf16(not_executable)), EACCES);  // No execute bit: even root may not.
}

TEST(RunAndWaitTest, AProcessEndedBySignalHasNoExitCode) {
  EXPECT_EQ(RunAndWait(u"/bin/sh -c \"kill -9 $$\""), kNoExitCode);
}

TEST(RunAndWaitTest, MzScriptRunsThroughTheShellAndGetsExactArgumentsWithoutAShell) {
  varnik_test::ScopedTempDir dir;
  const std::string record = dir.path() + "/args.txt";
  const std::string script = WriteRecordingScript(dir.path(), record, 7);
  const std::u16string command_line = QuoteCommandLineArgument(Utf8ToUtf16(script)) +
                                      u" /S \"a b\" $(touch pwned) `touch pwned2` ; x|y";
  EXPECT_EQ(RunAndWait(command_line), 7);
  EXPECT_EQ(varnik_test::ReadFile(record), "/S\na b\n$(touch\npwned)\n`touch\npwned2`\n;\nx|y\n");
  EXPECT_EQ(nbase::Utf8ToUtf16(varnik_test::ReadFile(record + ".raw")), command_line);
  EXPECT_NE(access((dir.path() + "/pwned").c_str(), F_OK), 0);
  EXPECT_NE(access("pwned", F_OK), 0);
  EXPECT_NE(access("pwned2", F_OK), 0);
}

TEST(RunAndWaitTest, ScriptInAFolderWithBlanksAndQuotesRunsWhenQuoted) {
  varnik_test::ScopedTempDir dir;
  const std::string folder = dir.path() + "/a b \"c\" $(x)";
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  const std::string record = dir.path() + "/args.txt";
  const std::string script = WriteRecordingScript(folder, record, 0);
  EXPECT_EQ(RunAndWait(QuoteCommandLineArgument(Utf8ToUtf16(script)) + u" one"), 0);
  EXPECT_EQ(varnik_test::ReadFile(record), "one\n");
}

TEST(LaunchDetachedTest, StartsInItsOwnSessionAndIsNotOurChild) {
  varnik_test::ScopedTempDir dir;
  const std::string record = dir.path() + "/ids.txt";
  const std::string script = dir.path() + "/ids.exe";
  varnik_test::WriteFile(script, "#!/bin/sh\ncut -d' ' -f4,6 /proc/$$/stat > '" + record +
                                     ".part'\nmv '" + record + ".part' '" + record + "'\n");
  chmod(script.c_str(), 0755);
  ASSERT_EQ(LaunchDetached(Utf8ToUtf16(script)), 0);
  ASSERT_TRUE(varnik_test::WaitFor([&] { return access(record.c_str(), F_OK) == 0; },
                                   packagetest::kWatchdog.count()));
  long sid = 0, ppid = 0;
  ASSERT_EQ(sscanf(varnik_test::ReadFile(record).c_str(), "%ld %ld", &ppid, &sid), 2);
  EXPECT_NE(sid, static_cast<long>(getsid(0)));
  EXPECT_NE(ppid, static_cast<long>(getpid()));
  EXPECT_EQ(LaunchDetached(Utf8ToUtf16(dir.path() + "/missing")), ENOENT);
}

}  // namespace
}  // namespace platform
