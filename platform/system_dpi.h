// The system DPI, the number the installer picks its skin variant by and
// reports at start-up (96 means 100 %).
//
// First, on every system: VARNIK_DPI, a whole number 1..2000 (tests and the
// demo pin the DPI). Then on Windows: GetDpiForSystem where user32 has it
// (the process declares itself DPI-aware), else LOGPIXELSX of the screen's
// device context, which older systems report for a DPI-aware process.
//
// Linux sources after VARNIK_DPI, first usable one wins:
//   2. "Xft.dpi" of the X resource database, read with `xrdb -query` as a
//      real process when a display is named and xrdb is installed (the
//      desktop's font DPI, which GNOME, KDE and Xfce set from the scale);
//   3. GDK_SCALE (a whole number 1..16) x 96;
//   4. 96.
// Values outside the bounds, or that do not parse, count as absent. The
// result is computed once per process and kept; any thread may ask.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

inline constexpr char kDpiVariable[] = "VARNIK_DPI";
inline constexpr int32_t kDefaultDpi = 96;

int32_t GetSystemDpi();

// The VARNIK_DPI value when it is a whole number 1..2000, else 0.
int32_t DpiOverride(std::string_view value);

// The choice above on texts already in hand: the VARNIK_DPI value, the
// resource database text (one "name:\tvalue" line each) and the GDK_SCALE
// value; an empty text stands for an absent source.
int32_t SystemDpiFromSources(std::string_view dpi_override, std::string_view resource_database,
                             std::string_view gdk_scale);

// "Xft.dpi" of a resource database text, rounded to a whole number; 0 when
// absent or out of bounds.
int32_t ParseXftDpi(std::string_view resource_database);

}  // namespace platform
