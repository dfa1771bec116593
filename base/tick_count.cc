#include "base/tick_count.h"

#include <chrono>

namespace nbase {

uint32_t GetTickCount() {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count();
  return static_cast<uint32_t>(ms);
}

}  // namespace nbase
