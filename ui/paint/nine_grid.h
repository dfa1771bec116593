// NineGrid: where the parts of an image step go. An image (or the part of
// it the step names) is cut into three columns and three rows by the step's
// corners; the corners keep their size, the edges stretch one way, the
// middle both ways. Every backend draws the cells it is given, so all of
// them place an image alike.
//
// Promises: the source part is the step's source cut to the image (all of
// the image without one); corners are at least 0, and a pair of corners
// wider than the part or the target shrinks in proportion to fit it. Cells
// of zero width or height may be among the nine; they draw nothing.
#pragma once

#include <array>

#include "ui/core/geometry.h"
#include "ui/paint/paint_step.h"

namespace ui {

// A rectangle with fractional edges: an image part and where it goes.
struct RectD {
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;
  double Width() const { return right - left; }
  double Height() const { return bottom - top; }
};

// One cell: `source` in image pixels stretched over `target`.
struct ImageCell {
  RectD source;
  RectD target;
};

class NineGrid {
 public:
  using Cells = std::array<ImageCell, 9>;

  // The cells of `step` for an image `image_size` pixels big, row by row
  // from the top-left. False (no cells) when the source part is empty.
  static bool Plan(const ImageStep& step, Size image_size, Cells* cells);
};

}  // namespace ui
