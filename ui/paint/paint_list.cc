#include "ui/paint/paint_list.h"

#include <utility>

#include "ui/paint/paint_canvas.h"

namespace ui {

namespace {

bool IsTransparent(uint32_t argb) { return (argb >> 24) == 0; }

// Carries out one step at a time, remembering whether the last image drew.
class StepRunner {
 public:
  explicit StepRunner(PaintCanvas* canvas) : canvas_(canvas) {}

  void operator()(const FillStep& s) { canvas_->FillRect(s.rect, s.argb); }
  void operator()(const BorderStep& s) {
    const Rect& r = s.rect;
    const Rect& w = s.widths;
    FillIfAny(Rect{r.left, r.top, r.right, r.top + w.top}, s.argb);
    FillIfAny(Rect{r.left, r.bottom - w.bottom, r.right, r.bottom}, s.argb);
    FillIfAny(Rect{r.left, r.top + w.top, r.left + w.left, r.bottom - w.bottom}, s.argb);
    FillIfAny(Rect{r.right - w.right, r.top + w.top, r.right, r.bottom - w.bottom}, s.argb);
  }
  void operator()(const ImageStep& s) {
    if (s.otherwise && image_drawn_) return;
    image_drawn_ = canvas_->DrawImage(s);
  }
  void operator()(const TextStep& s) { canvas_->DrawText(s); }
  void operator()(const EditTextStep& s) { canvas_->DrawEditText(s); }
  void operator()(const ClipStep& s) { canvas_->PushClip(s.rect); }
  void operator()(const ClipEndStep&) { canvas_->PopClip(); }
  void operator()(const GroupStep&) { canvas_->BeginGroup(); }
  void operator()(const GroupEndStep& s) { canvas_->EndGroup(s.opacity); }

 private:
  void FillIfAny(const Rect& rect, uint32_t argb) {
    if (!rect.IsEmpty()) canvas_->FillRect(rect, argb);
  }

  PaintCanvas* canvas_;
  bool image_drawn_ = false;
};

}  // namespace

void PaintList::Fill(const Rect& rect, uint32_t argb) {
  if (IsTransparent(argb) || rect.IsEmpty()) return;
  steps_.emplace_back(FillStep{rect, argb});
}

void PaintList::Border(const Rect& rect, const Rect& widths, uint32_t argb) {
  if (IsTransparent(argb) || rect.IsEmpty()) return;
  steps_.emplace_back(BorderStep{rect, widths, argb});
}

void PaintList::Image(ImageStep image) { steps_.emplace_back(std::move(image)); }

void PaintList::Text(TextStep text) {
  if (text.text.empty() || text.rect.IsEmpty() || IsTransparent(text.argb)) return;
  steps_.emplace_back(std::move(text));
}

void PaintList::EditText(EditTextStep edit) { steps_.emplace_back(std::move(edit)); }

void PaintList::PushClip(const Rect& rect) { steps_.emplace_back(ClipStep{rect}); }

void PaintList::PopClip() { steps_.emplace_back(ClipEndStep{}); }

void PaintList::BeginGroup() { steps_.emplace_back(GroupStep{}); }

void PaintList::EndGroup(double opacity) { steps_.emplace_back(GroupEndStep{opacity}); }

void PaintList::Execute(PaintCanvas* canvas) const {
  StepRunner runner(canvas);
  for (const PaintStep& step : steps_) std::visit(runner, step);
}

}  // namespace ui
