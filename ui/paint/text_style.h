// How a text run sits in its rectangle: the flags a label keeps as its text
// style and a text step carries to the backend. Horizontal: left (none),
// centre or right; vertical: top (none), centre or bottom. A single line is
// never wrapped and ends in an ellipsis when it does not fit, other text
// wraps at the rectangle's width. kTextEndEllipsis records the skin's
// "endellipsis" switch; backends draw single lines the same either way.
#pragma once

#include <cstdint>

namespace ui {

enum TextStyle : uint32_t {
  kTextLeft = 0x0,
  kTextCenter = 0x1,
  kTextRight = 0x2,
  kTextTop = 0x0,
  kTextVCenter = 0x4,
  kTextBottom = 0x8,
  kTextSingleLine = 0x20,
  kTextEndEllipsis = 0x8000,
};

}  // namespace ui
