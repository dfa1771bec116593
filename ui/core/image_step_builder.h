// ImageStepBuilder: turns an image attribute of the skin (a file name, or
// file, corner, dest, fade, source and destscale properties) into the image
// step of a paint list, for a control's rectangle.
//
// Promises: the file is resolved relative to the layout file that names it
// (a package path when there is no layout); corners are DPI-scaled on the
// screen and taken as written in the image; dest is DPI-scaled unless
// destscale is off, and placed inside the control's rectangle; the fade
// becomes the opacity. A description that does not parse, names no file or
// leaves an empty destination makes no step.
#pragma once

#include <string>

#include "ui/core/geometry.h"
#include "ui/paint/paint_step.h"

namespace ui {

class ImageStepBuilder {
 public:
  // Fills `step` for drawing `description` into `rect`; false when nothing
  // can be drawn.
  static bool Build(const std::u16string& description, const std::u16string& layout_path,
                    const Rect& rect, ImageStep* step);
};

}  // namespace ui
