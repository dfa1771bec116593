// The system facts on Windows: the version's name, the bitness of the
// machine (not of this program), and the system's error texts.
#include "platform/system_info.h"

#include <windows.h>

#include "base/utf.h"
#include "gtest/gtest.h"

namespace platform {
namespace {

TEST(SystemInfoWinTest, NamesAWindowsVersion) {
  const std::u16string name = GetOsName();
  EXPECT_EQ(name.rfind(u"Microsoft Windows ", 0), 0u) << nbase::Utf16ToUtf8(name);
  EXPECT_EQ(GetBitnessText(), u"64bit");
  EXPECT_STREQ(GetPlatformName(), "windows");
}

TEST(SystemInfoWinTest, ErrorTextsComeFromTheSystem) {
  for (DWORD code : {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_DISK_FULL}) {
    const std::u16string text = SystemErrorText(static_cast<int32_t>(code));
    EXPECT_FALSE(text.empty()) << code;
    EXPECT_EQ(text.find_first_of(u"\r\n"), std::u16string::npos) << code;
  }
  EXPECT_NE(SystemErrorText(ERROR_FILE_NOT_FOUND), SystemErrorText(ERROR_ACCESS_DENIED));
  EXPECT_EQ(SystemErrorText(0x7FFF0001), u"") << "a code the system has no text for";
}

}  // namespace
}  // namespace platform
