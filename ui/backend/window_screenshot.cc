#include "ui/backend/window_screenshot.h"

#include <cstdio>
#include <memory>

#include "ui/backend/image_cache.h"
#include "ui/backend/renderer.h"
#include "ui/core/window.h"

namespace ui {

cairo_surface_t* WindowScreenshot::Render(Window* window, ImageCache* images) {
  if (!window) return nullptr;
  window->LayoutIfNeeded();
  const Size size = window->GetClientSize();
  if (size.cx <= 0 || size.cy <= 0) return nullptr;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size.cx, size.cy);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  std::unique_ptr<ImageCache> own_images;
  if (!images) {
    own_images = std::make_unique<ImageCache>();
    images = own_images.get();
  }
  cairo_t* cr = cairo_create(surface);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_paint(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  Renderer renderer(images);
  renderer.PaintWindow(cr, window);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  return surface;
}

bool WindowScreenshot::WritePng(cairo_surface_t* surface, const std::string& path) {
  if (!surface || path.empty()) return false;
  const std::string temp = path + ".part";
  if (cairo_surface_write_to_png(surface, temp.c_str()) != CAIRO_STATUS_SUCCESS) {
    std::remove(temp.c_str());
    return false;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

bool WindowScreenshot::RenderToPng(Window* window, const std::string& path, ImageCache* images) {
  cairo_surface_t* surface = Render(window, images);
  if (!surface) return false;
  const bool ok = WritePng(surface, path);
  cairo_surface_destroy(surface);
  return ok;
}

}  // namespace ui
