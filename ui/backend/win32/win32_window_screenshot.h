// Win32WindowScreenshot: a framework window's picture on Windows, drawn by
// executing its paint list on a GdiplusCanvas exactly as the window draws
// its client area on screen (without the shadow around it), and written as
// a PNG. Used for golden images and for looking at a window without a
// display.
//
// Promises: the bitmap is the window's client size, premultiplied 32-bit,
// cleared to transparent before painting. Failures (a window of empty size,
// a folder that cannot be written, no PNG encoder) return null or false and
// leave no file under the final name. GDI+ must be started (Win32Backend).
// UI thread only.
#pragma once

#include <memory>
#include <string>

#include "ui/backend/win32/gdiplus_image_cache.h"
#include "ui/backend/win32/gdiplus_include.h"

namespace ui {

class Window;

class Win32WindowScreenshot {
 public:
  // The window painted into a new bitmap; null for a window of empty size.
  // `images` may be null (a private cache).
  static std::unique_ptr<Gdiplus::Bitmap> Render(Window* window,
                                                 GdiplusImageCache* images = nullptr);
  // Writes `bitmap` as PNG (UTF-8 path) through a temporary file and a
  // rename over any file of that name.
  static bool WritePng(Gdiplus::Bitmap* bitmap, const std::string& path);
  static bool RenderToPng(Window* window, const std::string& path,
                          GdiplusImageCache* images = nullptr);
};

}  // namespace ui
