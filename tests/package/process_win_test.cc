// Processes on Windows through the real services: CreateProcessW hands the
// child the installer's command line exactly, the tool-help snapshot finds
// it by executable name and TerminateProcess ends it, and the shell hands a
// web address to the program registered for its scheme. The child is the
// echo program built beside this test (command_line_echo_main.cc).
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/command_line.h"
#include "platform/process_launcher.h"
#include "base/utf.h"
#include "platform/process_list.h"
#include "platform/web_browser.h"
#include "tests/platform/child_program_win.h"
#include "tests/platform/test_support.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

std::u16string Utf16(const fs::path& path) { return path.u16string(); }

class ProcessWinTest : public ::testing::Test {
 protected:
  void TearDown() override {
    // A waiting child of a failed test must not outlive the run.
    if (!waiting_name_.empty()) FindProcesses(waiting_name_, /*terminate=*/true);
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
  std::u16string waiting_name_;
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
  waiting_name_ = name16;
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

TEST_F(ProcessWinTest, TheShellOpensAnAddressWithItsRegisteredHandler) {
  // A scheme of this test run only, handled by the echo program, stands in
  // for the browser (the private Wine prefix has none to spare).
  const auto handler = PlaceEcho(L"browser\\handler.exe");
  const std::wstring scheme = L"varnik-test-" + std::to_wstring(GetCurrentProcessId());
  const std::wstring command = L"\"" + handler.native() + L"\" \"%1\"";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, (scheme + L"\\shell\\open\\command").c_str(),
                            nullptr, REG_SZ, command.c_str(),
                            static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  RegSetKeyValueW(HKEY_CLASSES_ROOT, scheme.c_str(), L"URL Protocol", REG_SZ, L"", sizeof(L""));

  const std::u16string address =
      Utf16(fs::path(scheme)) + u"://127.0.0.1/offline/pdf.html?a=1&b=$(x);`y` z";
  EXPECT_EQ(OpenInWebBrowser(address), 0);
  EXPECT_TRUE(varnik_test::WaitFor([&] {
    return Received(handler) == u"\"" + Utf16(handler) + u"\" \"" + address + u"\"";
  })) << nbase::Utf16ToUtf8(Received(handler));
  RegDeleteTreeW(HKEY_CLASSES_ROOT, scheme.c_str());
}

}  // namespace
}  // namespace platform
