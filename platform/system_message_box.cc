#include "platform/system_message_box.h"

#include <atomic>
#include <string>

#include "platform/debug_output.h"

namespace platform {

namespace {
std::atomic<SystemMessageBoxFunction> g_chain[kMaxSystemMessageBoxes];
}  // namespace

void SetSystemMessageBoxFunctions(std::initializer_list<SystemMessageBoxFunction> functions) {
  size_t slot = 0;
  for (SystemMessageBoxFunction function : functions) {
    if (slot == kMaxSystemMessageBoxes) break;
    if (function != nullptr) g_chain[slot++].store(function, std::memory_order_release);
  }
  for (; slot < kMaxSystemMessageBoxes; ++slot) {
    g_chain[slot].store(nullptr, std::memory_order_release);
  }
}

void SetSystemMessageBoxFunction(SystemMessageBoxFunction function) {
  SetSystemMessageBoxFunctions({function});
}

int32_t ShowSystemMessageBox(std::u16string_view text, std::u16string_view caption, int32_t type) {
  // Without a chain the system's own box asks.
  int32_t answer = g_chain[0].load(std::memory_order_acquire) == nullptr
                       ? ShowNativeMessageBox(text, caption, type)
                       : kAnswerNone;
  for (size_t slot = 0; slot < kMaxSystemMessageBoxes && answer == kAnswerNone; ++slot) {
    SystemMessageBoxFunction function = g_chain[slot].load(std::memory_order_acquire);
    if (function == nullptr) break;
    answer = function(text, caption, type);
  }
  if (answer == kAnswerNone) {
    // Nobody saw the question; keep it for diagnosis.
    std::u16string line = u"message box not shown: ";
    line.append(caption).append(u" | ").append(text).append(u"\n");
    DebugOutput(line);
  }
  return answer;
}

}  // namespace platform
