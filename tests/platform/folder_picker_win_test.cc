// What counts as a chosen folder when the user types one on Windows: an
// absolute drive or network path, never a relative one.
#include <gtest/gtest.h>

#include <string>

#include "platform/folder_picker.h"

namespace platform {
namespace {

TEST(FolderPickerWinTest, AnAnswerMustBeAnAbsoluteWindowsPath) {
  const struct {
    std::string answer;
    bool ok;
  } cases[] = {
      {"C:\\Program Files (x86)\r\n", true}, {"d:/Tools", true}, {"\\\\server\\share", true},
      {"C:", false},  // The current folder of drive C:, not a folder of its own.
      {"Tools\\x", false}, {"\\Tools", false}, {"", false},
  };
  for (const auto& c : cases) {
    std::u16string folder;
    EXPECT_EQ(ParseFolderAnswer(c.answer, &folder), c.ok) << c.answer;
  }
  std::u16string folder;
  ASSERT_TRUE(ParseFolderAnswer("C:\\安装\r\n", &folder));
  EXPECT_EQ(folder, u"C:\\安装");
}

}  // namespace
}  // namespace platform
