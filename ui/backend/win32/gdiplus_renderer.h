// GdiplusRenderer: draws a window's control tree on a GdiplusCanvas, with
// the same looks the cairo renderer gives it (background and state colours,
// background and state images with the skin's image descriptions, label
// text, the progress bar's covered part, an edit field's text, selection,
// composition and caret, borders; children clipped to their box; a
// control's alpha below 255 makes it translucent).
//
// Image names are taken relative to the window's layout file; corner and
// dest are DPI-scaled (dest only with destscale on), source is in image
// pixels. An image that cannot be found is not drawn. UI thread only.
#pragma once

#include <cstdint>
#include <string>

#include "ui/backend/win32/gdiplus_canvas.h"
#include "ui/backend/win32/gdiplus_image_cache.h"

namespace ui {

class Control;
class Window;

class GdiplusRenderer {
 public:
  explicit GdiplusRenderer(GdiplusImageCache* images) : images_(images) {}
  GdiplusRenderer(const GdiplusRenderer&) = delete;
  GdiplusRenderer& operator=(const GdiplusRenderer&) = delete;

  // Lays the window out if needed and paints it on `canvas`.
  void PaintWindow(GdiplusCanvas* canvas, Window* window);
  // Draws one image description into `rect`; false when nothing was drawn
  // (bad description, image absent). `layout_path` is the file that names
  // the image (empty: the name is a package path).
  bool DrawImage(GdiplusCanvas* canvas, const Rect& rect, const std::u16string& description,
                 const std::u16string& layout_path, double alpha = 1.0);

 private:
  void PaintControl(GdiplusCanvas* canvas, Control* control, const Rect& clip);
  void PaintControlSelf(GdiplusCanvas* canvas, Control* control);
  void PaintRichEdit(GdiplusCanvas* canvas, Control* control);

  GdiplusImageCache* images_;
  std::u16string layout_path_;
};

}  // namespace ui
