#include <errno.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/utf.h"
#include "platform/debug_output.h"

namespace platform {

bool IsDebugOutputEnabled() {
  const char* value = std::getenv(kDebugVariable);
  return value != nullptr && std::strcmp(value, "1") == 0;
}

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

void DebugTimeMark(std::string_view what) {
  if (!IsDebugOutputEnabled()) return;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  char at[48];
  std::snprintf(at, sizeof at, " at %.3f ms\n", now.tv_sec * 1000.0 + now.tv_nsec / 1e6);
  DebugOutput(std::string(what) + at);
}

void DebugOutput(std::u16string_view text) {
  if (!IsDebugOutputEnabled()) return;
  DebugOutput(std::string_view(nbase::Utf16ToUtf8(text)));
}

}  // namespace platform
