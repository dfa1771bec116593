#include "ui/backend/cairo_canvas.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "base/utf.h"
#include "ui/paint/nine_grid.h"
#include "ui/paint/text_style.h"
#include "ui/text/pango_text_measurer.h"

namespace ui {

namespace {

void SetSourceArgb(cairo_t* cr, uint32_t argb) {
  cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                        (argb & 0xFF) / 255.0, ((argb >> 24) & 0xFF) / 255.0);
}

// One 8-bit channel of a colour as pango's 16-bit channel.
guint16 Channel16(uint32_t argb, int shift) {
  return static_cast<guint16>(((argb >> shift) & 0xFF) * 257);
}

// Draws the part `source` of `image` stretched over `target`. The part is
// cut out first so that filtering never bleeds in neighbours.
void DrawCell(cairo_t* cr, cairo_surface_t* image, const RectD& source, const RectD& target,
              double alpha) {
  const double sw = source.Width(), sh = source.Height();
  const double dw = target.Width(), dh = target.Height();
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  cairo_surface_t* part =
      cairo_surface_create_for_rectangle(image, source.left, source.top, sw, sh);
  cairo_save(cr);
  cairo_rectangle(cr, target.left, target.top, dw, dh);
  cairo_clip(cr);
  cairo_translate(cr, target.left, target.top);
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
// aligned and wrapped or cut with an ellipsis by the text style flags.
PangoLayout* MakeLayout(cairo_t* cr, std::u16string_view text, const FontSpec& font,
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

// The attribute covering the UTF-8 bytes of `range` in `text`.
void SetByteRange(PangoAttribute* attribute, std::u16string_view text, TextRange range) {
  auto byte_at = [text](size_t index) {
    return static_cast<guint>(nbase::Utf16ToUtf8(text.substr(0, index)).size());
  };
  attribute->start_index = byte_at(std::min(range.start, text.size()));
  attribute->end_index = byte_at(std::min(range.end, text.size()));
}

}  // namespace

void CairoCanvas::PushClip(const Rect& rect) {
  cairo_save(cr_);
  cairo_rectangle(cr_, rect.left, rect.top, rect.Width(), rect.Height());
  cairo_clip(cr_);
}

void CairoCanvas::PopClip() { cairo_restore(cr_); }

void CairoCanvas::BeginGroup() { cairo_push_group(cr_); }

void CairoCanvas::EndGroup(double opacity) {
  cairo_pop_group_to_source(cr_);
  cairo_paint_with_alpha(cr_, opacity);
}

void CairoCanvas::FillRect(const Rect& rect, uint32_t argb) {
  if ((argb >> 24) == 0 || rect.IsEmpty()) return;
  SetSourceArgb(cr_, argb);
  cairo_rectangle(cr_, rect.left, rect.top, rect.Width(), rect.Height());
  cairo_fill(cr_);
}

bool CairoCanvas::DrawImage(const ImageStep& image) {
  cairo_surface_t* surface = images_->Get(image.path);
  if (!surface) return false;
  NineGrid::Cells cells;
  const Size size{cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface)};
  if (!NineGrid::Plan(image, size, &cells)) return false;
  if (image.opacity <= 0) return true;
  for (const ImageCell& cell : cells) DrawCell(cr_, surface, cell.source, cell.target, image.opacity);
  return true;
}

void CairoCanvas::DrawText(const TextStep& text) {
  const Rect& rect = text.rect;
  PangoLayout* layout = MakeLayout(cr_, text.text, text.font, text.style, rect.Width());
  int width = 0;
  int height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  int32_t y = rect.top;
  if (text.style & kTextBottom) {
    y = rect.bottom - height;
  } else if (text.style & kTextVCenter) {
    y = rect.top + (rect.Height() - height) / 2;
  }
  cairo_save(cr_);
  cairo_rectangle(cr_, rect.left, rect.top, rect.Width(), rect.Height());
  cairo_clip(cr_);
  SetSourceArgb(cr_, text.argb);
  cairo_move_to(cr_, rect.left, y);
  pango_cairo_show_layout(cr_, layout);
  cairo_restore(cr_);
  g_object_unref(layout);
}

void CairoCanvas::DrawEditText(const EditTextStep& edit) {
  const std::u16string_view text = edit.text;
  const uint32_t style = edit.single_line ? (kTextLeft | kTextSingleLine) : kTextLeft;
  PangoLayout* layout = MakeLayout(cr_, text, edit.font, style, edit.wrap_width);
  // A single line never ends in an ellipsis: it scrolls.
  if (edit.single_line) pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_NONE);
  if (!edit.selection.IsEmpty() || !edit.underline.IsEmpty()) {
    PangoAttrList* attrs = pango_layout_get_attributes(layout);
    attrs = attrs ? pango_attr_list_copy(attrs) : pango_attr_list_new();
    if (!edit.selection.IsEmpty()) {
      const uint32_t back = edit.selection_argb;
      const uint32_t fore = edit.selected_text_argb;
      PangoAttribute* background = pango_attr_background_new(
          Channel16(back, 16), Channel16(back, 8), Channel16(back, 0));
      PangoAttribute* foreground = pango_attr_foreground_new(
          Channel16(fore, 16), Channel16(fore, 8), Channel16(fore, 0));
      SetByteRange(background, text, edit.selection);
      SetByteRange(foreground, text, edit.selection);
      pango_attr_list_insert(attrs, background);
      pango_attr_list_insert(attrs, foreground);
    }
    if (!edit.underline.IsEmpty()) {
      PangoAttribute* line = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
      SetByteRange(line, text, edit.underline);
      pango_attr_list_insert(attrs, line);
    }
    pango_layout_set_attributes(layout, attrs);
    pango_attr_list_unref(attrs);
  }
  PangoRectangle caret{0, 0, 0, 0};
  if (edit.caret) {
    const size_t index = std::min(edit.caret_index, text.size());
    pango_layout_index_to_pos(
        layout, static_cast<int>(nbase::Utf16ToUtf8(text.substr(0, index)).size()), &caret);
  }
  const Rect& clip = edit.clip;
  cairo_save(cr_);
  cairo_rectangle(cr_, clip.left, clip.top, clip.Width(), clip.Height());
  cairo_clip(cr_);
  SetSourceArgb(cr_, edit.argb);
  cairo_move_to(cr_, edit.origin.x, edit.origin.y);
  pango_cairo_show_layout(cr_, layout);
  if (edit.caret) {
    SetSourceArgb(cr_, edit.caret_argb);
    const double x = edit.origin.x + caret.x / static_cast<double>(PANGO_SCALE);
    const double y = edit.origin.y + caret.y / static_cast<double>(PANGO_SCALE);
    const double h = std::max(1.0, caret.height / static_cast<double>(PANGO_SCALE));
    cairo_rectangle(cr_, static_cast<int>(x), y, 1, h);
    cairo_fill(cr_);
  }
  cairo_restore(cr_);
  g_object_unref(layout);
}

}  // namespace ui
