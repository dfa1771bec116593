// ImageCache: decoded skin images by package path. Images are read through
// the skin's ResourceLoader (the package, or the file system without one) and
// decoded with cairo's PNG reader into ARGB32 surfaces.
//
// Promises: a path is read and decoded at most once per cache; an image that
// is absent, too large or not a PNG is remembered as absent (Get returns
// null and the caller draws nothing). Lookups ignore ASCII case and the
// spelling of the path ("a//b/../c.png" is "a/c.png"), as the package does.
// UI thread only; the surfaces live as long as the cache.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <string>
#include <unordered_map>

namespace ui {

class ImageCache {
 public:
  // Images larger than this in either dimension are refused.
  static constexpr int kMaxImageSide = 8192;

  ImageCache() = default;
  ~ImageCache();
  ImageCache(const ImageCache&) = delete;
  ImageCache& operator=(const ImageCache&) = delete;

  // The image at `path`, or null. Owned by the cache.
  cairo_surface_t* Get(const std::u16string& path);
  // Decodes PNG bytes; null when they are not a PNG cairo can read. The
  // caller owns the result.
  static cairo_surface_t* DecodePng(const std::string& bytes);

  void Clear();
  size_t size() const { return images_.size(); }
  // How many times a file was read and decoded (tests, benchmarks).
  size_t loads() const { return loads_; }

 private:
  std::unordered_map<std::u16string, cairo_surface_t*> images_;
  size_t loads_ = 0;
};

}  // namespace ui
