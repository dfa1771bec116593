// The Linux sources of the system facts: os-release, uname's machine names,
// the C library's error texts.
#include <errno.h>

#include "gtest/gtest.h"
#include "platform/system_info.h"

namespace platform {
namespace {

TEST(SystemInfoTest, PrettyNameFromOsRelease) {
  struct Case {
    const char* content;
    std::u16string name;
  };
  const Case cases[] = {
      {"NAME=x\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n",
       u"Debian GNU/Linux 12 (bookworm)"},
      {"PRETTY_NAME='Single quoted'", u"Single quoted"},
      {"PRETTY_NAME=Bare\r\n", u"Bare"},
      {"PRETTY_NAME=\"Esc \\\"q\\\" \\\\\"\n", u"Esc \"q\" \\"},
      {"PRETTY_NAME=\"first\"\nPRETTY_NAME=\"second\"\n", u"second"},
      {"PRETTY_NAME=\"unterminated\n", u""},
      {"NAME=only\n", u""},
      {"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    EXPECT_EQ(PrettyNameFromOsRelease(c.content), c.name);
  }
  EXPECT_FALSE(GetOsName().empty());
}

TEST(SystemInfoTest, BitnessOfMachineNames) {
  EXPECT_STREQ(GetPlatformName(), "linux");
  for (const char* machine : {"x86_64", "aarch64", "ppc64le", "s390x", "riscv64"}) {
    EXPECT_EQ(BitnessTextForMachine(machine), u"64bit") << machine;
  }
  for (const char* machine : {"i686", "armv7l", "", "6"}) {
    EXPECT_EQ(BitnessTextForMachine(machine), u"32bit") << machine;
  }
  std::u16string own = GetBitnessText();
  EXPECT_EQ(own, sizeof(void*) == 8 ? u"64bit" : own);
}

TEST(SystemInfoTest, ErrorTextsAreTheCLibrarysInEnglish) {
  EXPECT_EQ(SystemErrorText(ENOENT), u"No such file or directory");
  EXPECT_EQ(SystemErrorText(0), u"Success");
  EXPECT_EQ(SystemErrorText(100000), u"");
}

}  // namespace
}  // namespace platform
