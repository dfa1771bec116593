// GdiplusTextMeasurer: the framework's TextMeasurer on GDI+, with the fonts
// and the text layout the Win32 canvas draws with (GdiplusFonts). Multi-line
// text wraps at the given width; caret positions and hit tests follow the
// wrapped lines. Sizes are rounded up to whole pixels.
//
// Results of Measure are cached per (font, text, width, single line); GDI+
// must be started while the object lives. UI thread only.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "ui/backend/win32/gdiplus_include.h"
#include "ui/core/text_measurer.h"

namespace ui {

class GdiplusTextMeasurer : public TextMeasurer {
 public:
  GdiplusTextMeasurer();
  ~GdiplusTextMeasurer() override;
  GdiplusTextMeasurer(const GdiplusTextMeasurer&) = delete;
  GdiplusTextMeasurer& operator=(const GdiplusTextMeasurer&) = delete;

  Size Measure(const FontSpec& font, std::u16string_view text, int32_t max_width,
               bool single_line) override;
  Rect CaretRect(const FontSpec& font, std::u16string_view text, int32_t max_width,
                 bool single_line, size_t index) override;
  size_t HitTest(const FontSpec& font, std::u16string_view text, int32_t max_width,
                 bool single_line, Point point) override;

 private:
  // The box of each UTF-16 unit of `text` as laid out (empty boxes for line
  // breaks and the trailing halves of surrogate pairs).
  std::vector<Gdiplus::RectF> UnitBoxes(const FontSpec& font, std::u16string_view text,
                                        int32_t max_width, bool single_line);
  int32_t LineHeight(const FontSpec& font);

  Gdiplus::Bitmap surface_{1, 1, PixelFormat32bppPARGB};
  Gdiplus::Graphics graphics_{&surface_};
  using Key = std::tuple<std::u16string, int32_t, int32_t, std::u16string, int32_t>;
  std::map<Key, Size> cache_;
};

}  // namespace ui
