#include <windows.h>

#include "platform/system_message_box.h"
#include "platform/wide_text_win.h"

namespace platform {

int32_t ShowNativeMessageBox(std::u16string_view text, std::u16string_view caption, int32_t type) {
  const std::wstring wide_text = ToWide(text);
  const std::wstring wide_caption = ToWide(caption);
  const UINT style = static_cast<UINT>(type) | MB_TOPMOST | MB_SETFOREGROUND;
  switch (MessageBoxW(nullptr, wide_text.c_str(), wide_caption.c_str(), style)) {
    case IDOK:
      return kAnswerOk;
    case IDRETRY:
      return kAnswerRetry;
    case IDCANCEL:
      return kAnswerCancel;
    default:
      return kAnswerNone;  // no box could be made (no desktop, no memory)
  }
}

}  // namespace platform
