// Renderer: draws a window's control tree with cairo, text with pango. The
// same code draws to the screen (NativeWindow) and to PNG screenshots.
//
// What it draws, per visible control, in this order: the background colour,
// the state colour, the background image, the state image of the control's
// state (normal, hot, pushed; disabled when the control is disabled; a
// missing state image falls back to the normal one) and then the foreground
// state image the same way, the text, the border; then the children of a box,
// clipped to the box. A check box uses its selected looks while selected; a
// progress bar adds its covered part (colour and image); a rich edit draws its
// text (wrapped when multi-line), its prompt when empty, and its caret while
// focused and editable. A control's alpha below 255 makes it translucent.
//
// Image descriptions are those of the skin: file, corner (nine-grid), dest,
// fade, source, destscale. File names are taken relative to the window's
// layout file; corner and dest are DPI-scaled (dest only with destscale on),
// source is in image pixels. An image that cannot be found is not drawn.
//
// Only the part inside the given dirty rectangle is drawn. UI thread only.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

#include "ui/backend/image_cache.h"
#include "ui/core/geometry.h"
#include "ui/core/text_measurer.h"

namespace ui {

class Control;
class Window;

class Renderer {
 public:
  explicit Renderer(ImageCache* images) : images_(images) {}
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // Lays the window out if needed and paints it into `cr`, whose origin is
  // the client area's top-left corner. An empty `dirty` paints everything.
  void PaintWindow(cairo_t* cr, Window* window, const Rect& dirty = Rect());

  // Draws one image description into `rect` (the control's rectangle).
  // False when nothing was drawn (bad description, image absent).
  bool DrawImage(cairo_t* cr, const Rect& rect, const std::u16string& description,
                 double alpha = 1.0);

  // Draws a text into `rect` with the label text style flags (TextStyle).
  void DrawText(cairo_t* cr, const Rect& rect, const std::u16string& text, const FontSpec& font,
                uint32_t argb, uint32_t style);

  // The window whose layout file image names are relative to.
  void SetLayoutPath(const std::u16string& layout_path) { layout_path_ = layout_path; }

  static void SetSourceArgb(cairo_t* cr, uint32_t argb);
  static void FillRect(cairo_t* cr, const Rect& rect, uint32_t argb);

 private:
  void PaintControl(cairo_t* cr, Control* control, const Rect& clip);
  void PaintControlSelf(cairo_t* cr, Control* control);
  void PaintStateImages(cairo_t* cr, Control* control);
  void PaintProgress(cairo_t* cr, Control* control);
  void PaintLabelText(cairo_t* cr, Control* control);
  void PaintRichEdit(cairo_t* cr, Control* control);
  void PaintBorder(cairo_t* cr, Control* control);

  ImageCache* images_;
  std::u16string layout_path_;
};

}  // namespace ui
