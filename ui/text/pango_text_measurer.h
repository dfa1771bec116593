// PangoTextMeasurer: the TextMeasurer of the framework on pango (with its
// cairo font map, which needs no display). The face "system" is the
// product's CJK sans face, "WenQuanYi Micro Hei"; other faces go to
// fontconfig as named. Sizes are pixels at 96 DPI; the style sheet has
// already applied the DPI scale.
//
// Results are cached per (font, text, width, single line); the object is
// used on the UI thread only.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "ui/core/text_measurer.h"

namespace ui {

class PangoTextMeasurer : public TextMeasurer {
 public:
  PangoTextMeasurer();
  ~PangoTextMeasurer() override;
  PangoTextMeasurer(const PangoTextMeasurer&) = delete;
  PangoTextMeasurer& operator=(const PangoTextMeasurer&) = delete;

  Size Measure(const FontSpec& font, std::u16string_view text, int32_t max_width,
               bool single_line) override;
  Rect CaretRect(const FontSpec& font, std::u16string_view text, int32_t max_width,
                 bool single_line, size_t index) override;
  size_t HitTest(const FontSpec& font, std::u16string_view text, int32_t max_width,
                 bool single_line, Point point) override;

  // The face name pango is asked for when a skin names `face`.
  static std::string ResolveFace(const std::u16string& face);

 private:
  struct State;
  // Sets up the shared layout for `text` as Measure lays it out.
  void Prepare(const FontSpec& font, const std::string& utf8, int32_t max_width, bool single_line);
  std::unique_ptr<State> state_;
};

}  // namespace ui
