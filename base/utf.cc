#include "base/utf.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace nbase {

namespace {

constexpr char32_t kHighFirst = 0xD800;
constexpr char32_t kHighLast = 0xDBFF;
constexpr char32_t kLowFirst = 0xDC00;
constexpr char32_t kLowLast = 0xDFFF;
constexpr char16_t kReplacement = 0xFFFD;

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Number of continuation bytes after a lead byte; -1 for a byte that cannot
// start a sequence (continuation bytes, C0/C1 overlong leads, F5..FF).
int TrailCount(uint8_t lead) {
  if (lead < 0x80) return 0;
  if (lead < 0xC2) return -1;
  if (lead < 0xE0) return 1;
  if (lead < 0xF0) return 2;
  if (lead < 0xF5) return 3;
  return -1;
}

// The first continuation byte's allowed range narrows after E0, F0 and F4 to
// exclude overlong forms and code points above U+10FFFF. ED is deliberately
// not narrowed: encoded surrogates decode and are replaced afterwards.
bool FirstTrailAllowed(uint8_t lead, uint8_t trail) {
  switch (lead) {
    case 0xE0: return trail >= 0xA0 && trail <= 0xBF;
    case 0xF0: return trail >= 0x90 && trail <= 0xBF;
    case 0xF4: return trail >= 0x80 && trail <= 0x8F;
    default: return trail >= 0x80 && trail <= 0xBF;
  }
}

}  // namespace

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3 / 2);
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= kHighFirst && c <= kHighLast) {
      if (i + 1 == text.size()) return std::string();
      char32_t next = text[i + 1];
      if (next >= kLowFirst && next <= kLowLast) {
        c = 0x10000 + ((c - kHighFirst) << 10) + (next - kLowFirst);
        ++i;
      }
    }
    AppendUtf8(c, out);
  }
  return out;
}

size_t DecodeUtf8(std::string_view text, char16_t* out) {
  const auto* p = reinterpret_cast<const uint8_t*>(text.data());
  const auto* end = p + text.size();
  char16_t* dst = out;
  while (p < end) {
#if defined(__SSE2__)
    // ASCII, sixteen bytes at a time, widened by interleaving with zeros.
    // A block that holds other bytes is still written whole (the room is
    // there: units written never outrun bytes read), and only its ASCII
    // start counts.
    while (end - p >= 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      const __m128i zero = _mm_setzero_si128();
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_unpacklo_epi8(bytes, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 8), _mm_unpackhi_epi8(bytes, zero));
      const int high_bits = _mm_movemask_epi8(bytes);
      if (high_bits != 0) {
        const int ascii = __builtin_ctz(static_cast<unsigned>(high_bits));
        p += ascii;
        dst += ascii;
        break;
      }
      p += 16;
      dst += 16;
    }
#endif
    // Plain ASCII, eight bytes at a time.
    while (end - p >= 8) {
      uint64_t word;
      std::memcpy(&word, p, sizeof word);
      if (word & 0x8080808080808080ULL) break;
      for (int k = 0; k < 8; ++k) dst[k] = p[k];
      dst += 8;
      p += 8;
    }
    if (p == end) break;
    if (*p < 0x80) {
      *dst++ = *p++;
      continue;
    }
    // A run of other characters, up to the next ASCII byte.
    while (p < end && *p >= 0x80) {
      const uint8_t lead = *p;
      const int trail = TrailCount(lead);
      if (trail < 0 || trail >= end - p) return kInvalidUtf8;
      if (!FirstTrailAllowed(lead, p[1])) return kInvalidUtf8;
      if (trail == 2) {
        // Three bytes: Chinese text, the common case after ASCII.
        if ((p[2] & 0xC0) != 0x80) return kInvalidUtf8;
        const char16_t c = static_cast<char16_t>(((lead & 0x0F) << 12) |
                                                 ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
        *dst++ = (c >= kHighFirst && c <= kLowLast) ? kReplacement : c;
        p += 3;
        continue;
      }
      char32_t c = lead & (0x3F >> trail);
      for (int k = 1; k <= trail; ++k) {
        if (k > 1 && (p[k] & 0xC0) != 0x80) return kInvalidUtf8;
        c = (c << 6) | (p[k] & 0x3F);
      }
      p += trail + 1;
      if (c < 0x10000) {
        *dst++ = static_cast<char16_t>(c);
      } else {
        c -= 0x10000;
        *dst++ = static_cast<char16_t>(kHighFirst + (c >> 10));
        *dst++ = static_cast<char16_t>(kLowFirst + (c & 0x3FF));
      }
    }
  }
  return static_cast<size_t>(dst - out);
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out(text.size(), u'\0');
  const size_t length = DecodeUtf8(text, out.data());
  if (length == kInvalidUtf8) return std::u16string();
  out.resize(length);
  return out;
}

}  // namespace nbase
