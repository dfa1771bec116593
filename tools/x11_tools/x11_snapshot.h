// X11Snapshot: the pixels of one X window as the X server holds them, read
// with XGetImage, for the real-window test and the demo's screenshots.
//
// Promises: Take() never throws and never aborts on X errors (a window that
// is gone or unmapped gives a clear error text instead of the default X
// error handler's exit); pixels are 0xRRGGBB; WritePng() writes through a
// temporary file and a rename, so no partial file is left under the name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varnik_tools {

class X11Snapshot {
 public:
  // Reads the whole window `window_id` on `display_name` (null: $DISPLAY).
  // False with `error` filled when the display, the window or the image
  // cannot be had.
  bool Take(const char* display_name, unsigned long window_id, std::string* error);

  int width() const { return width_; }
  int height() const { return height_; }
  // 0xRRGGBB; 0 outside the image.
  uint32_t Pixel(int x, int y) const;
  bool WritePng(const std::string& path, std::string* error) const;

  // True when each of the three channels of `a` and `b` differ by at most
  // `tolerance`.
  static bool Near(uint32_t a, uint32_t b, int tolerance);
  // "RRGGBB" (six hex digits, an optional leading '#') to a colour; false on
  // anything else.
  static bool ParseColour(const std::string& text, uint32_t* colour);

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;
};

}  // namespace varnik_tools
