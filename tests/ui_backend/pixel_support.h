// Pixel helpers for rendering tests: PNG fixtures written into a temporary
// folder, pixels read back unpremultiplied as 0xAARRGGBB.
#pragma once

#include <cairo.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace ui {
namespace testing_support {

// Reads one pixel of an ARGB32 surface as unpremultiplied 0xAARRGGBB.
inline uint32_t PixelAt(cairo_surface_t* surface, int x, int y) {
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const uint32_t p = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
  const uint32_t a = p >> 24;
  if (a == 0) return 0;
  auto un = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
  return (a << 24) | (un((p >> 16) & 0xFF) << 16) | (un((p >> 8) & 0xFF) << 8) | un(p & 0xFF);
}

inline uint32_t AlphaAt(cairo_surface_t* surface, int x, int y) {
  return PixelAt(surface, x, y) >> 24;
}

// A temporary folder removed with its content at the end of the scope.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/ui_backend_XXXXXX";
    if (mkdtemp(pattern)) path_ = pattern;
  }
  ~TempDir() {
    if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Writes a PNG of `w` x `h` filled with `fill`, whose corner squares of
// `corner` pixels are `corner_color` (0xAARRGGBB, opaque colours only).
inline bool WriteTestPng(const std::string& path, int w, int h, uint32_t fill, int corner = 0,
                         uint32_t corner_color = 0) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(s);
  auto set = [cr](uint32_t c) {
    cairo_set_source_rgba(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
                          (c & 0xFF) / 255.0, (c >> 24) / 255.0);
  };
  set(fill);
  cairo_paint(cr);
  if (corner > 0) {
    set(corner_color);
    cairo_rectangle(cr, 0, 0, corner, corner);
    cairo_rectangle(cr, w - corner, 0, corner, corner);
    cairo_rectangle(cr, 0, h - corner, corner, corner);
    cairo_rectangle(cr, w - corner, h - corner, corner, corner);
    cairo_fill(cr);
  }
  cairo_destroy(cr);
  const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(s);
  return ok;
}

}  // namespace testing_support
}  // namespace ui
