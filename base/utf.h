// The only road between the two text types of the product: UTF-16
// (std::u16string) for paths, registry values, UI texts and report fields, and
// UTF-8 (std::string) for report bodies, cookies and HTTP headers.
//
// Both follow the reference conversion in its lenient form, so that results
// match the installer's stored files and the server's expectations exactly.
#pragma once

#include <string>
#include <string_view>

namespace nbase {

// A surrogate pair becomes one four-byte sequence. A lone low surrogate, or a
// high surrogate not followed by a low one, is encoded as the three-byte form
// of its own value. A high surrogate as the very last code unit makes the
// whole result empty.
std::string Utf16ToUtf8(std::u16string_view text);

// An encoded surrogate code point (ED A0..BF xx) becomes U+FFFD. A truncated
// or illegal sequence (stray continuation byte, overlong form, a code point
// above U+10FFFF, a lead byte F5..FF) makes the whole result empty.
std::u16string Utf8ToUtf16(std::string_view text);

// The same decoding into storage the caller owns (a parser's buffer), which
// must have room for text.size() units: UTF-8 never takes fewer bytes than
// UTF-16 takes units. Returns the number of units written, or kInvalidUtf8
// for input that Utf8ToUtf16 answers with nothing (`out` then holds garbage).
inline constexpr size_t kInvalidUtf8 = static_cast<size_t>(-1);
size_t DecodeUtf8(std::string_view text, char16_t* out);

}  // namespace nbase
