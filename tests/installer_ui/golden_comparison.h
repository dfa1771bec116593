// How a rendered picture is held against its golden image, for every
// backend: both as unpremultiplied 0xAARRGGBB pixels, row by row. Pixels
// may differ by `channel_tolerance` levels in every channel; more than
// `max_different_share` of the pixels beyond that fails the comparison.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace installer_ui {
namespace golden {

struct ArgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // width * height, unpremultiplied
};

struct Tolerance {
  int channel_tolerance = 0;
  double max_different_share = 0;
};

// Empty when `actual` matches `golden` within `tolerance`; otherwise the
// reason. `diff` (when the sizes agree) shows every pixel beyond the
// channel tolerance in red over a faded grey copy of the golden image.
std::string CompareWithGolden(const ArgbImage& actual, const ArgbImage& golden,
                              const Tolerance& tolerance, ArgbImage* diff);

}  // namespace golden
}  // namespace installer_ui
