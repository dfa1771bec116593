// GdiplusCanvas: the drawing operations of the Win32 backend on one GDI+
// bitmap (premultiplied 32-bit, so a layered window and a screenshot keep
// their alpha): rectangle fills, parts of images stretched into rectangles,
// nine-grid images, text runs laid out like the text measurer lays them
// out, clipping, and translucent groups.
//
// Coordinates are the window's client coordinates; `origin` places the
// client's top-left corner in the bitmap (a layered window draws its shadow
// around the client). Images come from `images`, which also keeps the parts
// of images that nine-grids draw. Colours are 0xAARRGGBB, not premultiplied. A clip or a
// group is ended in the reverse order it was begun. GDI+ must be started.
// UI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/backend/win32/gdiplus_image_cache.h"
#include "ui/backend/win32/gdiplus_include.h"
#include "ui/core/geometry.h"
#include "ui/core/text_measurer.h"

namespace ui {

// A rectangle with fractional edges (image parts and their targets).
struct RectD {
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;
  double Width() const { return right - left; }
  double Height() const { return bottom - top; }
};

class GdiplusCanvas {
 public:
  GdiplusCanvas(Gdiplus::Bitmap* target, GdiplusImageCache* images, Point origin = Point());
  ~GdiplusCanvas();
  GdiplusCanvas(const GdiplusCanvas&) = delete;
  GdiplusCanvas& operator=(const GdiplusCanvas&) = delete;

  // Sets every pixel of the bitmap (not only the client) to `argb`.
  void Clear(uint32_t argb);

  void PushClip(const Rect& rect);
  void PopClip();
  // What is drawn until EndGroup is composed onto what lies below with
  // `opacity` (0..1) as a whole, as a translucent control is.
  void BeginGroup();
  void EndGroup(double opacity);

  void FillRect(const Rect& rect, uint32_t argb);
  // The part `source` of `image` (image pixels) stretched over `target`;
  // pixels of the image outside the part never bleed in.
  void DrawImagePart(Gdiplus::Bitmap* image, const RectD& source, const RectD& target,
                     double opacity);
  // A nine-grid: the corners of `source` (`source_corners` wide, in image
  // pixels) keep their size as `target_corners`, the edges stretch one
  // way, the middle both ways. Corners larger than the part or the target
  // shrink in proportion.
  void DrawNineGrid(Gdiplus::Bitmap* image, const RectD& source, const Rect& source_corners,
                    const Rect& target, const Rect& target_corners, double opacity);

  // Text in `rect` with the label style flags (TextStyle: horizontal and
  // vertical alignment, single line, end ellipsis); multi-line text wraps
  // at the rectangle's width. Clipped to the rectangle.
  void DrawText(const Rect& rect, std::u16string_view text, const FontSpec& font, uint32_t argb,
                uint32_t style);
  // An edit field's text at `origin` (its first line's top-left), left
  // aligned, wrapping at `wrap_width` when > 0: `selection` (UTF-16 offsets,
  // empty when start == end) drawn as white on the highlight colour and
  // `underline` (the input method's composition) underlined.
  struct TextRange {
    size_t start = 0;
    size_t end = 0;
  };
  void DrawEditText(Point origin, std::u16string_view text, const FontSpec& font, uint32_t argb,
                    int32_t wrap_width, TextRange selection, TextRange underline);

  Gdiplus::Graphics* graphics() { return layers_.back().graphics.get(); }

 private:
  struct Layer {
    std::unique_ptr<Gdiplus::Bitmap> bitmap;  // null for the target itself
    std::unique_ptr<Gdiplus::Graphics> graphics;
  };
  void SetUp(Gdiplus::Graphics* graphics);
  // The boxes of the units in [range.start, range.end) of the edit text.
  std::vector<Gdiplus::RectF> RangeBoxes(const std::wstring& text, const FontSpec& font,
                                         int32_t wrap_width, TextRange range);

  Gdiplus::Bitmap* target_;
  GdiplusImageCache* images_;
  Point origin_;
  std::vector<Layer> layers_;
  std::vector<Gdiplus::GraphicsState> clips_;
};

}  // namespace ui
