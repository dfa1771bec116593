// GdiplusCanvas: the paint list's canvas on one GDI+ bitmap (premultiplied
// 32-bit, so a layered window and a screenshot keep their alpha): rectangle
// fills, skin images cut into nine-grid cells, text runs and edit text laid
// out like GdiplusTextMeasurer lays them out, clipping, translucent groups.
//
// Coordinates are the window's client coordinates; `origin` places the
// client's top-left corner in the bitmap (a layered window draws its shadow
// around the client). Images come from `images`, which also keeps the
// parts of images that nine-grid cells are drawn from. GDI+ must be
// started. UI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/backend/win32/gdiplus_image_cache.h"
#include "ui/backend/win32/gdiplus_include.h"
#include "ui/core/geometry.h"
#include "ui/paint/nine_grid.h"
#include "ui/paint/paint_canvas.h"

namespace ui {

class GdiplusCanvas : public PaintCanvas {
 public:
  // Neither is owned; both must outlive the canvas.
  GdiplusCanvas(Gdiplus::Bitmap* target, GdiplusImageCache* images, Point origin = Point());
  ~GdiplusCanvas() override;
  GdiplusCanvas(const GdiplusCanvas&) = delete;
  GdiplusCanvas& operator=(const GdiplusCanvas&) = delete;

  // Sets every pixel of the bitmap (not only the client) to `argb`.
  void Clear(uint32_t argb);
  // Makes the pixels of `rect` (client coordinates) transparent, whatever
  // they held: the part of a kept frame that is drawn again.
  void ClearRect(const Rect& rect);

  void PushClip(const Rect& rect) override;
  void PopClip() override;
  void BeginGroup() override;
  void EndGroup(double opacity) override;
  void FillRect(const Rect& rect, uint32_t argb) override;
  bool DrawImage(const ImageStep& image) override;
  void DrawText(const TextStep& text) override;
  void DrawEditText(const EditTextStep& edit) override;

 private:
  struct Layer {
    std::unique_ptr<Gdiplus::Bitmap> bitmap;  // null for the target itself
    std::unique_ptr<Gdiplus::Graphics> graphics;
  };
  Gdiplus::Graphics* graphics() { return layers_.back().graphics.get(); }
  void SetUp(Gdiplus::Graphics* graphics);
  // The part `source` of `image` (image pixels) stretched over `target`;
  // pixels of the image outside the part never bleed in.
  void DrawImagePart(Gdiplus::Bitmap* image, const RectD& source, const RectD& target,
                     double opacity);
  // The boxes of the units in [range.start, range.end) of `text` laid out
  // in `layout` with `format` (whose measurable ranges it sets), in the
  // coordinates the text is drawn in.
  std::vector<Gdiplus::RectF> RangeBoxes(const std::wstring& text, Gdiplus::Font* font,
                                         const Gdiplus::RectF& layout,
                                         Gdiplus::StringFormat* format, TextRange range);

  Gdiplus::Bitmap* target_;
  GdiplusImageCache* images_;
  Point origin_;
  std::vector<Layer> layers_;
  std::vector<Gdiplus::GraphicsState> clips_;
};

}  // namespace ui
