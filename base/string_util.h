// Small text helpers shared by every layer, on UTF-16 (std::u16string) and
// UTF-8 (std::string) texts alike.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace nbase {

// Replaces every occurrence of `from` in `text`, searching on after each
// inserted replacement, so adjacent occurrences ("aaa" with "a") are all
// replaced and a replacement that contains `from` is never searched again.
// Returns the number of replacements. An empty `from` changes nothing.
size_t ReplaceAll(std::u16string& text, std::u16string_view from, std::u16string_view to);
size_t ReplaceAll(std::string& text, std::string_view from, std::string_view to);

// One argument of FormatText: a UTF-16 text, an integer or a floating number.
class FormatArg {
 public:
  FormatArg(std::u16string_view text) : kind_(kText), text_(text) {}
  FormatArg(const char16_t* text) : kind_(kText), text_(text) {}
  FormatArg(const std::u16string& text) : kind_(kText), text_(text) {}
  FormatArg(int value) : kind_(kInteger), integer_(value) {}
  FormatArg(long value) : kind_(kInteger), integer_(value) {}
  FormatArg(long long value) : kind_(kInteger), integer_(value) {}
  FormatArg(unsigned value) : kind_(kInteger), integer_(value) {}
  FormatArg(double value) : kind_(kFloating), floating_(value) {}

  enum Kind { kText, kInteger, kFloating };
  Kind kind() const { return kind_; }
  std::u16string_view text() const { return text_; }
  int64_t integer() const { return integer_; }
  double floating() const { return floating_; }

 private:
  Kind kind_;
  std::u16string_view text_;
  int64_t integer_ = 0;
  double floating_ = 0;
};

// printf-style formatting of a UTF-16 pattern with the conversions the
// product's texts use: "%s" (text), "%d" (integer), "%f" with an optional
// width and precision such as "%0.1f" (floating, C locale, rounded as printf
// rounds) and "%%". Arguments are consumed in order; a conversion whose
// argument is missing or of another kind is copied literally, so a wrong
// pattern shows up in the text instead of crashing.
std::u16string FormatText(std::u16string_view pattern, std::initializer_list<FormatArg> args);

// ASCII-only helpers used for names that compare like Windows identifiers.
char16_t AsciiToLower(char16_t c);
bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b);
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

}  // namespace nbase
