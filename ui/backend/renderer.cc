#include "ui/backend/renderer.h"

#include "ui/backend/cairo_canvas.h"
#include "ui/core/window.h"
#include "ui/paint/paint_list.h"

namespace ui {

void Renderer::PaintWindow(cairo_t* cr, Window* window, const Rect& dirty) {
  if (!window) return;
  PaintList list;
  window->Paint(&list, dirty);
  CairoCanvas canvas(cr, images_);
  list.Execute(&canvas);
}

}  // namespace ui
