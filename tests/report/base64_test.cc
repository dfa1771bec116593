#include "report/base64.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/support/loopback_server.h"

namespace report {
namespace {

TEST(Base64Test, EncodesStandardVectorsWithPadding) {
  struct Case {
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {"", ""},
      {"f", "Zg=="},    // 3n+1: two characters and "==".
      {"fo", "Zm8="},   // 3n+2: three characters and "=".
      {"foo", "Zm9v"},  // 3n: no padding.
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
      {"\xfb\xff", "+/8="},  // The last two letters of the alphabet.
      {"\xfb\xef\xbe", "++++"},
      {std::string("\0\0\0", 3), "AAAA"},
  };
  for (const auto& c : cases) EXPECT_EQ(Base64Encode(c.bytes), c.text) << c.text;
}

TEST(Base64Test, RoundTripsEveryLengthThroughAnIndependentDecoder) {
  std::mt19937 random(1234);
  for (size_t length = 0; length < 100; ++length) {
    std::string bytes(length, '\0');
    for (auto& b : bytes) b = static_cast<char>(random() & 0xFF);
    const std::string text = Base64Encode(bytes);
    EXPECT_EQ(text.size(), 4 * ((length + 2) / 3));
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
    std::string decoded;
    ASSERT_TRUE(testsupport::Base64Decode(text, &decoded)) << length;
    EXPECT_EQ(decoded, bytes) << length;
  }
}

}  // namespace
}  // namespace report
