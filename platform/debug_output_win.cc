#include <windows.h>

#include "base/utf.h"
#include "platform/debug_output.h"
#include "platform/wide_text_win.h"

namespace platform {

void DebugOutput(std::u16string_view text) {
  if (text.empty() || !IsDebugOutputEnabled()) return;
  const std::wstring wide = ToWide(text);
  OutputDebugStringW(wide.c_str());
  // Standard error too, so that a run under Wine or a console shows it.
  const std::string utf8 = nbase::Utf16ToUtf8(text);
  DWORD written = 0;
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (error != nullptr && error != INVALID_HANDLE_VALUE) {
    WriteFile(error, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  }
}

void DebugOutput(std::string_view text) {
  if (!IsDebugOutputEnabled()) return;
  DebugOutput(std::u16string_view(nbase::Utf8ToUtf16(text)));
}

}  // namespace platform
