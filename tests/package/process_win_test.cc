// Processes on Windows through the real services: CreateProcessW hands the
// child the installer's command line exactly, the tool-help snapshot finds
// it by executable name and TerminateProcess ends it. The child is the echo
// program built beside this test (command_line_echo_main.cc).
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/command_line.h"
#include "platform/process_launcher.h"
#include "base/utf.h"
#include "platform/process_list.h"
#include "tests/platform/child_program_win.h"
#include "tests/platform/test_support.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

std::u16string Utf16(const fs::path& path) { return path.u16string(); }

class ProcessWinTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetEnvironmentVariableW(L"VARNIK_ECHO_EXIT_CODE", nullptr);
    SetEnvironmentVariableW(L"VARNIK_ECHO_WAIT", nullptr);
  }

  // A copy of the echo program at `relative` inside the private folder.
  fs::path PlaceEcho(const std::wstring& relative) {
    const fs::path target = fs::path(folder_.path16()) / relative;
    fs::create_directories(target.parent_path());
    fs::copy_file(fs::path(nbase::Utf8ToUtf16(varnik_test::TestProgramFolder())) /
                      L"varnik_cmdline_echo.exe",
                  target);
    return target;
  }

  // The raw command line the copy at `program` was started with.
  static std::u16string Received(const fs::path& program) {
    const std::string bytes = varnik_test::ReadFile(nbase::Utf16ToUtf8(Utf16(program) + u".cmdline"));
    return std::u16string(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
  }

  varnik_test::ScopedTempDir folder_;
};

TEST_F(ProcessWinTest, ThePackageGetsTheInstallCommandLineExactly) {
  // A package folder and an installation folder with blanks and Chinese
  // letters; the folder after "/D=" stays unquoted, as the package expects.
  const auto package = PlaceEcho(L"下载 文件\\DudIdiruvovoInstaller.exe");
  const std::u16string install_dir = u"D:\\Program Files (x86)\\zorv\\dudIdiruvovo";
  const std::u16string command_line =
      QuoteCommandLineArgument(Utf16(package)) + u" /S /D=" + install_dir;
  SetEnvironmentVariableW(L"VARNIK_ECHO_EXIT_CODE", L"23");
  EXPECT_EQ(RunAndWait(command_line), 23);
  EXPECT_EQ(Received(package), command_line);
}

TEST_F(ProcessWinTest, StartErrorsAreTheSystemsCodes) {
  EXPECT_EQ(RunAndWait(folder_.path16() + u"\\missing.exe /S"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RunAndWait(u""), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RunAndWait(u"   "), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(LaunchDetached(folder_.path16() + u"\\missing.exe"), ERROR_FILE_NOT_FOUND);
}

TEST_F(ProcessWinTest, SnapshotFindsTheDetachedProductAndTerminateEndsIt) {
  // The product's own start: its path, a blank and --install.
  const std::wstring name = L"varnik-echo-" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  const auto product = PlaceEcho(L"zorv\\" + name);
  const std::u16string program = Utf16(product);
  const std::u16string name16(name.begin(), name.end());
  SetEnvironmentVariableW(L"VARNIK_ECHO_WAIT", L"1");

  ASSERT_EQ(LaunchDetached(program + u" --install"), 0);
  ASSERT_TRUE(varnik_test::WaitFor([&] { return FindProcesses(name16, false) == 1; }));
  EXPECT_TRUE(varnik_test::WaitFor([&] { return Received(product) == program + u" --install"; }));
  std::u16string other_case = name16;
  other_case[0] = u'V';
  EXPECT_EQ(FindProcesses(other_case, false), 0) << "names compare with their case";
  EXPECT_EQ(ListProcessesByName(name16).size(), 1u);

  EXPECT_EQ(FindProcesses(name16, /*terminate=*/true), 1);
  EXPECT_TRUE(varnik_test::WaitFor([&] { return FindProcesses(name16, false) == 0; }));
}

}  // namespace
}  // namespace platform
