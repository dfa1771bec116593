// The identifiers under which the installer's three threads are registered.
// Identifiers 1, 3, 4 and 5 are not used.
#pragma once

#include <cstdint>

namespace nbase {

using ThreadId = int32_t;

constexpr ThreadId kThreadUI = 0;    // "MainThread": every window and control.
constexpr ThreadId kThreadMisc = 2;  // "Global Misc Thread": download and installation run.
constexpr ThreadId kThreadHttp = 6;  // "http Thread": statistics report delivery.

}  // namespace nbase
