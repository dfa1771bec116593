// varnik_x11_shot: looks at an X window from outside, for the demo script
// and for people debugging the real window.
//
//   varnik_x11_shot WINDOW FILE.png                 the window as a PNG
//   varnik_x11_shot --pixel WINDOW X Y              prints the pixel, RRGGBB
//   varnik_x11_shot --wait WINDOW X Y RRGGBB SECS   waits until the pixel
//                                                   shows the colour (±24)
//
// WINDOW is decimal or 0x-hex, as xdotool and xwininfo print it. Exit code
// 0 on success, 1 on failure (reason on standard error), 2 on bad usage.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "tools/x11_tools/x11_snapshot.h"

namespace {

using varnik_tools::X11Snapshot;

int Usage() {
  std::fprintf(stderr,
               "usage: varnik_x11_shot WINDOW FILE.png\n"
               "       varnik_x11_shot --pixel WINDOW X Y\n"
               "       varnik_x11_shot --wait WINDOW X Y RRGGBB SECONDS\n");
  return 2;
}

bool ParseNumber(const char* text, unsigned long* value) {
  char* end = nullptr;
  *value = std::strtoul(text, &end, 0);
  return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  unsigned long window = 0, x = 0, y = 0, seconds = 0;
  std::string error;
  X11Snapshot snapshot;
  if (mode == "--pixel" && argc == 5) {
    if (!ParseNumber(argv[2], &window) || !ParseNumber(argv[3], &x) || !ParseNumber(argv[4], &y))
      return Usage();
    if (!snapshot.Take(nullptr, window, &error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    std::printf("%06X\n", snapshot.Pixel(static_cast<int>(x), static_cast<int>(y)));
    return 0;
  }
  if (mode == "--wait" && argc == 7) {
    uint32_t want = 0;
    if (!ParseNumber(argv[2], &window) || !ParseNumber(argv[3], &x) ||
        !ParseNumber(argv[4], &y) || !X11Snapshot::ParseColour(argv[5], &want) ||
        !ParseNumber(argv[6], &seconds))
      return Usage();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    uint32_t seen = 0;
    for (;;) {
      if (snapshot.Take(nullptr, window, &error)) {
        seen = snapshot.Pixel(static_cast<int>(x), static_cast<int>(y));
        if (X11Snapshot::Near(seen, want, 24)) return 0;
      }
      if (std::chrono::steady_clock::now() > deadline) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::fprintf(stderr, "pixel %lu,%lu shows %06X, not %06X, after %lu s%s%s\n", x, y, seen,
                 want, seconds, error.empty() ? "" : ": ", error.c_str());
    return 1;
  }
  if (argc == 3 && mode.rfind("--", 0) != 0) {
    if (!ParseNumber(argv[1], &window)) return Usage();
    if (!snapshot.Take(nullptr, window, &error) || !snapshot.WritePng(argv[2], &error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    return 0;
  }
  return Usage();
}
