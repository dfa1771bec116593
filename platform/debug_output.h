// Diagnostic output of the process. Silent unless the environment variable
// VARNIK_DEBUG is "1"; then every text goes to the debugger output
// (OutputDebugStringW, Windows only) and to standard error as one UTF-8
// piece, written with a single call so texts of different threads never
// interleave within one piece. Texts are passed on as given: callers add their own line ends.
//
// DebugTimeMark writes "<what> at <ms> ms" with the time of the system's
// monotonic clock in milliseconds (three decimals; CLOCK_MONOTONIC on Linux),
// a clock every process shares, so a program that started this one can place
// the moment against its own clock.
#pragma once

#include <string_view>

namespace platform {

inline constexpr char kDebugVariable[] = "VARNIK_DEBUG";

bool IsDebugOutputEnabled();
void DebugOutput(std::u16string_view text);
void DebugOutput(std::string_view text);
void DebugTimeMark(std::string_view what);

}  // namespace platform
