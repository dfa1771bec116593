// PaintCanvas: what a backend offers to carry out a paint list - the few
// drawing operations of one surface. PaintList::Execute calls them in the
// list's order; a backend implements them on its graphics library (cairo and
// pango, GDI+) and never looks at controls.
//
// Promises a backend keeps: clips and groups nest as begun; colours are
// 0xAARRGGBB, not premultiplied, composed over what lies below; DrawImage
// answers false exactly when nothing could be drawn (the image is absent or
// cannot be decoded, or the step's source part is empty after cutting it
// to the image), and true for an image drawn with opacity 0. NineGrid gives
// the cells of an image step so that every backend places them alike.
#pragma once

#include <cstdint>

#include "ui/core/geometry.h"
#include "ui/paint/paint_step.h"

namespace ui {

class PaintCanvas {
 public:
  virtual ~PaintCanvas() = default;

  virtual void PushClip(const Rect& rect) = 0;
  virtual void PopClip() = 0;
  virtual void BeginGroup() = 0;
  virtual void EndGroup(double opacity) = 0;

  virtual void FillRect(const Rect& rect, uint32_t argb) = 0;
  virtual bool DrawImage(const ImageStep& image) = 0;
  virtual void DrawText(const TextStep& text) = 0;
  virtual void DrawEditText(const EditTextStep& edit) = 0;
};

}  // namespace ui
