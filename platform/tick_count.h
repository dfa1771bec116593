// The platform's millisecond tick: CLOCK_MONOTONIC in milliseconds, cut to
// 32 bits, so it wraps every 49.7 days exactly like the original tick count.
// Differences of two ticks taken less than one wrap apart are exact when
// computed in uint32_t arithmetic.
#pragma once

#include <cstdint>

namespace platform {

uint32_t GetTickCount();

}  // namespace platform
