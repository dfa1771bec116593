// Any UTF-16 key and value: the event's data object is valid JSON whose one
// member reads back as exactly that key and value, and the report body's
// Base64 text decodes back to the UTF-8 bytes it was made from.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/utf.h"
#include "report/base64.h"
#include "report/event_data.h"

namespace {

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Reads one JSON string starting at text[*pos] == '"'; strict about escapes
// and about raw control characters. Aborts on anything invalid.
std::u16string ReadString(const std::u16string& text, size_t* pos) {
  if (text.at(*pos) != u'"') abort();
  std::u16string out;
  for (size_t i = *pos + 1; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'"') {
      *pos = i + 1;
      return out;
    }
    if (c < 0x20) abort();
    if (c != u'\\') {
      out += c;
      continue;
    }
    char16_t e = text.at(++i);
    switch (e) {
      case u'"':
        out += u'"';
        break;
      case u'\\':
        out += u'\\';
        break;
      case u'/':
        out += u'/';
        break;
      case u'b':
        out += u'\b';
        break;
      case u'f':
        out += u'\f';
        break;
      case u'n':
        out += u'\n';
        break;
      case u'r':
        out += u'\r';
        break;
      case u't':
        out += u'\t';
        break;
      case u'u': {
        int value = 0;
        for (int k = 0; k < 4; ++k) {
          int h = HexValue(text.at(++i));
          if (h < 0) abort();
          value = value * 16 + h;
        }
        out += static_cast<char16_t>(value);
        break;
      }
      default:
        abort();
    }
  }
  abort();
}

std::string Base64Decode(const std::string& text) {
  static const std::string kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  if (text.size() % 4 != 0) abort();
  std::string out;
  for (size_t i = 0; i < text.size(); i += 4) {
    uint32_t group = 0;
    int pad = 0;
    for (int k = 0; k < 4; ++k) {
      char c = text[i + k];
      size_t v = 0;
      if (c == '=') {
        ++pad;
      } else {
        if (pad) abort();
        v = kAlphabet.find(c);
        if (v == std::string::npos) abort();
      }
      group = (group << 6) | static_cast<uint32_t>(v);
    }
    if (pad > 2 || (pad && i + 4 != text.size())) abort();
    out += static_cast<char>(group >> 16);
    if (pad < 2) out += static_cast<char>((group >> 8) & 0xFF);
    if (pad < 1) out += static_cast<char>(group & 0xFF);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string units;
  for (size_t i = 0; i + 1 < size; i += 2) {
    units += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  }
  const size_t half = units.size() / 2;
  const std::u16string key = units.substr(0, half);
  const std::u16string value = units.substr(half);

  report::EventData event;
  event.Set(key, value);
  const std::u16string json = event.ToJsonText();
  size_t pos = 1;
  if (json.at(0) != u'{') abort();
  if (ReadString(json, &pos) != key) abort();
  if (json.at(pos++) != u':') abort();
  if (ReadString(json, &pos) != value) abort();
  if (json.at(pos++) != u'}' || pos != json.size()) abort();

  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (Base64Decode(report::Base64Encode(bytes)) != bytes) abort();
  return 0;
}
