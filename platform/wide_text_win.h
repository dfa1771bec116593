// The boundary between our UTF-16 texts and the Win32 API's wchar_t texts.
// On Windows wchar_t is a UTF-16 code unit, so both directions are copies
// that keep every unit (surrogates included). Only *_win.cc files include
// this header.
#pragma once

#include <string>
#include <string_view>

namespace platform {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t is a UTF-16 unit on Windows");

inline std::wstring ToWide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

inline std::u16string FromWide(std::wstring_view text) {
  return std::u16string(text.begin(), text.end());
}

// A path for a Win32 call; empty (no such path) when it holds a NUL, which
// would cut it short at the system boundary and name another file.
inline std::wstring ToWidePath(std::u16string_view path) {
  if (path.find(u'\0') != std::u16string_view::npos) return std::wstring();
  return ToWide(path);
}

}  // namespace platform
