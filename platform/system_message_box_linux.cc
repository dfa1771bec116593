#include "platform/system_message_box.h"

namespace platform {

int32_t ShowNativeMessageBox(std::u16string_view, std::u16string_view, int32_t) {
  return kAnswerNone;
}

}  // namespace platform
