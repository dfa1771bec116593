// Progress: a label that shows a value within a range as a bar. The bar's
// covered part grows from the left (horizontal) or from the bottom
// (vertical); it is filled with the progress colour and/or drawn with the
// progress image, stretched over the covered part or cut from it.
#pragma once

#include <string>

#include "ui/core/label.h"

namespace ui {

class Progress : public Label {
 public:
  Progress();
  std::u16string GetType() const override { return u"Progress"; }

  // "hor", "min", "max", "value", "progressimage", "isstretchfore" and
  // "progresscolor" (progress.cc), over the label's vocabulary.
  static const ControlAttributes& Attributes();
  const ControlAttributes& GetAttributes() const override { return Attributes(); }

  bool IsHorizontal() const { return horizontal_; }
  void SetHorizontal(bool horizontal);
  int32_t GetMinValue() const { return min_; }
  int32_t GetMaxValue() const { return max_; }
  void SetMinValue(int32_t value);
  void SetMaxValue(int32_t value);
  int32_t GetValue() const { return value_; }
  // Sets the value (clamped when the bar is next drawn) and repaints.
  void SetValue(int32_t value);
  bool IsStretchForeImage() const { return stretch_fore_; }
  const std::u16string& GetProgressImage() const { return progress_image_; }
  uint32_t GetProgressColor() const { return progress_color_; }

  // The drawing step's normalisation: an empty or inverted range becomes
  // [min, min + 1], and the value is clamped into the range. Stored.
  void NormalizeRange();
  // The covered part relative to the control's rectangle (origin 0, 0),
  // after NormalizeRange(). Empty when nothing is covered.
  Rect GetProgressPos();
  // The progress image description to draw into the covered part: the
  // image extended with the covered rectangle as destination (stretched),
  // or as destination and source (cut at the image's own scale). Empty
  // without an image.
  std::u16string GetProgressImageDescription();

 protected:
  // The covered part (filled with the progress colour, fully opaque, then
  // drawn with the progress image), then the label's text.
  void PaintContent(PaintList* list) override;

 private:
  bool horizontal_ = true;
  int32_t min_ = 0;
  int32_t max_ = 100;
  int32_t value_ = 0;
  std::u16string progress_image_;
  bool stretch_fore_ = true;
  uint32_t progress_color_ = 0;
};

}  // namespace ui
