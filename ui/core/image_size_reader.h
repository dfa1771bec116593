// ImageSizeReader: the natural size of a skin image, for controls whose
// "auto" size follows their image. Reads only the PNG header of the file
// named by an image description, resolved relative to the layout that names
// it, from the skin package (or the file system without one). Sizes are
// cached per resolved path; UI thread only.
#pragma once

#include <string>
#include <string_view>

#include "ui/core/geometry.h"

namespace ui {

class ImageSizeReader {
 public:
  // {0, 0} for an empty or malformed description, a missing file, or a
  // file that is not a PNG.
  static Size GetImageSize(std::u16string_view layout_path, std::u16string_view description);
  // The size in a PNG file's header; false when `bytes` is not a PNG.
  static bool ReadPngSize(std::string_view bytes, Size* size);
  static void ClearCache();
};

}  // namespace ui
