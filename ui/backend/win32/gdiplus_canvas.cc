#include "ui/backend/win32/gdiplus_canvas.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "ui/backend/win32/gdiplus_fonts.h"
#include "ui/backend/win32/gdiplus_text_measurer.h"
#include "ui/paint/text_style.h"

namespace ui {

namespace {

// GDI+ measures at most this many character ranges in one call.
constexpr size_t kRangesPerCall = 32;

Gdiplus::Color ToColor(uint32_t argb) { return Gdiplus::Color(static_cast<Gdiplus::ARGB>(argb)); }

Gdiplus::RectF ToRectF(const RectD& r) {
  return Gdiplus::RectF(static_cast<Gdiplus::REAL>(r.left), static_cast<Gdiplus::REAL>(r.top),
                        static_cast<Gdiplus::REAL>(r.Width()),
                        static_cast<Gdiplus::REAL>(r.Height()));
}

}  // namespace

GdiplusCanvas::GdiplusCanvas(Gdiplus::Bitmap* target, GdiplusImageCache* images, Point origin)
    : target_(target), images_(images), origin_(origin) {
  Layer layer;
  layer.graphics = std::make_unique<Gdiplus::Graphics>(target_);
  SetUp(layer.graphics.get());
  layers_.push_back(std::move(layer));
}

GdiplusCanvas::~GdiplusCanvas() = default;

void GdiplusCanvas::SetUp(Gdiplus::Graphics* graphics) {
  graphics->SetPageUnit(Gdiplus::UnitPixel);
  graphics->SetTextRenderingHint(GdiplusFonts::kRenderingHint);
  graphics->SetCompositingQuality(Gdiplus::CompositingQualityHighSpeed);
  graphics->SetSmoothingMode(Gdiplus::SmoothingModeNone);
  graphics->TranslateTransform(static_cast<Gdiplus::REAL>(origin_.x),
                               static_cast<Gdiplus::REAL>(origin_.y));
}

void GdiplusCanvas::Clear(uint32_t argb) {
  Gdiplus::GraphicsState state = graphics()->Save();
  graphics()->ResetClip();
  graphics()->Clear(ToColor(argb));
  graphics()->Restore(state);
}

void GdiplusCanvas::ClearRect(const Rect& rect) {
  if (rect.IsEmpty()) return;
  Gdiplus::Graphics* g = graphics();
  const Gdiplus::CompositingMode mode = g->GetCompositingMode();
  g->SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
  Gdiplus::SolidBrush transparent(Gdiplus::Color(0, 0, 0, 0));
  g->FillRectangle(&transparent, rect.left, rect.top, rect.Width(), rect.Height());
  g->SetCompositingMode(mode);
}

void GdiplusCanvas::PushClip(const Rect& rect) {
  clips_.push_back(graphics()->Save());
  graphics()->IntersectClip(Gdiplus::Rect(rect.left, rect.top, rect.Width(), rect.Height()));
}

void GdiplusCanvas::PopClip() {
  if (clips_.empty()) return;
  graphics()->Restore(clips_.back());
  clips_.pop_back();
}

void GdiplusCanvas::BeginGroup() {
  Layer layer;
  layer.bitmap = std::make_unique<Gdiplus::Bitmap>(target_->GetWidth(), target_->GetHeight(),
                                                   PixelFormat32bppPARGB);
  layer.graphics = std::make_unique<Gdiplus::Graphics>(layer.bitmap.get());
  SetUp(layer.graphics.get());
  layer.graphics->Clear(Gdiplus::Color(0, 0, 0, 0));
  // The group sees the clip that is in force where it begins.
  Gdiplus::Region clip;
  graphics()->GetClip(&clip);
  layer.graphics->SetClip(&clip);
  layers_.push_back(std::move(layer));
}

void GdiplusCanvas::EndGroup(double opacity) {
  if (layers_.size() < 2) return;
  Layer layer = std::move(layers_.back());
  layers_.pop_back();
  layer.graphics.reset();
  Gdiplus::ColorMatrix matrix = {{{1, 0, 0, 0, 0},
                                  {0, 1, 0, 0, 0},
                                  {0, 0, 1, 0, 0},
                                  {0, 0, 0, static_cast<Gdiplus::REAL>(opacity), 0},
                                  {0, 0, 0, 0, 1}}};
  Gdiplus::ImageAttributes attributes;
  attributes.SetColorMatrix(&matrix);
  Gdiplus::Graphics* below = graphics();
  Gdiplus::GraphicsState state = below->Save();
  below->ResetTransform();
  const INT w = static_cast<INT>(target_->GetWidth());
  const INT h = static_cast<INT>(target_->GetHeight());
  below->SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
  below->DrawImage(layer.bitmap.get(), Gdiplus::Rect(0, 0, w, h), 0, 0, w, h, Gdiplus::UnitPixel,
                   &attributes);
  below->Restore(state);
}

void GdiplusCanvas::FillRect(const Rect& rect, uint32_t argb) {
  if ((argb >> 24) == 0 || rect.IsEmpty()) return;
  Gdiplus::SolidBrush brush(ToColor(argb));
  graphics()->FillRectangle(&brush, rect.left, rect.top, rect.Width(), rect.Height());
}

void GdiplusCanvas::DrawImagePart(Gdiplus::Bitmap* image, const RectD& source, const RectD& target,
                                  double opacity) {
  if (!image || source.Width() <= 0 || source.Height() <= 0 || target.Width() <= 0 ||
      target.Height() <= 0 || opacity <= 0) {
    return;
  }
  // Every part is drawn from a padded bitmap of its own (see GetPart), so
  // filtering never reads its neighbours. The padding is drawn too, past the
  // target, and clipped away again: some GDI+ implementations leave the
  // first column of a stretched image's target unpainted.
  const Rect whole{static_cast<int32_t>(std::floor(source.left)),
                   static_cast<int32_t>(std::floor(source.top)),
                   static_cast<int32_t>(std::ceil(source.right)),
                   static_cast<int32_t>(std::ceil(source.bottom))};
  image = images_->GetPart(image, whole);
  if (!image) return;
  constexpr double pad = GdiplusImageCache::kPartPadding;
  const double scale_x = target.Width() / source.Width();
  const double scale_y = target.Height() / source.Height();
  const RectD from{source.left - whole.left, source.top - whole.top,
                   source.right - whole.left + 2 * pad, source.bottom - whole.top + 2 * pad};
  const RectD to{target.left - pad * scale_x, target.top - pad * scale_y,
                 target.right + pad * scale_x, target.bottom + pad * scale_y};
  Gdiplus::ImageAttributes attributes;
  attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
  if (opacity < 1.0) {
    Gdiplus::ColorMatrix matrix = {{{1, 0, 0, 0, 0},
                                    {0, 1, 0, 0, 0},
                                    {0, 0, 1, 0, 0},
                                    {0, 0, 0, static_cast<Gdiplus::REAL>(opacity), 0},
                                    {0, 0, 0, 0, 1}}};
    attributes.SetColorMatrix(&matrix);
  }
  const bool same_size = target.Width() == source.Width() && target.Height() == source.Height();
  Gdiplus::Graphics* g = graphics();
  const Gdiplus::GraphicsState state = g->Save();
  g->IntersectClip(ToRectF(target));
  g->SetInterpolationMode(same_size ? Gdiplus::InterpolationModeNearestNeighbor
                                    : Gdiplus::InterpolationModeHighQualityBilinear);
  g->DrawImage(image, ToRectF(to), static_cast<Gdiplus::REAL>(from.left),
               static_cast<Gdiplus::REAL>(from.top), static_cast<Gdiplus::REAL>(from.Width()),
               static_cast<Gdiplus::REAL>(from.Height()), Gdiplus::UnitPixel, &attributes);
  g->Restore(state);
}

bool GdiplusCanvas::DrawImage(const ImageStep& image) {
  Gdiplus::Bitmap* bitmap = images_->Get(image.path);
  if (!bitmap) return false;
  NineGrid::Cells cells;
  const Size size{static_cast<int32_t>(bitmap->GetWidth()),
                  static_cast<int32_t>(bitmap->GetHeight())};
  if (!NineGrid::Plan(image, size, &cells)) return false;
  if (image.opacity <= 0) return true;
  for (const ImageCell& cell : cells) DrawImagePart(bitmap, cell.source, cell.target, image.opacity);
  return true;
}

void GdiplusCanvas::DrawText(const TextStep& step) {
  const Rect& rect = step.rect;
  const std::u16string_view text = step.text;
  const uint32_t style = step.style;
  if (text.empty() || rect.IsEmpty() || (step.argb >> 24) == 0) return;
  const bool single_line = (style & kTextSingleLine) != 0;
  const std::wstring wide =
      single_line ? GdiplusFonts::SingleLineText(text) : std::wstring(text.begin(), text.end());
  // A single line narrower than its text ends in an ellipsis, as the
  // measurer's callers expect of a label.
  std::unique_ptr<Gdiplus::StringFormat> format(GdiplusFonts::NewFormat(!single_line, single_line));
  // A line taller than the rectangle is still drawn, clipped to it, as on
  // every other backend: GDI+ would otherwise leave out every line that
  // does not fit whole (a check box's text at 150 % lost entirely).
  format->SetFormatFlags(format->GetFormatFlags() & ~Gdiplus::StringFormatFlagsLineLimit);
  format->SetAlignment((style & kTextCenter)  ? Gdiplus::StringAlignmentCenter
                       : (style & kTextRight) ? Gdiplus::StringAlignmentFar
                                              : Gdiplus::StringAlignmentNear);
  format->SetLineAlignment((style & kTextBottom)    ? Gdiplus::StringAlignmentFar
                           : (style & kTextVCenter) ? Gdiplus::StringAlignmentCenter
                                                    : Gdiplus::StringAlignmentNear);
  // An underline is drawn here, under every laid-out line, and never by
  // the font: some GDI+ implementations (Wine's) leave a font's underline
  // out, and a link must look like one everywhere.
  FontSpec face = step.font;
  face.underline = false;
  Gdiplus::Font* font = GdiplusFonts::Get(face);
  const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(rect.left),
                              static_cast<Gdiplus::REAL>(rect.top),
                              static_cast<Gdiplus::REAL>(rect.Width()),
                              static_cast<Gdiplus::REAL>(rect.Height()));
  Gdiplus::SolidBrush brush(ToColor(step.argb));
  PushClip(rect);
  graphics()->DrawString(wide.c_str(), static_cast<INT>(wide.size()), font, layout, format.get(),
                         &brush);
  if (step.font.underline) {
    // The character boxes of one line share their bottom edge.
    std::map<Gdiplus::REAL, std::pair<Gdiplus::REAL, Gdiplus::REAL>> lines;
    for (const Gdiplus::RectF& box :
         RangeBoxes(wide, font, layout, format.get(), TextRange{0, wide.size()})) {
      auto [it, added] = lines.emplace(box.GetBottom(), std::make_pair(box.X, box.GetRight()));
      if (!added) {
        it->second.first = std::min(it->second.first, box.X);
        it->second.second = std::max(it->second.second, box.GetRight());
      }
    }
    Gdiplus::Pen pen(ToColor(step.argb), 1.0f);
    for (const auto& [bottom, span] : lines) {
      graphics()->DrawLine(&pen, span.first, bottom - 1, span.second, bottom - 1);
    }
  }
  PopClip();
}

std::vector<Gdiplus::RectF> GdiplusCanvas::RangeBoxes(const std::wstring& text,
                                                      Gdiplus::Font* font,
                                                      const Gdiplus::RectF& layout,
                                                      Gdiplus::StringFormat* format,
                                                      TextRange range) {
  std::vector<Gdiplus::RectF> boxes;
  range.end = std::min(range.end, text.size());
  if (range.start >= range.end) return boxes;
  Gdiplus::Region regions[kRangesPerCall];
  for (size_t first = range.start; first < range.end; first += kRangesPerCall) {
    std::vector<Gdiplus::CharacterRange> ranges;
    for (size_t i = first; i < std::min(range.end, first + kRangesPerCall); ++i) {
      ranges.emplace_back(static_cast<INT>(i), 1);
    }
    format->SetMeasurableCharacterRanges(static_cast<INT>(ranges.size()), ranges.data());
    if (graphics()->MeasureCharacterRanges(text.c_str(), static_cast<INT>(text.size()), font,
                                           layout, format, static_cast<INT>(ranges.size()),
                                           regions) != Gdiplus::Ok) {
      continue;
    }
    for (size_t r = 0; r < ranges.size(); ++r) {
      Gdiplus::RectF box;
      regions[r].GetBounds(&box, graphics());
      if (box.Width > 0 && box.Height > 0) boxes.push_back(box);
    }
  }
  return boxes;
}

void GdiplusCanvas::DrawEditText(const EditTextStep& edit) {
  const int32_t wrap_width = edit.single_line ? 0 : edit.wrap_width;
  const std::wstring wide = edit.single_line ? GdiplusFonts::SingleLineText(edit.text)
                                             : std::wstring(edit.text.begin(), edit.text.end());
  const Point origin = edit.origin;
  PushClip(edit.clip);
  if (!wide.empty()) {
    std::unique_ptr<Gdiplus::StringFormat> format(GdiplusFonts::NewFormat(wrap_width > 0, false));
    const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(origin.x),
                                static_cast<Gdiplus::REAL>(origin.y),
                                wrap_width > 0 ? static_cast<Gdiplus::REAL>(wrap_width) : 1e6f,
                                1e6f);
    Gdiplus::Font* font = GdiplusFonts::Get(edit.font);
    Gdiplus::SolidBrush brush(ToColor(edit.argb));
    graphics()->DrawString(wide.c_str(), static_cast<INT>(wide.size()), font, layout, format.get(),
                           &brush);
    const std::vector<Gdiplus::RectF> selected =
        RangeBoxes(wide, font, layout, format.get(), edit.selection);
    if (!selected.empty()) {
      // The selection's background, then the same text again in the
      // selection's colour, only inside it.
      Gdiplus::SolidBrush back(ToColor(edit.selection_argb));
      Gdiplus::SolidBrush fore(ToColor(edit.selected_text_argb));
      Gdiplus::Region region;
      region.MakeEmpty();
      for (const Gdiplus::RectF& box : selected) {
        graphics()->FillRectangle(&back, box);
        region.Union(box);
      }
      const Gdiplus::GraphicsState state = graphics()->Save();
      graphics()->SetClip(&region, Gdiplus::CombineModeIntersect);
      graphics()->DrawString(wide.c_str(), static_cast<INT>(wide.size()), font, layout,
                             format.get(), &fore);
      graphics()->Restore(state);
    }
    Gdiplus::Pen pen(ToColor(edit.argb | 0xFF000000u), 1.0f);
    for (const Gdiplus::RectF& box : RangeBoxes(wide, font, layout, format.get(), edit.underline)) {
      const Gdiplus::REAL y = box.GetBottom() - 1;
      graphics()->DrawLine(&pen, box.X, y, box.GetRight(), y);
    }
  }
  if (edit.caret) {
    // Measured in the layout the text is drawn with (the measurer's).
    GdiplusTextMeasurer measurer;
    const Rect caret =
        measurer.CaretRect(edit.font, edit.text, wrap_width, edit.single_line, edit.caret_index);
    FillRect(Rect{origin.x + caret.left, origin.y + caret.top, origin.x + caret.left + 1,
                  origin.y + caret.bottom},
             edit.caret_argb);
  }
  PopClip();
}

}  // namespace ui
