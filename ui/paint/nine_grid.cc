#include "ui/paint/nine_grid.h"

#include <algorithm>
#include <utility>

namespace ui {

namespace {

// Two corners along one axis, shrunk in proportion when together they are
// wider than `limit`.
std::pair<double, double> Fit(double a, double b, double limit) {
  if (a + b <= limit) return {a, b};
  const double k = a + b > 0 ? limit / (a + b) : 0;
  return {a * k, b * k};
}

}  // namespace

bool NineGrid::Plan(const ImageStep& step, Size image_size, Cells* cells) {
  const int32_t iw = image_size.cx;
  const int32_t ih = image_size.cy;
  double sl = 0, st = 0, sr = iw, sb = ih;
  if (step.has_source) {
    sl = std::clamp(step.source.left, 0, iw);
    st = std::clamp(step.source.top, 0, ih);
    sr = std::clamp(step.source.right, 0, iw);
    sb = std::clamp(step.source.bottom, 0, ih);
  }
  if (sr <= sl || sb <= st) return false;

  const Rect& c = step.source_corners;
  const Rect& dc = step.dest_corners;
  const Rect& dest = step.dest;
  const auto [scl, scr] = Fit(std::max(0, c.left), std::max(0, c.right), sr - sl);
  const auto [sct, scb] = Fit(std::max(0, c.top), std::max(0, c.bottom), sb - st);
  const auto [dcl, dcr] = Fit(std::max(0, dc.left), std::max(0, dc.right), dest.Width());
  const auto [dct, dcb] = Fit(std::max(0, dc.top), std::max(0, dc.bottom), dest.Height());
  const double sx[4] = {sl, sl + scl, sr - scr, sr};
  const double sy[4] = {st, st + sct, sb - scb, sb};
  const double dx[4] = {double(dest.left), dest.left + dcl, dest.right - dcr, double(dest.right)};
  const double dy[4] = {double(dest.top), dest.top + dct, dest.bottom - dcb, double(dest.bottom)};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      (*cells)[row * 3 + col] =
          ImageCell{RectD{sx[col], sy[row], sx[col + 1], sy[row + 1]},
                    RectD{dx[col], dy[row], dx[col + 1], dy[row + 1]}};
    }
  }
  return true;
}

}  // namespace ui
