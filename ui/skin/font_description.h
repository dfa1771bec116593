// FontDescription: one font of the global style sheet ("Font" element), as
// the renderer needs it: face, pixel size, weight and underline.
//
// Promises: the face "system" (any ASCII case) is the CJK sans face the
// product ships with on Linux; other faces are used as written. The pixel
// size follows the DPI scale percent (size × percent / 100, truncated), the
// weight is the stock weight plus 700 for bold (capped at the heaviest weight
// renderers accept).
#pragma once

#include <string>

#include "ui/markup/markup_node.h"

namespace ui {

class FontDescription {
 public:
  // The face "system" stands for.
  static constexpr char16_t kSystemFace[] = u"WenQuanYi Micro Hei";
  static constexpr int kStockWeight = 400;
  static constexpr int kBoldExtraWeight = 700;
  static constexpr int kMaxWeight = 1000;
  static constexpr int kMaxSize = 1000;

  FontDescription() = default;
  FontDescription(std::u16string face, int size, bool bold, bool underline);

  // Reads a "Font" element: `name`, `size` (1 to 1000), `bold` and
  // `underline` ("true" for on). False when the name or size is missing or
  // not valid.
  static bool FromNode(const MarkupNode& node, FontDescription* font);

  // The face as written in the skin, and the face to render with.
  const std::u16string& name() const { return name_; }
  std::u16string Face() const;
  int size() const { return size_; }
  bool bold() const { return bold_; }
  bool underline() const { return underline_; }

  // Height in pixels at `dpi_percent` (100 when DPI scaling is not active).
  int PixelSize(int dpi_percent) const;
  int Weight() const;

 private:
  std::u16string name_;
  int size_ = 0;
  bool bold_ = false;
  bool underline_ = false;
};

}  // namespace ui
