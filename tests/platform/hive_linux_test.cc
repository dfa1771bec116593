#include "platform/hive.h"

#include "gtest/gtest.h"

namespace platform {
namespace {

TEST(HiveTest, SerializeThenParseKeepsEverything) {
  Hive hive;
  ASSERT_NE(hive.CreateKey(u"Software\\Zorv"), nullptr);
  ASSERT_TRUE(hive.SetValue(u"software\\zorv", u"Name", 1, std::string("a\0b\0\0\0", 6)));
  ASSERT_TRUE(hive.SetValue(u"Software\\Zorv", u"", 4, std::string("\x01\x02\x03\x04", 4)));
  ASSERT_NE(hive.CreateKey(u"Software\\Zorv\\\u8f6c\u6362"), nullptr);
  std::string text = hive.Serialize();

  Hive parsed;
  ASSERT_TRUE(Hive::Parse(text, &parsed));
  EXPECT_EQ(parsed.Serialize(), text);
  const Hive::Value* value = parsed.FindValue(u"SOFTWARE\\ZORV", u"name");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->name, u"Name");  // the spelling of creation is kept
  EXPECT_EQ(value->data, std::string("a\0b\0\0\0", 6));
  EXPECT_EQ(parsed.SubKeyNames(u"software\\zorv"), std::vector<std::u16string>{u"\u8f6c\u6362"});
  EXPECT_EQ(parsed.SubKeyNames(u""), std::vector<std::u16string>{u"Software"});
}

TEST(HiveTest, DamagedTextsAreRejectedWhole) {
  const std::string good = "varnik-hive 1\nk 41\nv 1 42 6300\nend 2\n";
  Hive check;
  ASSERT_TRUE(Hive::Parse(good, &check));
  const char* damaged[] = {
      "",
      "varnik-hive 1\n",                                     // no end line: truncated
      "varnik-hive 1\nk 41\nv 1 42 6300\nend 2",             // last line without line end
      "varnik-hive 1\nk 41\nv 1 42 6300\nend 3\n",           // record count differs
      "varnik-hive 1\nk 41\nv 1 42 6300\nend 2\nk 43\n",     // data after the end
      "varnik-hive 2\nend 0\n",                              // unknown format
      "varnik-hive 1\nv 1 42 6300\nend 1\n",                 // value before any key
      "varnik-hive 1\nk 41\nk 61\nend 2\n",                  // same key twice (case folded)
      "varnik-hive 1\nk 41\nv 1 42 00\nv 1 62 00\nend 3\n",  // same value twice
      "varnik-hive 1\nk 4\nend 1\n",                         // odd hex
      "varnik-hive 1\nk 4G\nend 1\n",                        // not hex
      "varnik-hive 1\nk 4A\nend 1\n",                        // upper-case hex is not ours
      "varnik-hive 1\nk \nend 1\n",                          // empty key path
      "varnik-hive 1\nk ff\nend 1\n",                        // undecodable UTF-8
      "varnik-hive 1\nk 41\nv 4294967296 42 00\nend 2\n",    // type past 32 bits
      "varnik-hive 1\nk 41\nv 01 42 00\nend 2\n",            // leading zero
      "varnik-hive 1\nk 41\nv 1 42\nend 2\n",                // missing field
      "varnik-hive 1\nk 41 \nend 1\n",                       // stray blank
      "varnik-hive 1\nx\nend 1\n",                           // unknown record
  };
  for (const char* text : damaged) {
    SCOPED_TRACE(text);
    Hive hive = check;
    EXPECT_FALSE(Hive::Parse(text, &hive));
    EXPECT_EQ(hive.Serialize(), check.Serialize());  // untouched on failure
  }
}

TEST(HiveTest, RefusesNamesThatWouldNotSurviveTheFile) {
  Hive hive;
  EXPECT_EQ(hive.CreateKey(u""), nullptr);
  EXPECT_EQ(hive.CreateKey(std::u16string(u"a\0b", 3)), nullptr);
  EXPECT_EQ(hive.CreateKey(u"lone\xd800"), nullptr);
  ASSERT_NE(hive.CreateKey(u"k"), nullptr);
  EXPECT_FALSE(hive.SetValue(u"k", u"\xdc00x", 1, "x"));
  EXPECT_FALSE(hive.SetValue(u"absent", u"n", 1, "x"));
  EXPECT_FALSE(hive.SetValue(u"k", u"n", 1, std::string(Hive::kMaxDataBytes + 1, 'x')));
  Hive parsed;
  EXPECT_TRUE(Hive::Parse(hive.Serialize(), &parsed));
}

}  // namespace
}  // namespace platform
