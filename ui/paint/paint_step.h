// The drawing steps of a paint list: what a control looks like, said so that
// any backend can draw it without asking the control anything. Every value
// is already resolved when a step is made: images are package paths, sizes
// and corners are DPI-scaled where the skin scales them, colours are the
// ones of the control's current state.
//
// Coordinates are the window's client coordinates in pixels (half-open
// rectangles); colours are 0xAARRGGBB, not premultiplied, drawn over what
// lies below. Clip and group steps come in pairs, nested, each closed by its
// end step later in the same list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

#include "ui/core/geometry.h"
#include "ui/core/text_measurer.h"

namespace ui {

// A rectangle filled with one colour.
struct FillStep {
  Rect rect;
  uint32_t argb = 0;
};

// A frame along the inside of `rect`, `widths` thick on the left, top, right
// and bottom: the top and bottom bars span the whole width, the side bars
// the height between them.
struct BorderStep {
  Rect rect;
  Rect widths;
  uint32_t argb = 0;
};

// An image of the skin package (or a part of it) stretched over `dest` as a
// nine-grid: its corners keep their size, its edges stretch one way and its
// middle both ways. Corners larger than the part or the target shrink in
// proportion; without corners the whole part is stretched.
struct ImageStep {
  std::u16string path;    // package path, as the image caches look it up
  bool has_source = false;
  Rect source;            // image pixels; cut to the image. Else all of it.
  Rect source_corners;    // image pixels
  Rect dest;              // never empty
  Rect dest_corners;      // screen pixels
  double opacity = 1.0;   // 0..1; 0 counts as drawn, though nothing shows
  // Drawn only when the image step just before it drew nothing (its image
  // is absent or undecodable, or its part is empty): a state image falling
  // back to the normal one.
  bool otherwise = false;
};

// A text run laid out in `rect` by the TextStyle flags and clipped to it.
// Multi-line text wraps at the rectangle's width; a single line that does
// not fit ends in an ellipsis.
struct TextStep {
  Rect rect;
  std::u16string text;
  FontSpec font;
  uint32_t argb = 0;
  uint32_t style = 0;  // TextStyle flags
};

// UTF-16 offsets [start, end) into a step's text; empty when end <= start.
struct TextRange {
  size_t start = 0;
  size_t end = 0;
  bool IsEmpty() const { return end <= start; }
};

// An edit field's text: left-aligned from `origin` (the first line's
// top-left corner, left of the field when a long line is scrolled),
// wrapping at `wrap_width` when that is above 0, clipped to `clip`. The
// selection is drawn in its own colours on its own background, the input
// method's composition underlined, and the caret - when there is one - as a
// line one pixel wide and one text line high before `caret_index`, measured
// in the same layout the text is drawn with.
struct EditTextStep {
  Rect clip;
  Point origin;
  std::u16string text;
  FontSpec font;
  uint32_t argb = 0;
  bool single_line = true;  // line breaks are not honoured
  int32_t wrap_width = 0;
  TextRange selection;
  uint32_t selection_argb = 0;       // background of the selected text
  uint32_t selected_text_argb = 0;   // the selected text itself
  TextRange underline;
  bool caret = false;
  size_t caret_index = 0;
  uint32_t caret_argb = 0;
};

// Until the matching ClipEndStep nothing is drawn outside `rect` (nor
// outside the clips around it).
struct ClipStep {
  Rect rect;
};
struct ClipEndStep {};

// What is drawn until the matching GroupEndStep is composed onto what lies
// below as one picture with `opacity` (0..1): a translucent control.
struct GroupStep {};
struct GroupEndStep {
  double opacity = 1.0;
};

using PaintStep = std::variant<FillStep, BorderStep, ImageStep, TextStep, EditTextStep, ClipStep,
                               ClipEndStep, GroupStep, GroupEndStep>;

}  // namespace ui
