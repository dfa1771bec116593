// The one road from the control tree to text metrics. Controls ask the
// process-wide measurer for the size of a text in a font; the core itself
// knows no font engine (the pango adapter implements this interface). With
// no measurer installed every text measures 0 x 0, so layouts still run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/core/geometry.h"

namespace ui {

// A font as the text engine needs it: face name and pixel height already
// DPI-scaled by whoever registered it.
struct FontSpec {
  std::u16string face;  // "system" means the product's CJK sans face
  int32_t size_px = 12;
  bool bold = false;
  bool underline = false;
  bool italic = false;
};

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;

  // The logical size of `text` in `font`. With `max_width` > 0 and
  // `single_line` false the text wraps at that width (the height grows);
  // with `single_line` true line breaks are not honoured and nothing wraps.
  // An empty text measures 0 wide and one line high.
  virtual Size Measure(const FontSpec& font, std::u16string_view text, int32_t max_width,
                       bool single_line) = 0;

  // Caret geometry for editing, with the same layout rules as Measure and
  // positions relative to the text's top-left corner. `index` and the
  // result of HitTest are UTF-16 offsets in `text`, never inside a
  // surrogate pair. The defaults measure prefixes of the first line, which
  // suits measurers without a layout engine; the pango measurer wraps.
  //
  // The caret before `index`: x, top and line height (right = left + 1).
  virtual Rect CaretRect(const FontSpec& font, std::u16string_view text, int32_t max_width,
                         bool single_line, size_t index);
  // The caret offset nearest to `point`.
  virtual size_t HitTest(const FontSpec& font, std::u16string_view text, int32_t max_width,
                         bool single_line, Point point);

  // Installs the process-wide measurer (not owned; nullptr removes it).
  static void SetInstance(TextMeasurer* measurer);
  static TextMeasurer* Instance();
};

}  // namespace ui
