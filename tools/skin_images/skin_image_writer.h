// Draws the skin's images of one theme variant and writes them as PNG files
// under a theme folder, at the exact pixel sizes of the catalog.
#pragma once

#include <cairo.h>

#include <string>

#include "tools/skin_images/skin_image_catalog.h"

namespace skin_tools {

class SkinImageWriter {
 public:
  // Draws `image` for a variant of `percent` into a new ARGB surface of the
  // image's scaled size. The caller destroys the surface.
  static cairo_surface_t* Render(const SkinImage& image, int percent);

  // Writes every image of the catalog below `theme_dir`, creating folders as
  // needed. Returns 0 on success; otherwise 1 and `error` names what failed.
  static int WriteVariant(const std::string& theme_dir, int percent, std::string* error);
};

}  // namespace skin_tools
