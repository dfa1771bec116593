// CairoCanvas: the paint list's canvas on a cairo context - fills, skin
// images from an ImageCache cut into nine-grid cells, text laid out with
// pango on the face the text measurer uses, clips and translucent groups.
// The same canvas draws to the screen (NativeWindow) and to screenshots.
//
// Coordinates are those of the context (the window's client area); the
// context's own clip still applies. UI thread only.
#pragma once

#include <cairo.h>

#include <cstdint>

#include "ui/backend/image_cache.h"
#include "ui/paint/paint_canvas.h"

namespace ui {

class CairoCanvas : public PaintCanvas {
 public:
  // Neither is owned; both must outlive the canvas.
  CairoCanvas(cairo_t* cr, ImageCache* images) : cr_(cr), images_(images) {}
  CairoCanvas(const CairoCanvas&) = delete;
  CairoCanvas& operator=(const CairoCanvas&) = delete;

  void PushClip(const Rect& rect) override;
  void PopClip() override;
  void BeginGroup() override;
  void EndGroup(double opacity) override;
  void FillRect(const Rect& rect, uint32_t argb) override;
  bool DrawImage(const ImageStep& image) override;
  void DrawText(const TextStep& text) override;
  void DrawEditText(const EditTextStep& edit) override;

 private:
  cairo_t* cr_;
  ImageCache* images_;
};

}  // namespace ui
