// The process's one monotonic millisecond tick: the standard library's
// steady clock in milliseconds, cut to 32 bits, so it wraps every 49.7 days
// like the system tick count the installer was designed around. Differences
// of two ticks taken less than one wrap apart are exact when computed in
// uint32_t arithmetic. The loop clock (tick_clock.h) extends it to 64 bits.
#pragma once

#include <cstdint>

namespace nbase {

uint32_t GetTickCount();

}  // namespace nbase
