#include "ui/backend/sdl_system_message_box.h"

#include <SDL.h>

#include <string>

#include "base/utf.h"
#include "platform/system_message_box.h"

namespace ui {

int32_t SdlSystemMessageBox::Show(std::u16string_view text, std::u16string_view caption,
                                  int32_t type) {
  const std::string text8 = nbase::Utf16ToUtf8(std::u16string(text));
  const std::string caption8 = nbase::Utf16ToUtf8(std::u16string(caption));
  SDL_MessageBoxButtonData retry_cancel[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, platform::kAnswerRetry, "重试"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, platform::kAnswerCancel, "取消"},
  };
  SDL_MessageBoxButtonData ok[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
       platform::kAnswerOk, "确定"},
  };
  const bool is_retry_cancel =
      (type & platform::kMessageBoxButtonMask) == platform::kMessageBoxRetryCancel;
  SDL_MessageBoxData data{};
  data.flags = (type & platform::kMessageBoxIconError) ? SDL_MESSAGEBOX_ERROR : 0;
  data.window = nullptr;
  data.title = caption8.c_str();
  data.message = text8.c_str();
  data.numbuttons = is_retry_cancel ? 2 : 1;
  data.buttons = is_retry_cancel ? retry_cancel : ok;
  int button = -1;
  if (SDL_ShowMessageBox(&data, &button) != 0) return platform::kAnswerNone;
  if (button < 0) return is_retry_cancel ? platform::kAnswerCancel : platform::kAnswerOk;
  return button;
}

}  // namespace ui
