// The shell's special folders and the literal temporary folders on Windows.
#include "platform/shell_folders.h"

#include <cstdlib>
#include <string>

#include "base/utf.h"
#include "gtest/gtest.h"

namespace platform {
namespace {

std::u16string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? nbase::Utf8ToUtf16(value) : std::u16string();
}

TEST(ShellFoldersWinTest, IdentifiersNameTheShellsFolders) {
  EXPECT_EQ(GetSpecialFolder(kCsidlProgramFilesX86), Environment("ProgramFiles(x86)"));
  EXPECT_EQ(GetSpecialFolder(kCsidlAppData), Environment("APPDATA"));
  const std::u16string desktop = GetSpecialFolder(kCsidlDesktop);
  EXPECT_EQ(desktop.rfind(Environment("USERPROFILE") + u"\\", 0), 0u) << nbase::Utf16ToUtf8(desktop);
  EXPECT_EQ(GetSpecialFolder(-1), u"");
}

TEST(ShellFoldersWinTest, TemporaryCandidatesAreTheLiteralFolders) {
  EXPECT_EQ(GetTempFolderCandidates(), (std::vector<std::u16string>{u"d:\\Temp", u"c:\\Temp"}));
}

}  // namespace
}  // namespace platform
