#include "base/utf.h"

#include <gtest/gtest.h>

namespace nbase {
namespace {

struct Utf16Case {
  const char* name;
  std::u16string input;
  std::string expected;
};

TEST(Utf16ToUtf8, EncodesByTheLenientRules) {
  const Utf16Case cases[] = {
      {"empty", u"", ""},
      {"ascii", u"abc", "abc"},
      {"two and three bytes", u"\u00e9\u4e2d", "\xC3\xA9\xE4\xB8\xAD"},
      {"pair becomes four bytes", u"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
      {"lone low surrogate keeps its value", std::u16string(u"a\xDC00z"), "a\xED\xB0\x80z"},
      {"high surrogate before a non-low", std::u16string(u"\xD800" u"a"), "\xED\xA0\x80" "a"},
      {"two high surrogates then a low", std::u16string(u"\xD800\xD800\xDC00"), "\xED\xA0\x80\xF0\x90\x80\x80"},
      {"trailing high surrogate empties all", std::u16string(u"abc\xD800"), ""},
      {"embedded NUL is kept", std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf16ToUtf8(c.input), c.expected) << c.name;
}

struct Utf8Case {
  const char* name;
  std::string input;
  std::u16string expected;
};

TEST(Utf8ToUtf16, DecodesValidTextAndReplacesEncodedSurrogates) {
  const Utf8Case cases[] = {
      {"empty", "", u""},
      {"chinese", "VarnikPDF\xE8\xBD\xAC\xE6\x8D\xA2\xE5\x99\xA8", u"VarnikPDF转换器"},
      {"four bytes become a pair", "\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
      {"highest code point", "\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
      {"encoded high surrogate", "a\xED\xA0\x80z", u"a\xFFFDz"},
      {"encoded low surrogate", "\xED\xBF\xBF", u"\xFFFD"},
      {"byte order mark is text", "\xEF\xBB\xBFx", u"\xFEFFx"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToUtf16(c.input), c.expected) << c.name;
}

TEST(Utf8ToUtf16, EmptiesTheWholeResultOnTruncatedOrIllegalInput) {
  const char* const name_and_input[][2] = {
      {"truncated two-byte", "ok\xC3"},
      {"truncated four-byte", "ok\xF0\x9F\x98"},
      {"stray continuation", "ok\x80"},
      {"overlong C0", "\xC0\xAF"},
      {"overlong C1", "\xC1\xBF"},
      {"overlong three-byte", "\xE0\x80\xAF"},
      {"overlong four-byte", "\xF0\x80\x80\xAF"},
      {"above U+10FFFF", "\xF4\x90\x80\x80"},
      {"lead F5", "\xF5\x80\x80\x80"},
      {"lead FF", "\xFF"},
      {"bad second continuation", "\xE4\xB8\x41"},
      {"bad third continuation", "\xF0\x9F\x98\x41"},
  };
  for (const auto& c : name_and_input) EXPECT_EQ(Utf8ToUtf16(c[1]), u"") << c[0];
}

// The decoder takes ASCII in blocks of sixteen and eight bytes: every case,
// valid or not, must give the same answer wherever it falls in a block.
TEST(Utf8ToUtf16, SameAnswerAtEveryPlaceInTheAsciiBlocks) {
  const struct {
    std::string input;
    std::u16string expected;  // empty: the whole result is empty
  } cases[] = {
      {"\xE8\xBD\xAC", u"转"},
      {"\xC3\xA9", u"\x00E9"},
      {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
      {"\xED\xA0\x80", u"\xFFFD"},
      {"\xE8\xBD\xAC\xE6\x8D\xA2x\xC3\xA9", u"转换x\x00E9"},
      {"\xE8\xBD", u""},
      {"\x80", u""},
      {"\xFF", u""},
  };
  for (const auto& c : cases) {
    for (size_t before = 0; before <= 33; ++before) {
      for (size_t after : {size_t{0}, size_t{1}, size_t{7}, size_t{16}}) {
        const std::string input = std::string(before, 'a') + c.input + std::string(after, 'b');
        const std::u16string expected =
            c.expected.empty() ? u""
                               : std::u16string(before, u'a') + c.expected +
                                     std::u16string(after, u'b');
        ASSERT_EQ(Utf8ToUtf16(input), expected) << before << " + " << after;
        std::u16string buffer(input.size(), u'?');
        const size_t length = DecodeUtf8(input, buffer.data());
        ASSERT_EQ(length == kInvalidUtf8, c.expected.empty());
      }
    }
  }
}

TEST(Utf8ToUtf16, RoundTripsEveryScalarValueThroughUtf16ToUtf8) {
  for (char32_t c = 1; c <= 0x10FFFF; c += (c < 0x3000 ? 1 : 97)) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::u16string utf16;
    if (c < 0x10000) {
      utf16.push_back(static_cast<char16_t>(c));
    } else {
      utf16.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      utf16.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
    ASSERT_EQ(Utf8ToUtf16(Utf16ToUtf8(utf16)), utf16) << std::hex << static_cast<uint32_t>(c);
  }
}

}  // namespace
}  // namespace nbase
