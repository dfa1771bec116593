#include "report/json_text.h"

#include <gtest/gtest.h>

#include <string>

namespace report {
namespace {

TEST(JsonTextTest, EscapesOnlyWhatJsonRequires) {
  struct Case {
    std::u16string text;
    std::u16string escaped;
  };
  const Case cases[] = {
      // Left alone: everything a valid string could already hold.
      {u"", u""},
      {u"Start 已安装", u"Start 已安装"},
      {u"a\u201Db / 'x' \u007F \u2028 \U0001F600", u"a\u201Db / 'x' \u007F \u2028 \U0001F600"},
      {u"Download Faild :http://h/p?a=1&b=2", u"Download Faild :http://h/p?a=1&b=2"},
      // Escaped: quotation mark, backslash, control characters.
      {u"say \"hi\"", u"say \\\"hi\\\""},
      {u"C:\\Program Files\\", u"C:\\\\Program Files\\\\"},
      {u"a\r\nb\tc", u"a\\r\\nb\\tc"},
      {u"\b\f", u"\\b\\f"},
      {std::u16string(u"x\0y", 3), u"x\\u0000y"},
      {u"\u0001\u001F\u0020", u"\\u0001\\u001f "},
      {u"\\\"", u"\\\\\\\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EscapeJsonText(c.text), c.escaped);
    std::u16string quoted = u"prefix";
    AppendJsonString(quoted, c.text);
    EXPECT_EQ(quoted, u"prefix\"" + c.escaped + u"\"");
  }
}

}  // namespace
}  // namespace report
