#include "base/string_util.h"

#include <gtest/gtest.h>

namespace nbase {
namespace {

TEST(ReplaceAll, ReplacesAdjacentOccurrencesAndNeverRescansReplacements) {
  struct Case {
    std::u16string text, from, to, expected;
    size_t count;
  } cases[] = {
      {u"aaa", u"a", u"b", u"bbb", 3},
      {u"aaaa", u"aa", u"a", u"aa", 2},
      {u"a\r\nb\r\n", u"\r\n", u" ", u"a b ", 2},
      {u"xx", u"x", u"xx", u"xxxx", 2},
      {u"abc", u"", u"z", u"abc", 0},
      {u"abc", u"d", u"z", u"abc", 0},
      {u"", u"a", u"b", u"", 0},
  };
  for (auto& c : cases) {
    std::u16string text = c.text;
    EXPECT_EQ(ReplaceAll(text, c.from, c.to), c.count);
    EXPECT_EQ(text, c.expected);
  }
  std::string narrow = "a,,b";
  EXPECT_EQ(ReplaceAll(narrow, ",", ";"), 2u);
  EXPECT_EQ(narrow, "a;;b");
}

TEST(FormatText, FillsTheProductsPatterns) {
  EXPECT_EQ(FormatText(u"正在下载，请不要关闭：%0.1f%%", {45.3}), u"正在下载，请不要关闭：45.3%");
  EXPECT_EQ(FormatText(u"%0.1f%%", {100.0}), u"100.0%");
  EXPECT_EQ(FormatText(u"%0.1f", {0.05}), u"0.1");  // printf rounding of a double just above 0.05
  EXPECT_EQ(FormatText(u"Failed to load xml file %s", {u"basic/basic.xml"}),
            u"Failed to load xml file basic/basic.xml");
  EXPECT_EQ(FormatText(u"ret=%d, %s", {-10002, u"失败"}), u"ret=-10002, 失败");
}

TEST(FormatText, KeepsConversionsWithoutAFittingArgumentLiterally) {
  EXPECT_EQ(FormatText(u"%s and %d", {u"x"}), u"x and %d");
  EXPECT_EQ(FormatText(u"%d", {u"text"}), u"%d");
  EXPECT_EQ(FormatText(u"100%", {}), u"100%");
  EXPECT_EQ(FormatText(u"%q", {1}), u"%q");
}

TEST(EqualsIgnoreAsciiCase, FoldsOnlyAscii) {
  EXPECT_TRUE(EqualsIgnoreAsciiCase(u"SoftWare\\Zorv", u"software\\ZORV"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase(u"\u00c9", u"\u00e9"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase(u"ab", u"abc"));
  EXPECT_TRUE(EqualsIgnoreAsciiCase(std::string("CheckBox"), std::string("checkbox")));
}

}  // namespace
}  // namespace nbase
