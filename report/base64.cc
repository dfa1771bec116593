#include "report/base64.h"

#include <cstdint>

namespace report {

std::string Base64Encode(std::string_view bytes) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.resize(4 * ((bytes.size() + 2) / 3));
  const auto* in = reinterpret_cast<const uint8_t*>(bytes.data());
  size_t n = bytes.size();
  char* o = out.data();
  size_t i = 0;
  for (; i + 3 <= n; i += 3) {
    const uint32_t group = (uint32_t{in[i]} << 16) | (uint32_t{in[i + 1]} << 8) | in[i + 2];
    *o++ = kAlphabet[(group >> 18) & 0x3F];
    *o++ = kAlphabet[(group >> 12) & 0x3F];
    *o++ = kAlphabet[(group >> 6) & 0x3F];
    *o++ = kAlphabet[group & 0x3F];
  }
  if (n - i == 1) {
    const uint32_t group = uint32_t{in[i]} << 16;
    *o++ = kAlphabet[(group >> 18) & 0x3F];
    *o++ = kAlphabet[(group >> 12) & 0x3F];
    *o++ = '=';
    *o++ = '=';
  } else if (n - i == 2) {
    const uint32_t group = (uint32_t{in[i]} << 16) | (uint32_t{in[i + 1]} << 8);
    *o++ = kAlphabet[(group >> 18) & 0x3F];
    *o++ = kAlphabet[(group >> 12) & 0x3F];
    *o++ = kAlphabet[(group >> 6) & 0x3F];
    *o++ = '=';
  }
  return out;
}

}  // namespace report
