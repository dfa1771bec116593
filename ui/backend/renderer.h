// Renderer: paints a window with cairo and pango by executing the window's
// paint list (what its controls say they look like) on a CairoCanvas. The
// same code draws to the screen (NativeWindow) and to PNG screenshots.
//
// Only the part inside the given dirty rectangle is described and drawn:
// controls outside it add no steps. UI thread only.
#pragma once

#include <cairo.h>

#include "ui/backend/image_cache.h"
#include "ui/core/geometry.h"

namespace ui {

class Window;

class Renderer {
 public:
  explicit Renderer(ImageCache* images) : images_(images) {}
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // Lays the window out if needed and paints it into `cr`, whose origin is
  // the client area's top-left corner. An empty `dirty` paints everything.
  void PaintWindow(cairo_t* cr, Window* window, const Rect& dirty = Rect());

 private:
  ImageCache* images_;
};

}  // namespace ui
