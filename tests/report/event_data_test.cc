#include "report/event_data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace report {
namespace {

std::vector<std::u16string> Keys(const EventData& data) {
  std::vector<std::u16string> keys;
  for (const auto& entry : data) keys.push_back(entry.first);
  return keys;
}

TEST(EventDataTest, KeysOrderedByUtf16CodeUnits) {
  struct Case {
    std::vector<std::u16string> inserted;
    std::vector<std::u16string> ordered;
  };
  const Case cases[] = {
      {{u"Scale", u"FirstStart", u"Dpi"}, {u"Dpi", u"FirstStart", u"Scale"}},
      {{u"retryTime", u"ret", u"fileSize", u"cost"}, {u"cost", u"fileSize", u"ret", u"retryTime"}},
      // Ordinal and case-sensitive: every upper-case letter before lower-case.
      {{u"alpha", u"Zeta", u"beta"}, {u"Zeta", u"alpha", u"beta"}},
      {{u"result", u"errorMsg"}, {u"errorMsg", u"result"}},
      // A surrogate pair (U+1F600 = D83D DE00) sorts by its first code unit,
      // before U+FF5E; ordering by code points would put it last.
      {{u"\U0001F600", u"\uFF5E", u"a"}, {u"a", u"\U0001F600", u"\uFF5E"}},
  };
  for (const auto& c : cases) {
    EventData data;
    for (const auto& key : c.inserted) data.Set(key, u"v");
    EXPECT_EQ(Keys(data), c.ordered);
  }
}

TEST(EventDataTest, FirstValueWins) {
  EventData data;
  EXPECT_TRUE(data.Set(u"ClickSrc", u"Install"));
  EXPECT_FALSE(data.Set(u"ClickSrc", u"ReInstall"));
  EXPECT_FALSE(data.SetNumber(u"ClickSrc", 7));
  ASSERT_NE(data.Find(u"ClickSrc"), nullptr);
  EXPECT_EQ(*data.Find(u"ClickSrc"), u"Install");
  EXPECT_EQ(data.size(), 1u);
  EXPECT_EQ(data.Find(u"clicksrc"), nullptr);
}

TEST(EventDataTest, NumbersAreDecimalText) {
  EventData data;
  data.SetNumber(u"ret", -2147024891);
  data.SetNumber(u"fileSize", 10485760);
  data.SetNumber(u"cost", 0);
  EXPECT_EQ(data.ToJsonText(),
            u"{\"cost\":\"0\",\"fileSize\":\"10485760\",\"ret\":\"-2147024891\"}");
}

TEST(EventDataTest, JsonTextOfTable) {
  EXPECT_EQ(EventData().ToJsonText(), u"{}");
  EXPECT_EQ((EventData{{u"Scale", u"100"}, {u"FirstStart", u"true"}, {u"Dpi", u"96"}}).ToJsonText(),
            u"{\"Dpi\":\"96\",\"FirstStart\":\"true\",\"Scale\":\"100\"}");
  EXPECT_EQ((EventData{{u"btn_exit", u"Start a\u201Db 曾安装无理由"}}).ToJsonText(),
            u"{\"btn_exit\":\"Start a\u201Db 曾安装无理由\"}");
  // A key needs escaping as much as a value does.
  EXPECT_EQ((EventData{{u"a\"b", u"c\\d"}}).ToJsonText(), u"{\"a\\\"b\":\"c\\\\d\"}");
}

}  // namespace
}  // namespace report
