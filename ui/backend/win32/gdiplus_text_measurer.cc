#include "ui/backend/win32/gdiplus_text_measurer.h"

#include <algorithm>
#include <cmath>

#include "ui/backend/win32/gdiplus_fonts.h"

namespace ui {

namespace {

// The measure cache is dropped whole when it grows past this many entries.
constexpr size_t kMaxCacheEntries = 4096;
// GDI+ measures at most this many character ranges in one call.
constexpr size_t kRangesPerCall = 32;
// "No width limit" for a layout box.
constexpr Gdiplus::REAL kUnbounded = 1e6f;

bool IsTrail(std::u16string_view text, size_t i) {
  return i > 0 && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF &&
         text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF;
}

std::wstring LayoutText(std::u16string_view text, bool single_line) {
  return single_line ? GdiplusFonts::SingleLineText(text) : std::wstring(text.begin(), text.end());
}

Gdiplus::RectF LayoutBox(int32_t max_width, bool single_line) {
  const bool wrap = !single_line && max_width > 0;
  return Gdiplus::RectF(0, 0, wrap ? static_cast<Gdiplus::REAL>(max_width) : kUnbounded,
                        kUnbounded);
}

}  // namespace

GdiplusTextMeasurer::GdiplusTextMeasurer() {
  graphics_.SetTextRenderingHint(GdiplusFonts::kRenderingHint);
  graphics_.SetPageUnit(Gdiplus::UnitPixel);
}

GdiplusTextMeasurer::~GdiplusTextMeasurer() = default;

int32_t GdiplusTextMeasurer::LineHeight(const FontSpec& font) {
  return static_cast<int32_t>(std::ceil(GdiplusFonts::Get(font)->GetHeight(&graphics_)));
}

Size GdiplusTextMeasurer::Measure(const FontSpec& font, std::u16string_view text, int32_t max_width,
                                  bool single_line) {
  const int32_t flags = (font.bold ? 1 : 0) | (font.underline ? 2 : 0) | (font.italic ? 4 : 0) |
                        (single_line ? 8 : 0);
  Key key{font.face, font.size_px, flags, std::u16string(text), single_line ? 0 : max_width};
  auto it = cache_.find(key);
  if (it != cache_.end()) return it->second;

  Size size{0, LineHeight(font)};
  if (!text.empty()) {
    const std::wstring wide = LayoutText(text, single_line);
    std::unique_ptr<Gdiplus::StringFormat> format(
        GdiplusFonts::NewFormat(!single_line && max_width > 0, false));
    Gdiplus::RectF box;
    graphics_.MeasureString(wide.c_str(), static_cast<INT>(wide.size()), GdiplusFonts::Get(font),
                            LayoutBox(max_width, single_line), format.get(), &box);
    size.cx = static_cast<int32_t>(std::ceil(box.Width));
    size.cy = std::max(size.cy, static_cast<int32_t>(std::ceil(box.Height)));
  }
  if (cache_.size() >= kMaxCacheEntries) cache_.clear();
  cache_.emplace(std::move(key), size);
  return size;
}

std::vector<Gdiplus::RectF> GdiplusTextMeasurer::UnitBoxes(const FontSpec& font,
                                                           std::u16string_view text,
                                                           int32_t max_width, bool single_line) {
  std::vector<Gdiplus::RectF> boxes(text.size());
  const std::wstring wide = LayoutText(text, single_line);
  std::unique_ptr<Gdiplus::StringFormat> format(
      GdiplusFonts::NewFormat(!single_line && max_width > 0, false));
  Gdiplus::Region regions[kRangesPerCall];
  for (size_t first = 0; first < text.size(); first += kRangesPerCall) {
    std::vector<Gdiplus::CharacterRange> ranges;
    std::vector<size_t> units;
    for (size_t i = first; i < std::min(text.size(), first + kRangesPerCall); ++i) {
      if (IsTrail(text, i)) continue;
      const bool pair = i + 1 < text.size() && IsTrail(text, i + 1);
      ranges.emplace_back(static_cast<INT>(i), pair ? 2 : 1);
      units.push_back(i);
    }
    if (ranges.empty()) continue;
    format->SetMeasurableCharacterRanges(static_cast<INT>(ranges.size()), ranges.data());
    if (graphics_.MeasureCharacterRanges(wide.c_str(), static_cast<INT>(wide.size()),
                                         GdiplusFonts::Get(font), LayoutBox(max_width, single_line),
                                         format.get(), static_cast<INT>(ranges.size()),
                                         regions) != Gdiplus::Ok) {
      continue;
    }
    for (size_t r = 0; r < units.size(); ++r) regions[r].GetBounds(&boxes[units[r]], &graphics_);
  }
  return boxes;
}

namespace {

// The caret's top-left before `index` in text laid out as `boxes`: the left
// edge of the unit there; at the end or before a box-less unit, the right
// edge of the unit before; after a line break, the start of the next line.
Point CaretAt(const std::vector<Gdiplus::RectF>& boxes, std::u16string_view text, size_t index,
              bool single_line, int32_t line_height) {
  auto has_box = [&](size_t i) { return boxes[i].Width > 0 || boxes[i].Height > 0; };
  // Walk back to a unit that places the caret; count line breaks passed.
  int32_t breaks = 0;
  for (;;) {
    if (index < text.size() && has_box(index) && breaks == 0) {
      return Point{static_cast<int32_t>(std::lround(boxes[index].X)),
                   static_cast<int32_t>(std::lround(boxes[index].Y))};
    }
    if (index == 0) return Point{0, breaks * line_height};
    --index;
    while (index > 0 && IsTrail(text, index)) --index;
    if (!single_line && text[index] == u'\n') {
      ++breaks;
    } else if (has_box(index)) {
      if (breaks > 0) {
        return Point{0, static_cast<int32_t>(std::lround(boxes[index].Y)) + breaks * line_height};
      }
      return Point{static_cast<int32_t>(std::lround(boxes[index].X + boxes[index].Width)),
                   static_cast<int32_t>(std::lround(boxes[index].Y))};
    }
  }
}

}  // namespace

Rect GdiplusTextMeasurer::CaretRect(const FontSpec& font, std::u16string_view text,
                                    int32_t max_width, bool single_line, size_t index) {
  index = std::min(index, text.size());
  while (IsTrail(text, index)) --index;
  const int32_t line = LineHeight(font);
  const Point at =
      CaretAt(UnitBoxes(font, text, max_width, single_line), text, index, single_line, line);
  return Rect{at.x, at.y, at.x + 1, at.y + std::max(1, line)};
}

size_t GdiplusTextMeasurer::HitTest(const FontSpec& font, std::u16string_view text,
                                    int32_t max_width, bool single_line, Point point) {
  const int32_t line = LineHeight(font);
  const std::vector<Gdiplus::RectF> boxes = UnitBoxes(font, text, max_width, single_line);
  // The caret offset whose position is nearest: first by line, then by x.
  size_t best = 0;
  int64_t best_distance = -1;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (IsTrail(text, i)) continue;
    const Point caret = CaretAt(boxes, text, i, single_line, line);
    const int64_t dy = point.y < caret.y              ? caret.y - point.y
                       : point.y >= caret.y + line ? point.y - (caret.y + line - 1)
                                                   : 0;
    const int64_t dx = point.x > caret.x ? point.x - caret.x : caret.x - point.x;
    const int64_t distance = dy * 100000 + dx;
    if (best_distance < 0 || distance < best_distance) {
      best = i;
      best_distance = distance;
    }
  }
  return best;
}

}  // namespace ui
