#include "base/string_util.h"

#include <cstdio>

namespace nbase {

namespace {

template <typename String, typename View>
size_t ReplaceAllImpl(String& text, View from, View to) {
  if (from.empty()) return 0;
  size_t count = 0;
  size_t pos = 0;
  while ((pos = text.find(from.data(), pos, from.size())) != String::npos) {
    text.replace(pos, from.size(), to.data(), to.size());
    pos += to.size();
    ++count;
  }
  return count;
}

void AppendAscii(std::u16string& out, const char* ascii) {
  for (; *ascii; ++ascii) out.push_back(static_cast<unsigned char>(*ascii));
}

}  // namespace

size_t ReplaceAll(std::u16string& text, std::u16string_view from, std::u16string_view to) {
  return ReplaceAllImpl(text, from, to);
}

size_t ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  return ReplaceAllImpl(text, from, to);
}

std::u16string FormatText(std::u16string_view pattern, std::initializer_list<FormatArg> args) {
  std::u16string out;
  out.reserve(pattern.size() + 16);
  auto next_arg = args.begin();
  size_t i = 0;
  while (i < pattern.size()) {
    const char16_t c = pattern[i];
    if (c != u'%' || i + 1 == pattern.size()) {
      out.push_back(c);
      ++i;
      continue;
    }
    if (pattern[i + 1] == u'%') {
      out.push_back(u'%');
      i += 2;
      continue;
    }
    // Collect flags, width and precision as ASCII ("0.1" of "%0.1f").
    size_t j = i + 1;
    std::string directive = "%";
    while (j < pattern.size() && directive.size() < 16 &&
           ((pattern[j] >= u'0' && pattern[j] <= u'9') || pattern[j] == u'.' || pattern[j] == u'-')) {
      directive.push_back(static_cast<char>(pattern[j]));
      ++j;
    }
    const char16_t conversion = j < pattern.size() ? pattern[j] : 0;
    const bool have_arg = next_arg != args.end();
    char buffer[64];
    if (conversion == u's' && have_arg && next_arg->kind() == FormatArg::kText) {
      out.append(next_arg->text());
    } else if (conversion == u'd' && have_arg && next_arg->kind() == FormatArg::kInteger) {
      std::snprintf(buffer, sizeof buffer, (directive + "lld").c_str(),
                    static_cast<long long>(next_arg->integer()));
      AppendAscii(out, buffer);
    } else if (conversion == u'f' && have_arg && next_arg->kind() != FormatArg::kText) {
      const double value = next_arg->kind() == FormatArg::kFloating
                               ? next_arg->floating()
                               : static_cast<double>(next_arg->integer());
      std::snprintf(buffer, sizeof buffer, (directive + "f").c_str(), value);
      AppendAscii(out, buffer);
    } else {
      out.push_back(c);  // Not a conversion we fill: keep it literally.
      ++i;
      continue;
    }
    ++next_arg;
    i = j + 1;
  }
  return out;
}

char16_t AsciiToLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? c + (u'a' - u'A') : c; }

bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiToLower(a[i]) != AsciiToLower(b[i])) return false;
  }
  return true;
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiToLower(static_cast<unsigned char>(a[i])) != AsciiToLower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace nbase
