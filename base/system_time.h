// Wall-clock time in the form the product's reports and timings use.
#pragma once

#include <cstdint>
#include <string>

namespace nbase {

// Milliseconds since 1601-01-01 00:00 UTC (the system time of the original
// platform): the 100-nanosecond count divided by 10000, integer division.
uint64_t GetTimeMs();

// Whole seconds from `start_ms` (an earlier GetTimeMs value) to now, the
// way the reports time a step; negative when the clock was set back since.
int64_t SecondsSinceTimeMs(uint64_t start_ms);

// GetTimeMs() as unsigned decimal text, e.g. "13412345678901".
std::string GetTimeMsText();

}  // namespace nbase
