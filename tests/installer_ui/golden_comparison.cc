#include "tests/installer_ui/golden_comparison.h"

#include <algorithm>
#include <cstdlib>

namespace installer_ui {
namespace golden {

std::string CompareWithGolden(const ArgbImage& actual, const ArgbImage& golden,
                              const Tolerance& tolerance, ArgbImage* diff) {
  if (actual.width != golden.width || actual.height != golden.height) {
    return "size differs: " + std::to_string(actual.width) + "x" + std::to_string(actual.height) +
           " against " + std::to_string(golden.width) + "x" + std::to_string(golden.height);
  }
  diff->width = actual.width;
  diff->height = actual.height;
  diff->pixels.assign(actual.pixels.size(), 0);
  long different = 0;
  for (size_t i = 0; i < actual.pixels.size(); ++i) {
    const uint32_t a = actual.pixels[i];
    const uint32_t g = golden.pixels[i];
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((g >> shift) & 0xFF)));
    }
    if (worst > tolerance.channel_tolerance) {
      ++different;
      diff->pixels[i] = 0xFFFF0000;
    } else {
      const uint32_t grey = 0xC0 + (((g >> 8) & 0xFF) >> 2);
      diff->pixels[i] = 0xFF000000 | (grey << 16) | (grey << 8) | grey;
    }
  }
  if (different <= tolerance.max_different_share * actual.pixels.size()) return std::string();
  return std::to_string(different) + " pixels differ";
}

}  // namespace golden
}  // namespace installer_ui
