// WindowScreenshot: renders a framework window into an image, through the
// same Renderer that paints it on screen, and writes it as a PNG. Used for
// golden screenshots and for looking at a window without a display.
//
// Promises: the image is the window's client size, ARGB32, cleared to
// transparent before painting (what is not drawn stays transparent). Failures
// (empty window, a folder that cannot be written) return false and leave no
// partial file under the final name.
#pragma once

#include <cairo.h>

#include <string>

namespace ui {

class Window;
class ImageCache;

class WindowScreenshot {
 public:
  // A new image surface with the window painted; null for a window of empty
  // size. The caller destroys it. `images` may be null (a private cache).
  static cairo_surface_t* Render(Window* window, ImageCache* images = nullptr);
  // Renders and writes a PNG file (UTF-8 path).
  static bool RenderToPng(Window* window, const std::string& path, ImageCache* images = nullptr);
  // Writes an image surface as PNG through a temporary file and a rename.
  static bool WritePng(cairo_surface_t* surface, const std::string& path);
};

// The window's picture as a PNG file: WindowScreenshot::RenderToPng.
inline bool RenderWindowToPng(Window* window, const std::string& path) {
  return WindowScreenshot::RenderToPng(window, path);
}

}  // namespace ui
