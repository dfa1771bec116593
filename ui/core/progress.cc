#include "ui/core/progress.h"

#include "base/string_util.h"
#include "ui/paint/paint_list.h"

namespace ui {

Progress::Progress() { SetFixedWidthQuiet(kSizeStretch); }

const ControlAttributes& Progress::Attributes() {
  using V = const std::u16string&;
  static const AttributeTable<Progress, Control> table(
      &Label::Attributes(), {
                                {u"hor", [](Progress& c, V v) { c.SetHorizontal(v == u"true"); }},
                                {u"min", [](Progress& c, V v) { c.SetMinValue(ParseInt(v)); }},
                                {u"max", [](Progress& c, V v) { c.SetMaxValue(ParseInt(v)); }},
                                {u"value", [](Progress& c, V v) { c.SetValue(ParseInt(v)); }},
                                {u"progressimage",
                                 [](Progress& c, V v) {
                                   c.progress_image_ = v;
                                   c.Invalidate();
                                 }},
                                {u"isstretchfore",
                                 [](Progress& c, V v) {
                                   c.stretch_fore_ = v == u"true";
                                   c.Invalidate();
                                 }},
                                {u"progresscolor",
                                 [](Progress& c, V v) {
                                   c.ResolveColor(v, &c.progress_color_);
                                   c.Invalidate();
                                 }},
                            });
  return table;
}

void Progress::SetHorizontal(bool horizontal) {
  horizontal_ = horizontal;
  Invalidate();
}

void Progress::SetMinValue(int32_t value) {
  min_ = value;
  Invalidate();
}

void Progress::SetMaxValue(int32_t value) {
  max_ = value;
  Invalidate();
}

void Progress::SetValue(int32_t value) {
  value_ = value;
  Invalidate();
}

void Progress::NormalizeRange() {
  if (max_ <= min_) max_ = min_ + 1;
  if (value_ > max_) value_ = max_;
  if (value_ < min_) value_ = min_;
}

Rect Progress::GetProgressPos() {
  NormalizeRange();
  const Rect& pos = GetPos();
  const int64_t width = pos.Width();
  const int64_t height = pos.Height();
  const int64_t range = static_cast<int64_t>(max_) - min_;
  if (horizontal_) {
    const int64_t covered = width * (static_cast<int64_t>(value_) - min_) / range;
    return Rect{0, 0, static_cast<int32_t>(covered), static_cast<int32_t>(height)};
  }
  const int64_t top = (static_cast<int64_t>(max_) - value_) * height / range;
  return Rect{0, static_cast<int32_t>(top), static_cast<int32_t>(width),
              static_cast<int32_t>(height)};
}

void Progress::PaintContent(PaintList* list) {
  const Rect& pos = GetPos();
  const Rect covered = GetProgressPos();
  if (!covered.IsEmpty()) {
    if (progress_color_ != 0) {
      list->Fill(Rect{pos.left + covered.left, pos.top + covered.top, pos.left + covered.right,
                      pos.top + covered.bottom},
                 progress_color_ | 0xFF000000u);
    }
    const std::u16string description = GetProgressImageDescription();
    if (!description.empty()) PaintImage(list, pos, description);
  }
  Label::PaintContent(list);
}

std::u16string Progress::GetProgressImageDescription() {
  if (progress_image_.empty()) return std::u16string();
  const Rect r = GetProgressPos();
  // A bare file name becomes a property list so that properties can follow.
  std::u16string image = progress_image_;
  if (image.find(u'=') == std::u16string::npos) image = u"file='" + image + u"'";
  if (stretch_fore_) {
    return nbase::FormatText(u"%s destscale='false' dest='%d,%d,%d,%d'",
                             {image, r.left, r.top, r.right, r.bottom});
  }
  return nbase::FormatText(
      u"%s destscale='false' dest='%d,%d,%d,%d' source='%d,%d,%d,%d'",
      {image, r.left, r.top, r.right, r.bottom, r.left, r.top, r.right, r.bottom});
}

}  // namespace ui
