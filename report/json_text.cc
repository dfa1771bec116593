#include "report/json_text.h"

namespace report {

namespace {

void AppendEscaped(std::u16string& out, std::u16string_view text) {
  static const char16_t kHex[] = u"0123456789abcdef";
  size_t run_start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0x20 && c != u'"' && c != u'\\') continue;
    // Copy the run that needed nothing in one go, then the escape.
    out.append(text.data() + run_start, i - run_start);
    run_start = i + 1;
    switch (c) {
      case u'"':
        out += u"\\\"";
        break;
      case u'\\':
        out += u"\\\\";
        break;
      case u'\b':
        out += u"\\b";
        break;
      case u'\f':
        out += u"\\f";
        break;
      case u'\n':
        out += u"\\n";
        break;
      case u'\r':
        out += u"\\r";
        break;
      case u'\t':
        out += u"\\t";
        break;
      default:
        out += u"\\u00";
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
    }
  }
  out.append(text.data() + run_start, text.size() - run_start);
}

}  // namespace

void AppendJsonString(std::u16string& out, std::u16string_view text) {
  out += u'"';
  AppendEscaped(out, text);
  out += u'"';
}

std::u16string EscapeJsonText(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  AppendEscaped(out, text);
  return out;
}

}  // namespace report
