#include "platform/system_info.h"

#include "base/tick_count.h"
#include "base/utf.h"
#include "gtest/gtest.h"
#include "platform/debug_output.h"
#include "platform/product_hosts.h"
#include "tests/platform/test_support.h"

namespace platform {
namespace {

using varnik_test::ScopedEnv;

TEST(SystemInfoTest, NamesTheSystemAndItsBitness) {
  EXPECT_FALSE(GetOsName().empty());
  if (sizeof(void*) == 8) {
    EXPECT_EQ(GetBitnessText(), u"64bit");
  }
}

TEST(SystemInfoTest, ErrorTextsAreOneLine) {
  EXPECT_FALSE(SystemErrorText(2).empty());
  EXPECT_EQ(SystemErrorText(-10002), u"");
  for (int code = 0; code < 140; ++code) {
    std::u16string text = SystemErrorText(code);
    EXPECT_EQ(text.find_first_of(u"\r\n"), std::u16string::npos) << code;
    if (!text.empty()) {
      EXPECT_NE(text.back(), u' ') << code;
    }
  }
}

TEST(SystemInfoTest, TickCountAdvances) {
  uint32_t start = nbase::GetTickCount();
  EXPECT_TRUE(
      varnik_test::WaitFor([&] { return static_cast<uint32_t>(nbase::GetTickCount() - start) >= 2; }));
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
