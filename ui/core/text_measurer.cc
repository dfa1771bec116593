#include "ui/core/text_measurer.h"

#include <algorithm>
#include <atomic>

namespace ui {
namespace {
std::atomic<TextMeasurer*> g_measurer{nullptr};
}  // namespace

void TextMeasurer::SetInstance(TextMeasurer* measurer) { g_measurer = measurer; }

TextMeasurer* TextMeasurer::Instance() { return g_measurer; }

namespace {
// Offsets never split a surrogate pair.
bool IsTrail(std::u16string_view text, size_t i) {
  return i > 0 && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF &&
         text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF;
}
}  // namespace

Rect TextMeasurer::CaretRect(const FontSpec& font, std::u16string_view text, int32_t, bool,
                             size_t index) {
  index = std::min(index, text.size());
  const Size prefix = Measure(font, text.substr(0, index), 0, true);
  const Size line = Measure(font, u"", 0, true);
  return Rect{prefix.cx, 0, prefix.cx + 1, line.cy};
}

size_t TextMeasurer::HitTest(const FontSpec& font, std::u16string_view text, int32_t, bool,
                             Point point) {
  size_t best = 0;
  int32_t best_distance = point.x < 0 ? -point.x : point.x;
  for (size_t i = 1; i <= text.size(); ++i) {
    if (IsTrail(text, i)) continue;
    const int32_t x = Measure(font, text.substr(0, i), 0, true).cx;
    const int32_t distance = x > point.x ? x - point.x : point.x - x;
    if (distance < best_distance) {
      best = i;
      best_distance = distance;
    }
  }
  return best;
}

}  // namespace ui
