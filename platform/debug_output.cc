#include "platform/debug_output.h"

#include <cstdlib>
#include <cstring>

namespace platform {

bool IsDebugOutputEnabled() {
  const char* value = std::getenv(kDebugVariable);
  return value != nullptr && std::strcmp(value, "1") == 0;
}

}  // namespace platform
