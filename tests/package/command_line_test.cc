#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace platform {
namespace {

using Args = std::vector<std::u16string>;

TEST(SplitCommandLineTest, WindowsRules) {
  struct Case {
    std::u16string text;
    Args expected;
  };
  const Case cases[] = {
      {u"", {}},
      {u"   \t ", {}},
      {u"a", {u"a"}},
      {u"  a   b\tc  ", {u"a", u"b", u"c"}},
      {u"\"a b\" c", {u"a b", u"c"}},
      {u"a\"b c\"d", {u"ab cd"}},
      {u"\"\"", {u""}},
      {u"a \"\" b", {u"a", u"", u"b"}},
      {u"\"unterminated quote", {u"unterminated quote"}},
      // Backslashes are literal unless a quote follows them.
      {u"C:\\dir\\file.exe x", {u"C:\\dir\\file.exe", u"x"}},
      {u"a\\\\b", {u"a\\\\b"}},
      // 2n backslashes + quote: n backslashes, the quote toggles.
      {u"\"a\\\\\" b", {u"a\\", u"b"}},
      // 2n+1 backslashes + quote: n backslashes and a literal quote.
      {u"a\\\"b", {u"a\"b"}},
      {u"a\\\\\\\"b", {u"a\\\"b"}},
      // Two quotes inside a quoted part give one literal quote.
      {u"\"a\"\"b\" c", {u"a\"b", u"c"}},
      // Shell characters mean nothing.
      {u"x ; $(rm -rf /) `id` | > <",
       {u"x", u";", u"$(rm", u"-rf", u"/)", u"`id`", u"|", u">", u"<"}},
      {u"prog /S /D=/home/a b", {u"prog", u"/S", u"/D=/home/a", u"b"}},
      {u"名前 \"中 文\"", {u"名前", u"中 文"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitCommandLine(c.text), c.expected) << std::string(c.text.begin(), c.text.end());
  }
}

TEST(QuoteCommandLineArgumentTest, RoundTripsThroughTheSplitter) {
  const std::u16string arguments[] = {
      u"plain",
      u"/tmp/with blank/DudIdiruvovoInstaller.exe",
      u"",
      u"tab\there",
      u"quote\"inside",
      u"\"",
      u"ends with backslash\\",
      u"back\\slash\\\"quote",
      u"trailing\\\\",
      u"$(id) `id` ; & | *",
      u"中文 路径",
  };
  for (const auto& argument : arguments) {
    std::u16string quoted = QuoteCommandLineArgument(argument);
    Args split = SplitCommandLine(quoted + u" next");
    ASSERT_EQ(split.size(), 2u) << std::string(quoted.begin(), quoted.end());
    EXPECT_EQ(split[0], argument);
    EXPECT_EQ(split[1], u"next");
  }
}

TEST(QuoteCommandLineArgumentTest, LeavesSimpleArgumentsAlone) {
  EXPECT_EQ(QuoteCommandLineArgument(u"/tmp/x/a.exe"), u"/tmp/x/a.exe");
  EXPECT_EQ(QuoteCommandLineArgument(u"C:\\a\\b"), u"C:\\a\\b");
  EXPECT_EQ(QuoteCommandLineArgument(u"a b"), u"\"a b\"");
}

}  // namespace
}  // namespace platform
