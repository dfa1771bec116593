#include "platform/system_message_box.h"

#include <atomic>
#include <string>

#include "platform/debug_output.h"

namespace platform {

namespace {
std::atomic<SystemMessageBoxFunction> g_function{nullptr};
}  // namespace

void SetSystemMessageBoxFunction(SystemMessageBoxFunction function) {
  g_function.store(function, std::memory_order_release);
}

int32_t ShowSystemMessageBox(std::u16string_view text, std::u16string_view caption, int32_t type) {
  SystemMessageBoxFunction function = g_function.load(std::memory_order_acquire);
  const int32_t answer =
      function ? function(text, caption, type) : ShowNativeMessageBox(text, caption, type);
  if (answer == kAnswerNone) {
    // Nobody saw the question; keep it for diagnosis.
    std::u16string line = u"message box not shown: ";
    line.append(caption).append(u" | ").append(text).append(u"\n");
    DebugOutput(line);
  }
  return answer;
}

}  // namespace platform
