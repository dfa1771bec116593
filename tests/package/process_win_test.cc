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
#include "platform/process_list.h"
#include "tests/platform/win_test_support.h"

namespace platform {
namespace {

using varnik_test::ScopedWinFolder;

class ProcessWinTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetEnvironmentVariableW(L"VARNIK_ECHO_EXIT_CODE", nullptr);
    SetEnvironmentVariableW(L"VARNIK_ECHO_WAIT", nullptr);
  }

  // A copy of the echo program at `relative` inside the private folder.
  std::filesystem::path PlaceEcho(const std::wstring& relative) {
    const std::filesystem::path target = folder_.path() / relative;
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(varnik_test::OwnFolder() / L"varnik_cmdline_echo.exe", target);
    return target;
  }

  // The raw command line the copy at `program` was started with.
  static std::u16string Received(const std::filesystem::path& program) {
    const std::string bytes = varnik_test::ReadWholeFile(program.native() + L".cmdline");
    return std::u16string(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
  }

  ScopedWinFolder folder_;
};

TEST_F(ProcessWinTest, ThePackageGetsTheInstallCommandLineExactly) {
  // A package folder and an installation folder with blanks and Chinese
  // letters; the folder after "/D=" stays unquoted, as the package expects.
  const auto package = PlaceEcho(L"下载 文件\\DudIdiruvovoInstaller.exe");
  const std::u16string install_dir = u"D:\\Program Files (x86)\\zorv\\dudIdiruvovo";
  const std::u16string command_line =
      QuoteCommandLineArgument(ScopedWinFolder::Utf16(package)) + u" /S /D=" + install_dir;
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
  const std::u16string program = ScopedWinFolder::Utf16(product);
  const std::u16string name16(name.begin(), name.end());
  SetEnvironmentVariableW(L"VARNIK_ECHO_WAIT", L"1");

  ASSERT_EQ(LaunchDetached(program + u" --install"), 0);
  ASSERT_TRUE(varnik_test::WaitUntil([&] { return FindProcesses(name16, false) == 1; }));
  EXPECT_TRUE(varnik_test::WaitUntil([&] { return Received(product) == program + u" --install"; }));
  std::u16string other_case = name16;
  other_case[0] = u'V';
  EXPECT_EQ(FindProcesses(other_case, false), 0) << "names compare with their case";
  EXPECT_EQ(ListProcessesByName(name16).size(), 1u);

  EXPECT_EQ(FindProcesses(name16, /*terminate=*/true), 1);
  EXPECT_TRUE(varnik_test::WaitUntil([&] { return FindProcesses(name16, false) == 0; }));
}

}  // namespace
}  // namespace platform
