// The browser opener against real stand-in programs on PATH: the address is
// trimmed, handed over as one argument (never through a shell), and the
// fallback browser is asked only when xdg-open fails.
#include "installer_ui/url_opener.h"

#include <sys/stat.h>

#include <string>

#include "gtest/gtest.h"
#include "tests/platform/test_support.h"

namespace installer_ui {
namespace {

TEST(UrlOpenerTest, TrimsBlanksAndControlCharactersAtBothEndsOnly) {
  const struct {
    std::u16string in;
    std::u16string out;
  } cases[] = {
      {u"  http://a/b  ", u"http://a/b"},
      {u"\t\r\nhttp://a/b\x1D", u"http://a/b"},
      // U+001E and U+001F are kept: only codes below 0x1E go.
      {u"\x1Ehttp://a\x1F", u"\x1Ehttp://a\x1F"},
      {u"http://a/ b c", u"http://a/ b c"},
      {u"   ", u""},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(TrimUrl(c.in), c.out);
}

class UrlOpenerProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { path_.reset(new varnik_test::ScopedEnv("PATH", dir_.path().c_str())); }

  void Fake(const std::string& name, int code) {
    varnik_test::WriteFile(dir_.path() + "/" + name,
                           "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done >> '" +
                               dir_.path() + "/" + name + ".log'\nexit " + std::to_string(code) +
                               "\n");
    chmod((dir_.path() + "/" + name).c_str(), 0700);
  }
  std::string Log(const std::string& name) {
    return varnik_test::ReadFile(dir_.path() + "/" + name + ".log");
  }

  varnik_test::ScopedTempDir dir_;
  std::unique_ptr<varnik_test::ScopedEnv> path_;
};

TEST_F(UrlOpenerProcessTest, XdgOpenGetsTheTrimmedAddressAsOneArgument) {
  Fake("xdg-open", 0);
  Fake("x-www-browser", 0);
  EXPECT_EQ(OpenUrlAndWait(u" http://h/p?a=1&b=$(x);`y` \n"), 0);
  EXPECT_EQ(Log("xdg-open"), "[http://h/p?a=1&b=$(x);`y`]\n");
  EXPECT_EQ(Log("x-www-browser"), "");
}

TEST_F(UrlOpenerProcessTest, FallbackBrowserWhenXdgOpenFailsOrIsMissing) {
  Fake("xdg-open", 4);
  Fake("x-www-browser", 0);
  EXPECT_EQ(OpenUrlAndWait(u"http://h/x"), 0);
  EXPECT_EQ(Log("xdg-open"), "[http://h/x]\n");
  EXPECT_EQ(Log("x-www-browser"), "[http://h/x]\n");

  unlink((dir_.path() + "/xdg-open").c_str());
  EXPECT_EQ(OpenUrlAndWait(u"http://h/y"), 0);
  EXPECT_EQ(Log("x-www-browser"), "[http://h/x]\n[http://h/y]\n");
}

TEST_F(UrlOpenerProcessTest, BothMissingIsASilentFailure) {
  EXPECT_EQ(OpenUrlAndWait(u"http://h/x"), 2);
}

TEST_F(UrlOpenerProcessTest, PagesUseTheConfiguredHosts) {
  varnik_test::ScopedEnv host("VARNIK_SERVER_HOST", "127.0.0.1:8123");
  EXPECT_EQ(AgreementPageUrl(), u"http://127.0.0.1:8123/privacy/p1.html");
  EXPECT_EQ(OfflinePageUrl(), u"http://127.0.0.1:8123/offline/pdf.html");
}

}  // namespace
}  // namespace installer_ui
