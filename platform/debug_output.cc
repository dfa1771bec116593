#include "platform/debug_output.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace platform {

bool IsDebugOutputEnabled() {
  const char* value = std::getenv(kDebugVariable);
  return value != nullptr && std::strcmp(value, "1") == 0;
}

void DebugTimeMark(std::string_view what) {
  if (!IsDebugOutputEnabled()) return;
  const std::chrono::duration<double, std::milli> now =
      std::chrono::steady_clock::now().time_since_epoch();
  char at[48];
  std::snprintf(at, sizeof at, " at %.3f ms\n", now.count());
  DebugOutput(std::string(what) + at);
}

}  // namespace platform
