#include "platform/dialog_tool_message_box.h"

#include <cstdlib>

#include "platform/command_line.h"
#include "platform/process_output.h"
#include "platform/system_message_box.h"

namespace platform {
namespace {

// Exit codes both programs share: 0 the first button, 1 the second (or the
// box closed). Anything else (127 or a start error for a missing program, a
// crash) means the program could not ask.
constexpr int32_t kFirstButton = 0;
constexpr int32_t kSecondButton = 1;

bool IsRetryCancel(int32_t type) {
  return (type & kMessageBoxButtonMask) == kMessageBoxRetryCancel;
}

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return true;
  }
  return false;
}

std::u16string Quote(std::u16string_view text) { return QuoteCommandLineArgument(text); }

int32_t Ask(const std::u16string& command_line, int32_t type) {
  const int32_t code = RunAndCaptureOutput(command_line, nullptr);
  if (code != kFirstButton && code != kSecondButton) return kAnswerNone;
  if (IsRetryCancel(type)) return code == kFirstButton ? kAnswerRetry : kAnswerCancel;
  return kAnswerOk;
}

}  // namespace

std::u16string DialogToolMessageBox::ZenityCommandLine(std::u16string_view text,
                                                       std::u16string_view caption, int32_t type) {
  std::u16string line = u"zenity";
  if (IsRetryCancel(type)) {
    line += u" --question --ok-label 重试 --cancel-label 取消";
  } else {
    line += (type & kMessageBoxIconError) ? u" --error" : u" --info";
    line += u" --ok-label 确定";
  }
  // --no-markup: the text is shown as it is, "<" and "&" included.
  return line + u" --no-markup --title " + Quote(caption) + u" --text " + Quote(text);
}

std::u16string DialogToolMessageBox::KdialogCommandLine(std::u16string_view text,
                                                        std::u16string_view caption, int32_t type) {
  std::u16string line = u"kdialog --title " + Quote(caption);
  if (IsRetryCancel(type)) {
    return line + u" --yes-label 重试 --no-label 取消 --warningyesno " + Quote(text);
  }
  return line + ((type & kMessageBoxIconError) ? u" --error " : u" --msgbox ") + Quote(text);
}

int32_t DialogToolMessageBox::Show(std::u16string_view text, std::u16string_view caption,
                                   int32_t type) {
  if (!HasDisplay()) return kAnswerNone;
  const int32_t answer = Ask(ZenityCommandLine(text, caption, type), type);
  if (answer != kAnswerNone) return answer;
  return Ask(KdialogCommandLine(text, caption, type), type);
}

}  // namespace platform
