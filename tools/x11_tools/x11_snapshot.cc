#include "tools/x11_tools/x11_snapshot.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace varnik_tools {

namespace {

// Xlib's default error handler ends the process; a snapshot of a window
// that vanished must be an ordinary failure instead. The handler is
// process-wide, so the code is recorded under a lock around each request.
std::mutex error_mutex;
int last_error_code = 0;

int RecordError(Display*, XErrorEvent* event) {
  last_error_code = event->error_code;
  return 0;
}

}  // namespace

bool X11Snapshot::Take(const char* display_name, unsigned long window_id, std::string* error) {
  width_ = height_ = 0;
  pixels_.clear();
  Display* display = XOpenDisplay(display_name);
  if (!display) {
    *error = std::string("cannot open the display ") +
             (display_name ? display_name : (std::getenv("DISPLAY") ? std::getenv("DISPLAY") : ""));
    return false;
  }
  std::lock_guard<std::mutex> lock(error_mutex);
  last_error_code = 0;
  XErrorHandler previous = XSetErrorHandler(&RecordError);
  XWindowAttributes attributes{};
  XImage* image = nullptr;
  const Status have_attributes = XGetWindowAttributes(display, window_id, &attributes);
  XSync(display, False);
  if (!have_attributes || last_error_code != 0) {
    *error = "no such window";
  } else if (attributes.map_state != IsViewable) {
    *error = "the window is not on show";
  } else {
    image = XGetImage(display, window_id, 0, 0, attributes.width, attributes.height, AllPlanes,
                      ZPixmap);
    XSync(display, False);
    if (!image || last_error_code != 0) *error = "the window's image cannot be read";
  }
  if (image && last_error_code == 0) {
    width_ = image->width;
    height_ = image->height;
    pixels_.resize(static_cast<size_t>(width_) * height_);
    const unsigned long red = image->red_mask, green = image->green_mask, blue = image->blue_mask;
    // Shift each mask's channel down to eight bits, whatever the visual.
    auto channel = [](unsigned long value, unsigned long mask) -> uint32_t {
      if (mask == 0) return 0;
      int shift = 0;
      while (!((mask >> shift) & 1)) ++shift;
      unsigned long bits = mask >> shift;
      int width = 0;
      while (bits & 1) {
        ++width;
        bits >>= 1;
      }
      uint32_t v = static_cast<uint32_t>((value & mask) >> shift);
      return width >= 8 ? v >> (width - 8) : (v * 255) / ((1u << width) - 1);
    };
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        const unsigned long p = XGetPixel(image, x, y);
        pixels_[static_cast<size_t>(y) * width_ + x] =
            channel(p, red) << 16 | channel(p, green) << 8 | channel(p, blue);
      }
    }
  }
  if (image) XDestroyImage(image);
  XSetErrorHandler(previous);
  XCloseDisplay(display);
  return width_ > 0 && height_ > 0;
}

uint32_t X11Snapshot::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[static_cast<size_t>(y) * width_ + x];
}

bool X11Snapshot::WritePng(const std::string& path, std::string* error) const {
  if (width_ <= 0 || height_ <= 0) {
    *error = "no image";
    return false;
  }
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width_, height_);
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < height_; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < width_; ++x) row[x] = pixels_[static_cast<size_t>(y) * width_ + x];
  }
  cairo_surface_mark_dirty(surface);
  const std::string temporary = path + ".tmp-" + std::to_string(getpid());
  const cairo_status_t status = cairo_surface_write_to_png(surface, temporary.c_str());
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    unlink(temporary.c_str());
    *error = std::string("cannot write ") + path + ": " + cairo_status_to_string(status);
    return false;
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    *error = "cannot rename to " + path;
    return false;
  }
  return true;
}

bool X11Snapshot::Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift : {0, 8, 16}) {
    const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (d > tolerance || d < -tolerance) return false;
  }
  return true;
}

bool X11Snapshot::ParseColour(const std::string& text, uint32_t* colour) {
  std::string digits = text;
  if (!digits.empty() && digits[0] == '#') digits.erase(0, 1);
  if (digits.size() != 6) return false;
  uint32_t value = 0;
  for (char c : digits) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    value = value << 4 | static_cast<uint32_t>(std::stoul(std::string(1, c), nullptr, 16));
  }
  *colour = value;
  return true;
}

}  // namespace varnik_tools
