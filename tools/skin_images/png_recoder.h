// PngRecoder: writes a PNG again with every row unfiltered and the strongest
// compression, keeping its header and its samples exactly, so that every
// decoder reads the same pixels from it.
//
// Why: the installer decodes its largest skin images on the way to its first
// window frame, and undoing the per-row prediction the usual PNG writers
// choose ("Paeth" above all) costs a decoder more than inflating the data.
// Unfiltered rows decode at about half the cost, and for these drawn images
// the files come out no larger.
#pragma once

#include <string>

namespace skin_tools {

class PngRecoder {
 public:
  // False, with `out` untouched, when `png` is not a PNG libpng can read.
  // Interlaced images are written without interlacing.
  static bool Unfiltered(const std::string& png, std::string* out);
};

}  // namespace skin_tools
