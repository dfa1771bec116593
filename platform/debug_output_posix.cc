#include <errno.h>
#include <unistd.h>

#include "base/utf.h"
#include "platform/debug_output.h"

namespace platform {

void DebugOutput(std::string_view text) {
  if (text.empty() || !IsDebugOutputEnabled()) return;
  const char* data = text.data();
  size_t left = text.size();
  while (left > 0) {
    ssize_t written = write(STDERR_FILENO, data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    data += written;
    left -= static_cast<size_t>(written);
  }
}

void DebugOutput(std::u16string_view text) {
  if (!IsDebugOutputEnabled()) return;
  DebugOutput(std::string_view(nbase::Utf16ToUtf8(text)));
}

}  // namespace platform
