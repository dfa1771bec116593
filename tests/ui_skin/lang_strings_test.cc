#include "ui/skin/lang_strings.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

TEST(LangStringsTest, ReadsIdentifiersAndTexts) {
  LangStrings strings;
  const size_t count = strings.Parse(
      "\xEF\xBB\xBF; 语言文件\r\n"
      "STRING_OK = 确定\r\n"
      "STRING_CANCEL\t=\t取消\n"
      "\n"
      "   \n"
      "no equals sign here\n"
      "=no identifier\n"
      ";STRING_HIDDEN=comment\n"
      "STRING_EMPTY=\n"
      "STRING_EQ=a=b\n"
      "STRING_BAD=\xFF\xFE\n"
      "STRING_OK=OK again\n"
      "STRING_LAST=no newline");
  EXPECT_EQ(count, 5u);
  EXPECT_EQ(strings.Get(u"STRING_OK"), u"OK again");
  EXPECT_EQ(strings.Get(u"STRING_CANCEL"), u"取消");
  EXPECT_TRUE(strings.Has(u"STRING_EMPTY"));
  EXPECT_EQ(strings.Get(u"STRING_EMPTY"), u"");
  EXPECT_EQ(strings.Get(u"STRING_EQ"), u"a=b");
  EXPECT_FALSE(strings.Has(u"STRING_BAD"));
  EXPECT_FALSE(strings.Has(u";STRING_HIDDEN"));
  EXPECT_FALSE(strings.Has(u"STRING_HIDDEN"));
  EXPECT_EQ(strings.Get(u"STRING_LAST"), u"no newline");
  EXPECT_EQ(strings.Get(u"string_ok"), u"");
}

TEST(LangStringsTest, ParsingReplacesTheTable) {
  LangStrings strings;
  strings.Parse("A=1\n");
  strings.Parse("B=2\n");
  EXPECT_FALSE(strings.Has(u"A"));
  EXPECT_EQ(strings.Get(u"B"), u"2");
  EXPECT_EQ(strings.Parse(""), 0u);
  EXPECT_EQ(strings.size(), 0u);
}

}  // namespace
}  // namespace ui
