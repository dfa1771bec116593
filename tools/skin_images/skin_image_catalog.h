// The list of every image the skin package carries: its path inside a theme
// folder, its size in the "default" variant, whether it grows with the
// variant's scale, and the routine that draws it. The catalog is the one
// place that binds file names and pixel sizes; the drawer and the tests read
// it from here.
#pragma once

#include <cairo.h>

#include <string>
#include <string_view>
#include <vector>

namespace skin_tools {

// Draws one image into a cleared, transparent surface of `width` x `height`
// pixels. `scale` is the variant's factor (1, 1.25, 1.5) for images that grow
// with it and 1 for images of a fixed size.
using PaintFunction = void (*)(cairo_t* cr, int width, int height, double scale);

struct SkinImage {
  const char* path;  // relative to the theme folder, "/" separated
  int width;         // in the "default" variant
  int height;
  bool scales;  // grows by 1.25 and 1.5 in the hdpi and xhdpi variants
  PaintFunction paint;
  unsigned backdrop;  // 0xRRGGBB the image is meant to sit on (contact sheet only)
};

struct SkinVariant {
  const char* folder;  // "default", "default-hdpi", "default-xhdpi"
  int percent;         // 100, 125, 150
};

class SkinImageCatalog {
 public:
  // Every image of one theme folder, in a fixed order.
  static const std::vector<SkinImage>& Images();

  // The three theme variants.
  static const std::vector<SkinVariant>& Variants();

  // The variant named `folder`, or nullptr.
  static const SkinVariant* FindVariant(std::string_view folder);

  // The pixel size of `image` in a variant of `percent` (rounded to nearest).
  static int ScaledWidth(const SkinImage& image, int percent);
  static int ScaledHeight(const SkinImage& image, int percent);
};

}  // namespace skin_tools
