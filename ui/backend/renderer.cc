#include "ui/backend/renderer.h"

#include <pango/pangocairo.h>

#include <algorithm>

#include "base/utf.h"
#include "ui/core/box.h"
#include "ui/core/check_box.h"
#include "ui/core/dpi_scale.h"
#include "ui/core/global_manager.h"
#include "ui/core/label.h"
#include "ui/core/progress.h"
#include "ui/core/rich_edit.h"
#include "ui/core/window.h"
#include "ui/skin/image_description.h"
#include "ui/skin/resource_loader.h"
#include "ui/text/pango_text_measurer.h"

namespace ui {

namespace {

Rect Intersect(const Rect& a, const Rect& b) {
  return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

Rect Deflate(const Rect& r, const Rect& pad) {
  return Rect{r.left + pad.left, r.top + pad.top, r.right - pad.right, r.bottom - pad.bottom};
}

// Image rectangles are the skin library's own type; they scale as any other.
ImageRect ScaleImageRect(const ImageRect& r) {
  const Rect scaled = DpiScale::ScaleRect(Rect{r.left, r.top, r.right, r.bottom});
  return ImageRect{scaled.left, scaled.top, scaled.right, scaled.bottom};
}

// Draws the part (sx, sy, sw, sh) of `image` stretched over (dx, dy, dw, dh).
// The part is cut out first so that filtering never bleeds in neighbours.
void DrawCell(cairo_t* cr, cairo_surface_t* image, double sx, double sy, double sw, double sh,
              double dx, double dy, double dw, double dh, double alpha) {
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  cairo_surface_t* part = cairo_surface_create_for_rectangle(image, sx, sy, sw, sh);
  cairo_save(cr);
  cairo_rectangle(cr, dx, dy, dw, dh);
  cairo_clip(cr);
  cairo_translate(cr, dx, dy);
  cairo_scale(cr, dw / sw, dh / sh);
  cairo_set_source_surface(cr, part, 0, 0);
  cairo_pattern_t* pattern = cairo_get_source(cr);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  const bool same_size = dw == sw && dh == sh;
  cairo_pattern_set_filter(pattern, same_size ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
  if (alpha >= 1.0) {
    cairo_paint(cr);
  } else {
    cairo_paint_with_alpha(cr, alpha);
  }
  cairo_restore(cr);
  cairo_surface_destroy(part);
}

// A pango layout of `text` in `font`, `width` pixels wide (0: unbounded),
// aligned and wrapped or cut with an ellipsis by the label style flags.
PangoLayout* MakeLayout(cairo_t* cr, const std::u16string& text, const FontSpec& font,
                        uint32_t style, int32_t width) {
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* desc = pango_font_description_new();
  const std::string family = PangoTextMeasurer::ResolveFace(font.face);
  pango_font_description_set_family(desc, family.c_str());
  pango_font_description_set_absolute_size(desc, static_cast<double>(font.size_px) * PANGO_SCALE);
  pango_font_description_set_weight(desc, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(desc, font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  pango_layout_set_font_description(layout, desc);
  pango_font_description_free(desc);
  if (font.underline) {
    PangoAttrList* attrs = pango_attr_list_new();
    pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    pango_layout_set_attributes(layout, attrs);
    pango_attr_list_unref(attrs);
  }
  const std::string utf8 = nbase::Utf16ToUtf8(text);
  pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
  const bool single_line = (style & kTextSingleLine) != 0;
  pango_layout_set_single_paragraph_mode(layout, single_line);
  if (width > 0) {
    pango_layout_set_width(layout, width * PANGO_SCALE);
    if (single_line) {
      // A label narrower than its text ends in an ellipsis.
      pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    } else {
      pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    }
  }
  PangoAlignment alignment = PANGO_ALIGN_LEFT;
  if (style & kTextCenter) alignment = PANGO_ALIGN_CENTER;
  if (style & kTextRight) alignment = PANGO_ALIGN_RIGHT;
  pango_layout_set_alignment(layout, alignment);
  return layout;
}

}  // namespace

void Renderer::SetSourceArgb(cairo_t* cr, uint32_t argb) {
  cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                        (argb & 0xFF) / 255.0, ((argb >> 24) & 0xFF) / 255.0);
}

void Renderer::FillRect(cairo_t* cr, const Rect& rect, uint32_t argb) {
  if ((argb >> 24) == 0 || rect.IsEmpty()) return;
  SetSourceArgb(cr, argb);
  cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
  cairo_fill(cr);
}

void Renderer::PaintWindow(cairo_t* cr, Window* window, const Rect& dirty) {
  if (!window) return;
  window->LayoutIfNeeded();
  layout_path_ = window->GetLayoutPath();
  const Size size = window->GetClientSize();
  Rect clip{0, 0, size.cx, size.cy};
  if (!dirty.IsEmpty()) clip = Intersect(clip, dirty);
  if (clip.IsEmpty()) return;
  cairo_save(cr);
  cairo_rectangle(cr, clip.left, clip.top, clip.Width(), clip.Height());
  cairo_clip(cr);
  if (Control* root = window->GetRoot()) PaintControl(cr, root, clip);
  cairo_restore(cr);
}

void Renderer::PaintControl(cairo_t* cr, Control* control, const Rect& clip) {
  if (!control->IsVisible()) return;
  const Rect& pos = control->GetPos();
  const Rect visible = Intersect(pos, clip);
  if (visible.IsEmpty()) return;
  const int32_t alpha = control->GetAlpha();
  if (alpha <= 0) return;
  cairo_save(cr);
  cairo_rectangle(cr, visible.left, visible.top, visible.Width(), visible.Height());
  cairo_clip(cr);
  if (alpha < 255) cairo_push_group(cr);
  PaintControlSelf(cr, control);
  if (control->IsBox()) {
    for (Control* child : static_cast<Box*>(control)->GetItems()) {
      PaintControl(cr, child, visible);
    }
  }
  if (alpha < 255) {
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, alpha / 255.0);
  }
  cairo_restore(cr);
}

void Renderer::PaintControlSelf(cairo_t* cr, Control* control) {
  const Rect& pos = control->GetPos();
  FillRect(cr, pos, control->GetBkColor());
  const ControlState state = control->IsEnabled() ? control->GetState() : kStateDisabled;
  auto* check_box = dynamic_cast<CheckBox*>(control);
  uint32_t state_color =
      check_box ? check_box->GetSelectedStateColor(state) : control->GetStateColor(state);
  if (state_color == 0 && state != kStateNormal) {
    state_color = check_box ? check_box->GetSelectedStateColor(kStateNormal)
                            : control->GetStateColor(kStateNormal);
  }
  FillRect(cr, pos, state_color);
  if (!control->GetBkImage().empty()) DrawImage(cr, pos, control->GetBkImage());
  PaintStateImages(cr, control);
  if (dynamic_cast<Progress*>(control)) PaintProgress(cr, control);
  if (dynamic_cast<RichEdit*>(control)) {
    PaintRichEdit(cr, control);
  } else if (dynamic_cast<Label*>(control)) {
    PaintLabelText(cr, control);
  }
  PaintBorder(cr, control);
}

void Renderer::PaintStateImages(cairo_t* cr, Control* control) {
  const ControlState state = control->IsEnabled() ? control->GetState() : kStateDisabled;
  auto* check_box = dynamic_cast<CheckBox*>(control);
  auto image_of = [&](ControlState s) -> const std::u16string& {
    return check_box ? check_box->GetSelectedStateImage(s) : control->GetStateImage(s);
  };
  auto fore_of = [&](ControlState s) -> const std::u16string& {
    return check_box ? check_box->GetSelectedForeStateImage(s) : control->GetForeStateImage(s);
  };
  const Rect& pos = control->GetPos();
  // The state's own image, else the normal one.
  if (image_of(state).empty() || !DrawImage(cr, pos, image_of(state))) {
    if (state != kStateNormal && !image_of(kStateNormal).empty()) {
      DrawImage(cr, pos, image_of(kStateNormal));
    }
  }
  if (fore_of(state).empty() || !DrawImage(cr, pos, fore_of(state))) {
    if (state != kStateNormal && !fore_of(kStateNormal).empty()) {
      DrawImage(cr, pos, fore_of(kStateNormal));
    }
  }
}

void Renderer::PaintProgress(cairo_t* cr, Control* control) {
  auto* progress = static_cast<Progress*>(control);
  const Rect& pos = control->GetPos();
  const Rect covered = progress->GetProgressPos();
  if (covered.IsEmpty()) return;
  const Rect absolute{pos.left + covered.left, pos.top + covered.top, pos.left + covered.right,
                      pos.top + covered.bottom};
  if (progress->GetProgressColor() != 0) {
    FillRect(cr, absolute, progress->GetProgressColor() | 0xFF000000u);
  }
  const std::u16string description = progress->GetProgressImageDescription();
  if (!description.empty()) DrawImage(cr, pos, description);
}

void Renderer::PaintLabelText(cairo_t* cr, Control* control) {
  auto* label = static_cast<Label*>(control);
  if (label->GetText().empty()) return;
  const Rect rect = Deflate(control->GetPos(), label->GetTextPadding());
  DrawText(cr, rect, label->GetText(), label->GetFontSpec(), label->GetPaintTextColor(),
           label->GetTextStyle());
}

void Renderer::PaintRichEdit(cairo_t* cr, Control* control) {
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
  const uint32_t style = edit->IsMultiLine() ? kTextLeft : (kTextLeft | kTextSingleLine);
  const uint32_t color =
      show_prompt ? GlobalManager::GetDefaultDisabledTextColor() : edit->GetTextColor();
  PangoLayout* layout =
      MakeLayout(cr, show_prompt ? edit->GetPromptText() : text, edit->GetFontSpec(), style,
                 edit->IsMultiLine() ? rect.Width() : 0);
  if (!edit->IsMultiLine()) pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_NONE);
  auto byte_at = [&text](size_t index) {
    return static_cast<guint>(
        nbase::Utf16ToUtf8(std::u16string_view(text).substr(0, index)).size());
  };
  if (!show_prompt) {
    PangoAttrList* attrs = pango_layout_get_attributes(layout);
    attrs = attrs ? pango_attr_list_copy(attrs) : pango_attr_list_new();
    if (edit->HasSelection() && composition.empty() && edit->IsEnabled()) {
      // The selection: white text on the highlight colour.
      const guint from = byte_at(edit->GetSelectionStart());
      const guint to = byte_at(edit->GetSelectionEnd());
      PangoAttribute* back = pango_attr_background_new(0x3333, 0x9999, 0xFFFF);
      PangoAttribute* fore = pango_attr_foreground_new(0xFFFF, 0xFFFF, 0xFFFF);
      back->start_index = fore->start_index = from;
      back->end_index = fore->end_index = to;
      pango_attr_list_insert(attrs, back);
      pango_attr_list_insert(attrs, fore);
    }
    if (!composition.empty()) {
      PangoAttribute* line = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
      line->start_index = byte_at(caret_index);
      line->end_index = byte_at(caret_index + composition.size());
      pango_attr_list_insert(attrs, line);
    }
    pango_layout_set_attributes(layout, attrs);
    pango_attr_list_unref(attrs);
  }
  // The caret, when the user can type here: after the composition.
  const bool caret = edit->IsFocused() && edit->IsEditable();
  PangoRectangle caret_pos{0, 0, 0, 0};
  if (caret && !show_prompt) {
    pango_layout_index_to_pos(layout, static_cast<int>(byte_at(caret_index + composition.size())),
                              &caret_pos);
  } else if (caret) {
    pango_layout_index_to_pos(layout, 0, &caret_pos);
  }
  // A single line longer than the field scrolls so that the caret stays seen.
  const double shift = edit->UpdateScroll();
  cairo_save(cr);
  cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
  cairo_clip(cr);
  SetSourceArgb(cr, color);
  cairo_move_to(cr, rect.left - shift, rect.top);
  pango_cairo_show_layout(cr, layout);
  if (caret) {
    SetSourceArgb(cr, edit->GetTextColor() | 0xFF000000u);
    const double x = rect.left - shift + caret_pos.x / static_cast<double>(PANGO_SCALE);
    const double y = rect.top + caret_pos.y / static_cast<double>(PANGO_SCALE);
    const double h = std::max(1.0, caret_pos.height / static_cast<double>(PANGO_SCALE));
    cairo_rectangle(cr, static_cast<int>(x), y, 1, h);
    cairo_fill(cr);
  }
  cairo_restore(cr);
  g_object_unref(layout);
}

void Renderer::PaintBorder(cairo_t* cr, Control* control) {
  const uint32_t color = control->GetBorderColor();
  const Rect& b = control->GetBorderSize();
  if ((color >> 24) == 0) return;
  const Rect& p = control->GetPos();
  FillRect(cr, Rect{p.left, p.top, p.right, p.top + b.top}, color);
  FillRect(cr, Rect{p.left, p.bottom - b.bottom, p.right, p.bottom}, color);
  FillRect(cr, Rect{p.left, p.top + b.top, p.left + b.left, p.bottom - b.bottom}, color);
  FillRect(cr, Rect{p.right - b.right, p.top + b.top, p.right, p.bottom - b.bottom}, color);
}

void Renderer::DrawText(cairo_t* cr, const Rect& rect, const std::u16string& text,
                        const FontSpec& font, uint32_t argb, uint32_t style) {
  if (text.empty() || rect.IsEmpty() || (argb >> 24) == 0) return;
  PangoLayout* layout = MakeLayout(cr, text, font, style, rect.Width());
  int width = 0;
  int height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  int32_t y = rect.top;
  if (style & kTextBottom) {
    y = rect.bottom - height;
  } else if (style & kTextVCenter) {
    y = rect.top + (rect.Height() - height) / 2;
  }
  cairo_save(cr);
  cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
  cairo_clip(cr);
  SetSourceArgb(cr, argb);
  cairo_move_to(cr, rect.left, y);
  pango_cairo_show_layout(cr, layout);
  cairo_restore(cr);
  g_object_unref(layout);
}

bool Renderer::DrawImage(cairo_t* cr, const Rect& rect, const std::u16string& text, double alpha) {
  ImageDescription image;
  if (!ImageDescription::Parse(text, &image) || image.file.empty()) return false;
  const std::u16string path = layout_path_.empty()
                                  ? ResourceLoader::NormalizePath(image.file)
                                  : ResourceLoader::ResolveRelative(layout_path_, image.file);
  cairo_surface_t* surface = images_->Get(path);
  if (!surface) return false;
  const int iw = cairo_image_surface_get_width(surface);
  const int ih = cairo_image_surface_get_height(surface);

  // The part of the image: all of it, or the source rectangle cut to it.
  double sl = 0, st = 0, sr = iw, sb = ih;
  if (image.has_source) {
    sl = std::clamp(image.source.left, 0, iw);
    st = std::clamp(image.source.top, 0, ih);
    sr = std::clamp(image.source.right, 0, iw);
    sb = std::clamp(image.source.bottom, 0, ih);
  }
  if (sr <= sl || sb <= st) return false;

  // Where it goes: the control, or the dest rectangle inside it.
  Rect dest = rect;
  if (image.has_dest) {
    const ImageRect d = image.dest_scale ? ScaleImageRect(image.dest) : image.dest;
    dest = Rect{rect.left + d.left, rect.top + d.top, rect.left + d.right, rect.top + d.bottom};
  }
  if (dest.IsEmpty()) return false;

  const double opacity = alpha * std::clamp(image.fade, 0, 255) / 255.0;
  if (opacity <= 0) return true;

  // Nine-grid: the corners keep their size, the edges stretch one way, the
  // middle both ways. Corners are given in screen pixels at 100 % and scaled;
  // in the image they are taken unscaled, at most half of the part.
  ImageRect c = image.has_corner ? image.corner : ImageRect{};
  const ImageRect dc = ScaleImageRect(c);
  const double sw = sr - sl, sh = sb - st;
  auto fit = [](double a, double b, double limit) {
    if (a + b <= limit) return std::make_pair(a, b);
    const double k = a + b > 0 ? limit / (a + b) : 0;
    return std::make_pair(a * k, b * k);
  };
  auto [scl, scr] = fit(std::max(0, c.left), std::max(0, c.right), sw);
  auto [sct, scb] = fit(std::max(0, c.top), std::max(0, c.bottom), sh);
  auto [dcl, dcr] = fit(std::max(0, dc.left), std::max(0, dc.right), dest.Width());
  auto [dct, dcb] = fit(std::max(0, dc.top), std::max(0, dc.bottom), dest.Height());
  const double sx[4] = {sl, sl + scl, sr - scr, sr};
  const double sy[4] = {st, st + sct, sb - scb, sb};
  const double dx[4] = {double(dest.left), dest.left + dcl, dest.right - dcr, double(dest.right)};
  const double dy[4] = {double(dest.top), dest.top + dct, dest.bottom - dcb, double(dest.bottom)};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      DrawCell(cr, surface, sx[col], sy[row], sx[col + 1] - sx[col], sy[row + 1] - sy[row], dx[col],
               dy[row], dx[col + 1] - dx[col], dy[row + 1] - dy[row], opacity);
    }
  }
  return true;
}

}  // namespace ui
