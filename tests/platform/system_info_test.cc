#include "platform/system_info.h"

#include <errno.h>

#include "base/utf.h"
#include "gtest/gtest.h"
#include "platform/debug_output.h"
#include "platform/product_hosts.h"
#include "platform/tick_count.h"
#include "tests/platform/test_support.h"

namespace platform {
namespace {

using varnik_test::ScopedEnv;

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
  for (const char* machine : {"x86_64", "aarch64", "ppc64le", "s390x", "riscv64"}) {
    EXPECT_EQ(BitnessTextForMachine(machine), u"64bit") << machine;
  }
  for (const char* machine : {"i686", "armv7l", "", "6"}) {
    EXPECT_EQ(BitnessTextForMachine(machine), u"32bit") << machine;
  }
  std::u16string own = GetBitnessText();
  EXPECT_EQ(own, sizeof(void*) == 8 ? u"64bit" : own);
}

TEST(SystemInfoTest, ErrorTextsHaveNoLineBreaks) {
  EXPECT_EQ(SystemErrorText(ENOENT), u"No such file or directory");
  EXPECT_EQ(SystemErrorText(0), u"Success");
  EXPECT_EQ(SystemErrorText(-10002), u"");
  EXPECT_EQ(SystemErrorText(100000), u"");
  for (int code = 0; code < 140; ++code) {
    std::u16string text = SystemErrorText(code);
    EXPECT_EQ(text.find_first_of(u"\r\n"), std::u16string::npos) << code;
  }
}

TEST(SystemInfoTest, TickCountAdvances) {
  uint32_t start = GetTickCount();
  EXPECT_TRUE(
      varnik_test::WaitFor([&] { return static_cast<uint32_t>(GetTickCount() - start) >= 2; }));
}

TEST(ProductHostsTest, OverrideOnlyForLoopbackHostPort) {
  struct Case {
    const char* value;
    bool accepted;
  };
  const Case cases[] = {
      {"127.0.0.1:8080", true},
      {"localhost:1", true},
      {"[::1]:65535", true},
      {"127.1.2.3:80", true},
      {"10.0.0.1:80", false},
      {"example.com:80", false},
      {"127.0.0.1", false},
      {"127.0.0.1:0", false},
      {"127.0.0.1:65536", false},
      {"127.0.0.1:8x", false},
      {"127.0.0.256:80", false},
      {"127.0.0:80", false},
      {":80", false},
      {"", false},
      {"127.0.0.1:80/path", false},
  };
  std::u16string built_in[4];
  {
    ScopedEnv unset(kServerHostVariable, nullptr);
    built_in[0] = GetSiteHost();
    built_in[1] = GetCdnHost();
    built_in[2] = GetAgreementHost();
    built_in[3] = GetOfflinePageHost();
  }
  for (const std::u16string& host : built_in) EXPECT_FALSE(host.empty());
  // The agreement page lives on the web server, the offline page on the
  // download server: two hosts.
  EXPECT_NE(built_in[2], built_in[3]);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(IsLoopbackHostPort(c.value), c.accepted);
    ScopedEnv env(kServerHostVariable, c.value);
    std::u16string hosts[4] = {GetSiteHost(), GetCdnHost(), GetAgreementHost(),
                               GetOfflinePageHost()};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(hosts[i], c.accepted ? nbase::Utf8ToUtf16(c.value) : built_in[i]);
    }
    EXPECT_EQ(IsServerHostPinned(), c.accepted);
  }
}

}  // namespace
}  // namespace platform
