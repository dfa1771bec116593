// ImageDescription: an image attribute of the skin, either a bare file name
// or a list of properties written name='value':
//   file='x.png'  corner='l,t,r,b' (borders kept unstretched)
//   dest='l,t,r,b' (the rectangle inside the control to draw into)
//   fade='0..255' (opacity)  destscale='true|false'  source='l,t,r,b'
// (the last two are what the progress bar adds to draw part of an image).
//
// Promises: Parse accepts exactly these forms and leaves the description
// untouched on a malformed text; properties it does not know are skipped.
// The file name is returned as written; ResourceLoader::ResolveRelative makes
// it a package path.
#pragma once

#include <string>
#include <string_view>

namespace ui {

struct ImageRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const ImageRect& other) const {
    return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
  }
};

class ImageDescription {
 public:
  static bool Parse(std::u16string_view text, ImageDescription* image);

  std::u16string file;
  bool has_corner = false;
  ImageRect corner;
  bool has_dest = false;
  ImageRect dest;
  bool has_source = false;
  ImageRect source;
  int fade = 255;
  bool dest_scale = true;
};

}  // namespace ui
