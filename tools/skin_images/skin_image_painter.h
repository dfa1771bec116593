// The drawing routines of the skin's images. Every routine draws with vector
// shapes in units of the image's own size, so each variant is drawn crisp at
// its scale instead of being resampled. One look for all: the blues #006DD9
// and #238EFA, the light window background #F4F8F9, white, soft shadows.
#pragma once

#include <cairo.h>

namespace skin_tools {

class SkinImagePainter {
 public:
  // Main window.
  static void TopBackground(cairo_t* cr, int width, int height, double scale);
  static void Logo(cairo_t* cr, int width, int height, double scale);
  static void ArrowDown(cairo_t* cr, int width, int height, double scale);
  static void ArrowUp(cairo_t* cr, int width, int height, double scale);

  // Message box icons.
  static void IconQuestion(cairo_t* cr, int width, int height, double scale);
  static void IconOk(cairo_t* cr, int width, int height, double scale);
  static void IconInfo(cairo_t* cr, int width, int height, double scale);
  static void IconError(cairo_t* cr, int width, int height, double scale);
  static void IconWarning(cairo_t* cr, int width, int height, double scale);

  // Window decoration.
  static void WindowShadow(cairo_t* cr, int width, int height, double scale);
  static void ImageMask(cairo_t* cr, int width, int height, double scale);
  static void Caption(cairo_t* cr, int width, int height, double scale);

  // Caption buttons.
  static void WhiteCloseNormal(cairo_t* cr, int width, int height, double scale);
  static void WhiteCloseHovered(cairo_t* cr, int width, int height, double scale);
  static void WhiteClosePushed(cairo_t* cr, int width, int height, double scale);
  static void GrayCloseNormal(cairo_t* cr, int width, int height, double scale);
  static void GrayCloseHover(cairo_t* cr, int width, int height, double scale);
  static void WhiteMinNormal(cairo_t* cr, int width, int height, double scale);
  static void WhiteMinHovered(cairo_t* cr, int width, int height, double scale);
  static void WhiteMinPushed(cairo_t* cr, int width, int height, double scale);

  // Nine-grid buttons (corners of 8 pixels stay unstretched).
  static void BlueButtonNormal(cairo_t* cr, int width, int height, double scale);
  static void BlueButtonHovered(cairo_t* cr, int width, int height, double scale);
  static void BlueButtonPushed(cairo_t* cr, int width, int height, double scale);
  static void WhiteButtonNormal(cairo_t* cr, int width, int height, double scale);
  static void WhiteButtonHovered(cairo_t* cr, int width, int height, double scale);
  static void WhiteButtonPushed(cairo_t* cr, int width, int height, double scale);

  // Check boxes and the progress bar.
  static void CheckTicked(cairo_t* cr, int width, int height, double scale);
  static void CheckEmpty(cairo_t* cr, int width, int height, double scale);
  static void ProgressBackground(cairo_t* cr, int width, int height, double scale);
  static void ProgressForeground(cairo_t* cr, int width, int height, double scale);
};

}  // namespace skin_tools
