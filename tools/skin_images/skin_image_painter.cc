#include "tools/skin_images/skin_image_painter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace skin_tools {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The skin's palette.
constexpr unsigned kBlueDeep = 0x006DD9;
constexpr unsigned kBlueBright = 0x238EFA;
constexpr unsigned kBlueLight = 0x3A9BFB;
constexpr unsigned kGreen = 0x00BB96;
constexpr unsigned kGreenLight = 0x21C7A6;
constexpr unsigned kRed = 0xC63535;
constexpr unsigned kGrayIcon = 0x8E99A6;
constexpr unsigned kText666 = 0x666666;

void SetColor(cairo_t* cr, unsigned rgb, double alpha = 1.0) {
  cairo_set_source_rgba(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                        (rgb & 0xFF) / 255.0, alpha);
}

void AddStop(cairo_pattern_t* pattern, double offset, unsigned rgb, double alpha = 1.0) {
  cairo_pattern_add_color_stop_rgba(pattern, offset, ((rgb >> 16) & 0xFF) / 255.0,
                                    ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha);
}

// Sets a two-colour linear gradient from (x0, y0) to (x1, y1) as the source.
void SetLinear(cairo_t* cr, double x0, double y0, double x1, double y1, unsigned from,
               unsigned to) {
  cairo_pattern_t* pattern = cairo_pattern_create_linear(x0, y0, x1, y1);
  AddStop(pattern, 0, from);
  AddStop(pattern, 1, to);
  cairo_set_source(cr, pattern);
  cairo_pattern_destroy(pattern);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  r = std::min({r, w / 2, h / 2});
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
  cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
  cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
  cairo_close_path(cr);
}

// A soft round glow: `rgb` at `alpha` in the middle, fading to nothing at `r`.
void Glow(cairo_t* cr, double cx, double cy, double r, unsigned rgb, double alpha) {
  cairo_pattern_t* pattern = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r);
  AddStop(pattern, 0, rgb, alpha);
  AddStop(pattern, 0.6, rgb, alpha * 0.55);
  AddStop(pattern, 1, rgb, 0);
  cairo_set_source(cr, pattern);
  cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
  cairo_fill(cr);
  cairo_pattern_destroy(pattern);
}

void StrokeRound(cairo_t* cr, double width) {
  cairo_set_line_width(cr, width);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
}

// A cross of the given half extent around (cx, cy).
void Cross(cairo_t* cr, double cx, double cy, double half, double width) {
  cairo_move_to(cr, cx - half, cy - half);
  cairo_line_to(cr, cx + half, cy + half);
  cairo_move_to(cr, cx + half, cy - half);
  cairo_line_to(cr, cx - half, cy + half);
  StrokeRound(cr, width);
}

// A filled arrow head at angle `angle` of the circle (cx, cy, r), pointing
// along the direction of increasing angle.
void ArcArrowHead(cairo_t* cr, double cx, double cy, double r, double angle, double size) {
  const double px = cx + r * std::cos(angle), py = cy + r * std::sin(angle);
  const double dx = -std::sin(angle), dy = std::cos(angle);  // tangent
  const double nx = std::cos(angle), ny = std::sin(angle);   // outward normal
  cairo_move_to(cr, px + dx * size * 1.1, py + dy * size * 1.1);
  cairo_line_to(cr, px + nx * size - dx * size * 0.3, py + ny * size - dy * size * 0.3);
  cairo_line_to(cr, px - nx * size - dx * size * 0.3, py - ny * size - dy * size * 0.3);
  cairo_close_path(cr);
  cairo_fill(cr);
}

// The round base of the message-box icons: a disc with a top-to-bottom gradient.
void IconDisc(cairo_t* cr, int width, unsigned top, unsigned bottom) {
  const double u = width / 22.0;
  SetLinear(cr, 0, 1 * u, 0, 21 * u, top, bottom);
  cairo_arc(cr, 11 * u, 11 * u, 10 * u, 0, 2 * kPi);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 1, 1, 1);
}

// The main window's close button: a white cross on an optional round tint.
void WhiteClose(cairo_t* cr, int width, unsigned tint, double tint_alpha) {
  const double u = width / 24.0;
  if (tint_alpha > 0) {
    SetColor(cr, tint, tint_alpha);
    cairo_arc(cr, 12 * u, 12 * u, 11 * u, 0, 2 * kPi);
    cairo_fill(cr);
  }
  cairo_set_source_rgb(cr, 1, 1, 1);
  Cross(cr, 12 * u, 12 * u, 4.25 * u, 1.6 * u);
}

void WhiteMin(cairo_t* cr, int width, unsigned tint, double tint_alpha) {
  const double u = width / 20.0;
  if (tint_alpha > 0) {
    SetColor(cr, tint, tint_alpha);
    cairo_arc(cr, 10 * u, 10 * u, 9.5 * u, 0, 2 * kPi);
    cairo_fill(cr);
  }
  cairo_set_source_rgb(cr, 1, 1, 1);
  // Two whole pixel rows, so the bar is sharp.
  cairo_move_to(cr, 6 * u, 10 * u);
  cairo_line_to(cr, 14 * u, 10 * u);
  StrokeRound(cr, 2 * u);
}

// The blue nine-grid button: a vertical gradient in a rounded rectangle whose
// radius (5) stays inside the unstretched corners (8), with a faint top light.
void BlueButton(cairo_t* cr, int width, int height, unsigned top, unsigned bottom) {
  SetLinear(cr, 0, 0, 0, height, top, bottom);
  RoundedRect(cr, 0, 0, width, height, 5);
  cairo_fill(cr);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.16);
  cairo_rectangle(cr, 5, 1, width - 10, 1);
  cairo_fill(cr);
}

// The white button: a 1-pixel border on whole pixels, radius 4 so that the
// corners stay round when the button is stretched without a nine-grid.
void WhiteButton(cairo_t* cr, int width, int height, unsigned fill, unsigned border) {
  RoundedRect(cr, 0.5, 0.5, width - 1, height - 1, 4);
  SetColor(cr, fill);
  cairo_fill_preserve(cr);
  SetColor(cr, border);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

void Chevron(cairo_t* cr, int width, bool down) {
  const double u = width / 16.0;
  const double near_y = down ? 6.25 : 9.75, far_y = down ? 9.75 : 6.25;
  SetColor(cr, kText666);
  cairo_move_to(cr, 4.5 * u, near_y * u);
  cairo_line_to(cr, 8 * u, far_y * u);
  cairo_line_to(cr, 11.5 * u, near_y * u);
  StrokeRound(cr, 1.5 * u);
}

// The check box frame on whole pixels, inset by one unit, so that the ticked
// and the empty box cover exactly the same pixels in every variant.
void CheckFrame(int width, double* x0, double* x1) {
  const double inset = std::round(width / 16.0);
  *x0 = inset;
  *x1 = width - inset;
}

double NormalCdf(double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); }

}  // namespace

void SkinImagePainter::TopBackground(cairo_t* cr, int width, int height, double) {
  const double w = width, h = height;
  // A lighter wave behind the main shape: it shows as a pale band on the right.
  cairo_move_to(cr, 0, 0);
  cairo_line_to(cr, w, 0);
  cairo_line_to(cr, w, 0.92 * h);
  cairo_curve_to(cr, 0.80 * w, 0.99 * h, 0.55 * w, 0.86 * h, 0.35 * w, 0.87 * h);
  cairo_curve_to(cr, 0.20 * w, 0.88 * h, 0.10 * w, 0.82 * h, 0, 0.80 * h);
  cairo_close_path(cr);
  SetColor(cr, kBlueBright, 0.22);
  cairo_fill(cr);

  // The main shape: a calm diagonal gradient down to a gentle wave.
  cairo_move_to(cr, 0, 0);
  cairo_line_to(cr, w, 0);
  cairo_line_to(cr, w, 0.78 * h);
  cairo_curve_to(cr, 0.85 * w, 0.80 * h, 0.68 * w, 0.95 * h, 0.50 * w, 0.94 * h);
  cairo_curve_to(cr, 0.30 * w, 0.93 * h, 0.15 * w, 0.86 * h, 0, 0.89 * h);
  cairo_close_path(cr);
  cairo_pattern_t* fill = cairo_pattern_create_linear(0, 0, 0.55 * w, 1.1 * h);
  AddStop(fill, 0, kBlueLight);
  AddStop(fill, 0.45, kBlueBright);
  AddStop(fill, 1, kBlueDeep);
  cairo_set_source(cr, fill);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(fill);

  // Soft shapes inside the main shape.
  cairo_save(cr);
  cairo_clip(cr);
  Glow(cr, 0.90 * w, 0.02 * h, 0.36 * w, 0xFFFFFF, 0.16);
  Glow(cr, 0.06 * w, 0.10 * h, 0.22 * w, 0xFFFFFF, 0.10);
  Glow(cr, 0.55 * w, 1.05 * h, 0.30 * w, kBlueDeep, 0.35);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.10);
  cairo_arc(cr, 0.84 * w, 0.58 * h, 0.11 * w, 0, 2 * kPi);
  cairo_set_line_width(cr, 1.5 * w / 600);
  cairo_stroke(cr);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.07);
  cairo_arc(cr, 0.84 * w, 0.58 * h, 0.075 * w, 0, 2 * kPi);
  cairo_fill(cr);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.12);
  for (int i = 0; i < 5; ++i) {  // a few small floating dots
    static const double dots[5][3] = {
        {0.14, 0.42, 3}, {0.24, 0.22, 2}, {0.70, 0.16, 2.5}, {0.93, 0.40, 2}, {0.08, 0.68, 2}};
    cairo_arc(cr, dots[i][0] * w, dots[i][1] * h, dots[i][2] * w / 600, 0, 2 * kPi);
    cairo_fill(cr);
  }
  cairo_restore(cr);
}

void SkinImagePainter::Logo(cairo_t* cr, int width, int, double) {
  const double u = width / 80.0;
  // Soft drop shadow of the tile.
  for (int i = 0; i < 4; ++i) {
    RoundedRect(cr, (6 - i) * u, (7.5 - i) * u, (68 + 2 * i) * u, (68 + 2 * i) * u, (16 + i) * u);
    cairo_set_source_rgba(cr, 0, 0.16, 0.40, 0.05);
    cairo_fill(cr);
  }
  // The white tile.
  SetLinear(cr, 0, 6 * u, 0, 74 * u, 0xFFFFFF, 0xE6F1FD);
  RoundedRect(cr, 6 * u, 5 * u, 68 * u, 68 * u, 16 * u);
  cairo_fill(cr);

  // The document with a folded corner.
  const double x0 = 19 * u, y0 = 14 * u, dw = 33 * u, dh = 43 * u, fold = 11 * u, r = 3 * u;
  cairo_new_sub_path(cr);
  cairo_move_to(cr, x0 + r, y0);
  cairo_line_to(cr, x0 + dw - fold, y0);
  cairo_line_to(cr, x0 + dw, y0 + fold);
  cairo_arc(cr, x0 + dw - r, y0 + dh - r, r, 0, kPi / 2);
  cairo_arc(cr, x0 + r, y0 + dh - r, r, kPi / 2, kPi);
  cairo_arc(cr, x0 + r, y0 + r, r, kPi, 3 * kPi / 2);
  cairo_close_path(cr);
  SetLinear(cr, x0, y0, x0 + dw * 0.6, y0 + dh, kBlueLight, kBlueDeep);
  cairo_fill(cr);
  // The fold, lighter, with a faint shade below it.
  cairo_move_to(cr, x0 + dw - fold, y0);
  cairo_line_to(cr, x0 + dw - fold, y0 + fold - 1.5 * u);
  cairo_curve_to(cr, x0 + dw - fold, y0 + fold, x0 + dw - fold, y0 + fold, x0 + dw - fold + 1.5 * u,
                 y0 + fold);
  cairo_line_to(cr, x0 + dw, y0 + fold);
  cairo_close_path(cr);
  SetColor(cr, 0xB3D8FE);
  cairo_fill(cr);
  // The three letters below the fold, then two text lines left of the badge.
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, 11 * u);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, "PDF", &extents);
  const double room = dw - 9 * u;
  if (extents.width > room) {
    cairo_set_font_size(cr, 11 * u * room / extents.width);
    cairo_text_extents(cr, "PDF", &extents);
  }
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_move_to(cr, x0 + (dw - extents.width) / 2 - extents.x_bearing, y0 + 22 * u);
  cairo_show_text(cr, "PDF");
  cairo_set_source_rgba(cr, 1, 1, 1, 0.7);
  cairo_move_to(cr, x0 + 6 * u, y0 + 29 * u);
  cairo_line_to(cr, x0 + 16 * u, y0 + 29 * u);
  cairo_move_to(cr, x0 + 6 * u, y0 + 35 * u);
  cairo_line_to(cr, x0 + 12 * u, y0 + 35 * u);
  StrokeRound(cr, 2 * u);

  // The conversion badge: a green disc in a white ring with two turning arrows.
  const double cx = 53 * u, cy = 52 * u;
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_arc(cr, cx, cy, 14.5 * u, 0, 2 * kPi);
  cairo_fill(cr);
  SetLinear(cr, 0, cy - 12 * u, 0, cy + 12 * u, kGreenLight, 0x00A383);
  cairo_arc(cr, cx, cy, 12.5 * u, 0, 2 * kPi);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 1, 1, 1);
  const double ar = 6 * u;
  const double a0 = 200 * kPi / 180, a1 = 318 * kPi / 180;
  const double b0 = 20 * kPi / 180, b1 = 138 * kPi / 180;
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, ar, a0, a1);
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, ar, b0, b1);
  cairo_set_line_width(cr, 2 * u);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_stroke(cr);
  ArcArrowHead(cr, cx, cy, ar, a1, 2.6 * u);
  ArcArrowHead(cr, cx, cy, ar, b1, 2.6 * u);
}

void SkinImagePainter::ArrowDown(cairo_t* cr, int width, int, double) { Chevron(cr, width, true); }

void SkinImagePainter::ArrowUp(cairo_t* cr, int width, int, double) { Chevron(cr, width, false); }

void SkinImagePainter::IconQuestion(cairo_t* cr, int width, int, double) {
  const double u = width / 22.0;
  IconDisc(cr, width, kBlueLight, kBlueDeep);
  cairo_new_sub_path(cr);
  cairo_arc(cr, 11 * u, 8.4 * u, 3 * u, 190 * kPi / 180, 385 * kPi / 180);
  cairo_curve_to(cr, 12.6 * u, 10.6 * u, 11 * u, 11 * u, 11 * u, 12.9 * u);
  StrokeRound(cr, 2 * u);
  cairo_arc(cr, 11 * u, 16 * u, 1.3 * u, 0, 2 * kPi);
  cairo_fill(cr);
}

void SkinImagePainter::IconOk(cairo_t* cr, int width, int, double) {
  const double u = width / 22.0;
  IconDisc(cr, width, 0x2BD1B0, kGreen);
  cairo_move_to(cr, 6.4 * u, 11.3 * u);
  cairo_line_to(cr, 9.6 * u, 14.4 * u);
  cairo_line_to(cr, 15.6 * u, 8.2 * u);
  StrokeRound(cr, 2 * u);
}

void SkinImagePainter::IconInfo(cairo_t* cr, int width, int, double) {
  const double u = width / 22.0;
  IconDisc(cr, width, kBlueLight, kBlueDeep);
  cairo_arc(cr, 11 * u, 6.6 * u, 1.35 * u, 0, 2 * kPi);
  cairo_fill(cr);
  cairo_move_to(cr, 11 * u, 9.8 * u);
  cairo_line_to(cr, 11 * u, 15.6 * u);
  StrokeRound(cr, 2.2 * u);
}

void SkinImagePainter::IconError(cairo_t* cr, int width, int, double) {
  const double u = width / 22.0;
  IconDisc(cr, width, 0xE86262, kRed);
  Cross(cr, 11 * u, 11 * u, 3.6 * u, 2 * u);
}

void SkinImagePainter::IconWarning(cairo_t* cr, int width, int, double) {
  const double u = width / 22.0;
  cairo_move_to(cr, 11 * u, 2.6 * u);
  cairo_line_to(cr, 20.2 * u, 19 * u);
  cairo_line_to(cr, 1.8 * u, 19 * u);
  cairo_close_path(cr);
  SetLinear(cr, 0, 2 * u, 0, 20 * u, 0xFFBE4D, 0xF29100);
  cairo_fill_preserve(cr);
  cairo_set_line_width(cr, 2.2 * u);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_move_to(cr, 11 * u, 8 * u);
  cairo_line_to(cr, 11 * u, 13 * u);
  StrokeRound(cr, 2.1 * u);
  cairo_arc(cr, 11 * u, 16.1 * u, 1.2 * u, 0, 2 * kPi);
  cairo_fill(cr);
}

void SkinImagePainter::WindowShadow(cairo_t* cr, int width, int height, double) {
  // A window edge blurred outward: the window covers [30, width - 30) and
  // [30, height - 30); the shadow falls a little more below than above and
  // leaves the window's own area transparent.
  cairo_surface_t* target = cairo_get_target(cr);
  cairo_surface_flush(target);
  unsigned char* data = cairo_image_surface_get_data(target);
  const int stride = cairo_image_surface_get_stride(target);
  const double inset = 30, sigma = 8.5, drop = 1.5, strength = 0.36;
  const double r = 0x0F / 255.0, g = 0x2A / 255.0, b = 0x4A / 255.0;
  // Along each axis the image's middle stands for the long straight sides of
  // a real window, so only the corner bands fall off.
  auto edge = [&](int pos, int size, double shift) {
    const double centre = pos + 0.5;
    if (centre < inset) return NormalCdf((centre - inset - shift) / sigma);
    if (centre > size - inset) return NormalCdf((size - inset + shift - centre) / sigma);
    return 1.0;
  };
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = 0; x < width; ++x) {
      const bool inside = x >= inset && x < width - inset && y >= inset && y < height - inset;
      double alpha = 0;
      if (!inside) alpha = strength * edge(x, width, 0) * edge(y, height, drop);
      const auto a = static_cast<uint32_t>(std::lround(alpha * 255));
      row[x] = (a << 24) | (static_cast<uint32_t>(std::lround(r * a)) << 16) |
               (static_cast<uint32_t>(std::lround(g * a)) << 8) |
               static_cast<uint32_t>(std::lround(b * a));
    }
  }
  cairo_surface_mark_dirty(target);
}

void SkinImagePainter::ImageMask(cairo_t* cr, int width, int height, double) {
  cairo_pattern_t* pattern = cairo_pattern_create_linear(0, 0, 0, height);
  AddStop(pattern, 0, 0x002046, 0);
  AddStop(pattern, 0.45, 0x002046, 0.12);
  AddStop(pattern, 1, 0x002046, 0.55);
  cairo_set_source(cr, pattern);
  cairo_rectangle(cr, 0, 0, width, height);
  cairo_fill(cr);
  cairo_pattern_destroy(pattern);
}

void SkinImagePainter::Caption(cairo_t* cr, int width, int height, double) {
  SetColor(cr, 0xF4F8F9);
  cairo_rectangle(cr, 0, 0, width, height - 1);
  cairo_fill(cr);
  SetColor(cr, 0xE3E9EE);  // the bottom line, kept unstretched by the caption's corner
  cairo_rectangle(cr, 0, height - 1, width, 1);
  cairo_fill(cr);
}

void SkinImagePainter::WhiteCloseNormal(cairo_t* cr, int width, int, double) {
  WhiteClose(cr, width, 0, 0);
}

void SkinImagePainter::WhiteCloseHovered(cairo_t* cr, int width, int, double) {
  WhiteClose(cr, width, 0xFFFFFF, 0.22);
}

void SkinImagePainter::WhiteClosePushed(cairo_t* cr, int width, int, double) {
  WhiteClose(cr, width, 0x003A80, 0.28);
}

void SkinImagePainter::GrayCloseNormal(cairo_t* cr, int width, int, double) {
  const double u = width / 12.0;
  SetColor(cr, kGrayIcon);
  Cross(cr, 6 * u, 6 * u, 3.6 * u, 1.4 * u);
}

void SkinImagePainter::GrayCloseHover(cairo_t* cr, int width, int, double) {
  const double u = width / 12.0;
  SetColor(cr, kRed);
  Cross(cr, 6 * u, 6 * u, 3.6 * u, 1.5 * u);
}

void SkinImagePainter::WhiteMinNormal(cairo_t* cr, int width, int, double) {
  WhiteMin(cr, width, 0, 0);
}

void SkinImagePainter::WhiteMinHovered(cairo_t* cr, int width, int, double) {
  WhiteMin(cr, width, 0xFFFFFF, 0.22);
}

void SkinImagePainter::WhiteMinPushed(cairo_t* cr, int width, int, double) {
  WhiteMin(cr, width, 0x003A80, 0.28);
}

void SkinImagePainter::BlueButtonNormal(cairo_t* cr, int width, int height, double) {
  BlueButton(cr, width, height, 0x2B93FB, 0x0D7BEA);
}

void SkinImagePainter::BlueButtonHovered(cairo_t* cr, int width, int height, double) {
  BlueButton(cr, width, height, 0x4DA6FC, 0x2A8FF6);
}

void SkinImagePainter::BlueButtonPushed(cairo_t* cr, int width, int height, double) {
  BlueButton(cr, width, height, 0x0A6FD6, 0x0060C0);
}

void SkinImagePainter::WhiteButtonNormal(cairo_t* cr, int width, int height, double) {
  WhiteButton(cr, width, height, 0xFFFFFF, 0xCCD6E0);
}

void SkinImagePainter::WhiteButtonHovered(cairo_t* cr, int width, int height, double) {
  WhiteButton(cr, width, height, 0xF2F8FF, kBlueBright);
}

void SkinImagePainter::WhiteButtonPushed(cairo_t* cr, int width, int height, double) {
  WhiteButton(cr, width, height, 0xE2EEFC, kBlueDeep);
}

void SkinImagePainter::CheckTicked(cairo_t* cr, int width, int, double) {
  const double u = width / 16.0;
  double x0, x1;
  CheckFrame(width, &x0, &x1);
  SetLinear(cr, 0, x0, 0, x1, kBlueBright, kBlueDeep);
  RoundedRect(cr, x0, x0, x1 - x0, x1 - x0, 3 * u);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_move_to(cr, 4.4 * u, 8.2 * u);
  cairo_line_to(cr, 7 * u, 10.7 * u);
  cairo_line_to(cr, 11.7 * u, 5.7 * u);
  StrokeRound(cr, 1.7 * u);
}

void SkinImagePainter::CheckEmpty(cairo_t* cr, int width, int, double) {
  const double u = width / 16.0;
  double x0, x1;
  CheckFrame(width, &x0, &x1);
  RoundedRect(cr, x0 + 0.5, x0 + 0.5, x1 - x0 - 1, x1 - x0 - 1, 3 * u - 0.5);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_fill_preserve(cr);
  SetColor(cr, 0xB3BFCB);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

void SkinImagePainter::ProgressBackground(cairo_t* cr, int width, int height, double) {
  SetColor(cr, 0xE3ECF5);
  cairo_rectangle(cr, 0, 0, width, height);
  cairo_fill(cr);
}

void SkinImagePainter::ProgressForeground(cairo_t* cr, int width, int height, double) {
  // The bar is cut, not stretched, as it grows: the colour deepens towards the end.
  SetLinear(cr, 0, 0, width, 0, 0x4FAEFF, kBlueDeep);
  cairo_rectangle(cr, 0, 0, width, height);
  cairo_fill(cr);
}

}  // namespace skin_tools
