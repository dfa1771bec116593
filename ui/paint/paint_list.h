// PaintList: what a window looks like, as a short list of drawing steps
// (paint_step.h). Controls append their steps through their paint hooks
// (Control::Paint); a backend carries the list out on its PaintCanvas with
// Execute and never asks a control anything.
//
// Promises: the adding helpers leave out steps that could not show anything
// (a fill or border without colour or area, a text without text, colour or
// room); steps run in the order they were added; Execute turns a border
// into its four fills and skips an image step marked `otherwise` when the
// image step before it was drawn. A list is built and executed on the UI
// thread, once per frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/core/geometry.h"
#include "ui/paint/paint_step.h"

namespace ui {

class PaintCanvas;

class PaintList {
 public:
  void Fill(const Rect& rect, uint32_t argb);
  void Border(const Rect& rect, const Rect& widths, uint32_t argb);
  void Image(ImageStep image);
  void Text(TextStep text);
  void EditText(EditTextStep edit);
  void PushClip(const Rect& rect);
  void PopClip();
  void BeginGroup();
  void EndGroup(double opacity);

  const std::vector<PaintStep>& steps() const { return steps_; }
  size_t size() const { return steps_.size(); }
  bool empty() const { return steps_.empty(); }
  void Clear() { steps_.clear(); }

  void Execute(PaintCanvas* canvas) const;

 private:
  std::vector<PaintStep> steps_;
};

}  // namespace ui
