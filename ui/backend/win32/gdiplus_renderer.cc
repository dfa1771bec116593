#include "ui/backend/win32/gdiplus_renderer.h"

#include <algorithm>
#include <functional>

#include "ui/core/box.h"
#include "ui/core/check_box.h"
#include "ui/core/dpi_scale.h"
#include "ui/core/global_manager.h"
#include "ui/core/label.h"
#include "ui/core/progress.h"
#include "ui/core/rich_edit.h"
#include "ui/core/text_measurer.h"
#include "ui/core/window.h"
#include "ui/skin/image_description.h"
#include "ui/skin/resource_loader.h"

namespace ui {

namespace {

Rect Intersect(const Rect& a, const Rect& b) {
  return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

Rect Deflate(const Rect& r, const Rect& pad) {
  return Rect{r.left + pad.left, r.top + pad.top, r.right - pad.right, r.bottom - pad.bottom};
}

Rect ScaleImageRect(const ImageRect& r) {
  return Rect{DpiScale::Scale(r.left), DpiScale::Scale(r.top), DpiScale::Scale(r.right),
              DpiScale::Scale(r.bottom)};
}

}  // namespace

void GdiplusRenderer::PaintWindow(GdiplusCanvas* canvas, Window* window) {
  if (!window) return;
  window->LayoutIfNeeded();
  layout_path_ = window->GetLayoutPath();
  const Size size = window->GetClientSize();
  const Rect clip{0, 0, size.cx, size.cy};
  if (clip.IsEmpty()) return;
  canvas->PushClip(clip);
  if (Control* root = window->GetRoot()) PaintControl(canvas, root, clip);
  canvas->PopClip();
}

void GdiplusRenderer::PaintControl(GdiplusCanvas* canvas, Control* control, const Rect& clip) {
  if (!control->IsVisible()) return;
  const Rect visible = Intersect(control->GetPos(), clip);
  if (visible.IsEmpty()) return;
  const int32_t alpha = control->GetAlpha();
  if (alpha <= 0) return;
  canvas->PushClip(visible);
  if (alpha < 255) canvas->BeginGroup();
  PaintControlSelf(canvas, control);
  if (control->IsBox()) {
    for (Control* child : static_cast<Box*>(control)->GetItems()) {
      PaintControl(canvas, child, visible);
    }
  }
  if (alpha < 255) canvas->EndGroup(alpha / 255.0);
  canvas->PopClip();
}

void GdiplusRenderer::PaintControlSelf(GdiplusCanvas* canvas, Control* control) {
  const Rect& pos = control->GetPos();
  canvas->FillRect(pos, control->GetBkColor());
  const ControlState state = control->IsEnabled() ? control->GetState() : kStateDisabled;
  auto* check_box = dynamic_cast<CheckBox*>(control);
  uint32_t state_color =
      check_box ? check_box->GetSelectedStateColor(state) : control->GetStateColor(state);
  if (state_color == 0 && state != kStateNormal) {
    state_color = check_box ? check_box->GetSelectedStateColor(kStateNormal)
                            : control->GetStateColor(kStateNormal);
  }
  canvas->FillRect(pos, state_color);
  if (!control->GetBkImage().empty()) {
    DrawImage(canvas, pos, control->GetBkImage(), layout_path_);
  }
  using StateImage = std::function<const std::u16string&(ControlState)>;
  const StateImage image_of = [&](ControlState s) -> const std::u16string& {
    return check_box ? check_box->GetSelectedStateImage(s) : control->GetStateImage(s);
  };
  const StateImage fore_of = [&](ControlState s) -> const std::u16string& {
    return check_box ? check_box->GetSelectedForeStateImage(s) : control->GetForeStateImage(s);
  };
  for (const StateImage* images : {&image_of, &fore_of}) {
    // The state's own image, else the normal one.
    const StateImage& of = *images;
    if (of(state).empty() || !DrawImage(canvas, pos, of(state), layout_path_)) {
      if (state != kStateNormal && !of(kStateNormal).empty()) {
        DrawImage(canvas, pos, of(kStateNormal), layout_path_);
      }
    }
  }
  if (auto* progress = dynamic_cast<Progress*>(control)) {
    const Rect covered = progress->GetProgressPos();
    if (!covered.IsEmpty()) {
      if (progress->GetProgressColor() != 0) {
        canvas->FillRect(Rect{pos.left + covered.left, pos.top + covered.top,
                              pos.left + covered.right, pos.top + covered.bottom},
                         progress->GetProgressColor() | 0xFF000000u);
      }
      const std::u16string description = progress->GetProgressImageDescription();
      if (!description.empty()) DrawImage(canvas, pos, description, layout_path_);
    }
  }
  if (dynamic_cast<RichEdit*>(control)) {
    PaintRichEdit(canvas, control);
  } else if (auto* label = dynamic_cast<Label*>(control)) {
    if (!label->GetText().empty()) {
      canvas->DrawText(Deflate(pos, label->GetTextPadding()), label->GetText(),
                       label->GetFontSpec(), label->GetPaintTextColor(), label->GetTextStyle());
    }
  }
  const uint32_t border = control->GetBorderColor();
  if ((border >> 24) != 0) {
    const Rect& b = control->GetBorderSize();
    canvas->FillRect(Rect{pos.left, pos.top, pos.right, pos.top + b.top}, border);
    canvas->FillRect(Rect{pos.left, pos.bottom - b.bottom, pos.right, pos.bottom}, border);
    canvas->FillRect(Rect{pos.left, pos.top + b.top, pos.left + b.left, pos.bottom - b.bottom},
                     border);
    canvas->FillRect(Rect{pos.right - b.right, pos.top + b.top, pos.right, pos.bottom - b.bottom},
                     border);
  }
}

void GdiplusRenderer::PaintRichEdit(GdiplusCanvas* canvas, Control* control) {
  auto* edit = static_cast<RichEdit*>(control);
  const Rect rect = edit->GetTextRect();
  if (rect.IsEmpty()) return;
  std::u16string text = edit->GetText();
  if (edit->IsPassword()) text.assign(text.size(), u'\u25CF');
  // The input method's composition is shown at the caret, underlined, as if
  // it were part of the text.
  const std::u16string& composition = edit->GetCompositionText();
  const size_t caret_index = std::min(edit->GetCaret(), text.size());
  if (!composition.empty()) text.insert(caret_index, composition);
  const bool show_prompt = text.empty() && !edit->GetPromptText().empty() && !edit->IsFocused();
  const uint32_t color =
      show_prompt ? GlobalManager::GetDefaultDisabledTextColor() : edit->GetTextColor();
  const int32_t wrap_width = edit->IsMultiLine() ? rect.Width() : 0;
  // A single line longer than the field scrolls so that the caret stays seen.
  const int32_t shift = edit->UpdateScroll();
  GdiplusCanvas::TextRange selection;
  GdiplusCanvas::TextRange underline;
  if (!show_prompt && edit->HasSelection() && composition.empty() && edit->IsEnabled()) {
    selection = {edit->GetSelectionStart(), edit->GetSelectionEnd()};
  }
  if (!composition.empty()) underline = {caret_index, caret_index + composition.size()};
  canvas->PushClip(rect);
  canvas->DrawEditText(Point{rect.left - shift, rect.top},
                       show_prompt ? edit->GetPromptText() : text, edit->GetFontSpec(), color,
                       wrap_width, selection, underline);
  // The caret, when the user can type here: after the composition.
  if (edit->IsFocused() && edit->IsEditable()) {
    Rect caret{0, 0, 1, 1};
    if (TextMeasurer* measurer = TextMeasurer::Instance()) {
      caret = measurer->CaretRect(edit->GetFontSpec(), show_prompt ? u"" : text, wrap_width,
                                  !edit->IsMultiLine(),
                                  show_prompt ? 0 : caret_index + composition.size());
    }
    canvas->FillRect(Rect{rect.left - shift + caret.left, rect.top + caret.top,
                          rect.left - shift + caret.left + 1, rect.top + caret.bottom},
                     edit->GetTextColor() | 0xFF000000u);
  }
  canvas->PopClip();
}

bool GdiplusRenderer::DrawImage(GdiplusCanvas* canvas, const Rect& rect,
                                const std::u16string& text, const std::u16string& layout_path,
                                double alpha) {
  ImageDescription image;
  if (!ImageDescription::Parse(text, &image) || image.file.empty()) return false;
  const std::u16string path = layout_path.empty()
                                  ? ResourceLoader::NormalizePath(image.file)
                                  : ResourceLoader::ResolveRelative(layout_path, image.file);
  Gdiplus::Bitmap* bitmap = images_->Get(path);
  if (!bitmap) return false;
  const int iw = static_cast<int>(bitmap->GetWidth());
  const int ih = static_cast<int>(bitmap->GetHeight());
  // The part of the image: all of it, or the source rectangle cut to it.
  RectD source{0, 0, double(iw), double(ih)};
  if (image.has_source) {
    source = RectD{double(std::clamp(image.source.left, 0, iw)),
                   double(std::clamp(image.source.top, 0, ih)),
                   double(std::clamp(image.source.right, 0, iw)),
                   double(std::clamp(image.source.bottom, 0, ih))};
  }
  if (source.right <= source.left || source.bottom <= source.top) return false;
  // Where it goes: the control, or the dest rectangle inside it.
  Rect dest = rect;
  if (image.has_dest) {
    const Rect d = image.dest_scale ? ScaleImageRect(image.dest)
                                    : Rect{image.dest.left, image.dest.top, image.dest.right,
                                           image.dest.bottom};
    dest = Rect{rect.left + d.left, rect.top + d.top, rect.left + d.right, rect.top + d.bottom};
  }
  if (dest.IsEmpty()) return false;
  const double opacity = alpha * std::clamp(image.fade, 0, 255) / 255.0;
  if (opacity <= 0) return true;
  // Corners are given in screen pixels at 100 % and scaled; in the image
  // they are taken unscaled.
  const ImageRect c = image.has_corner ? image.corner : ImageRect{};
  canvas->DrawNineGrid(bitmap, source, Rect{c.left, c.top, c.right, c.bottom}, dest,
                       ScaleImageRect(c), opacity);
  return true;
}

}  // namespace ui
