// GdiplusImageCache: decoded skin images by package path, for GDI+. Images
// are read through the skin's ResourceLoader (the package in memory, or the
// file system without one) and decoded by GDI+ from a memory stream into
// premultiplied 32-bit bitmaps, the format GDI+ draws fastest.
//
// Promises: a path is read and decoded at most once per cache; an image that
// is absent, too large or not a PNG is remembered as absent (Get returns
// null and the caller draws nothing). Lookups ignore ASCII case and the
// spelling of the path, as the package does. GDI+ must be started (see
// Win32Backend). UI thread only; the bitmaps live as long as the cache.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>

#include "ui/backend/win32/gdiplus_include.h"
#include "ui/core/geometry.h"

namespace ui {

class GdiplusImageCache {
 public:
  // Images larger than this in either dimension are refused.
  static constexpr int kMaxImageSide = 8192;

  GdiplusImageCache();
  ~GdiplusImageCache();
  GdiplusImageCache(const GdiplusImageCache&) = delete;
  GdiplusImageCache& operator=(const GdiplusImageCache&) = delete;

  // The image at `path`, or null. Owned by the cache.
  Gdiplus::Bitmap* Get(const std::u16string& path);
  // The whole-pixel part `part` of `image` (a bitmap of this cache) as a
  // bitmap of its own with a border of kPartPadding pixels that repeat the
  // part's edge, made once per part. Drawn stretched, the part then never
  // shows the pixels around it nor a transparent seam where filtering
  // samples just outside it (GDI+ implementations differ there). Null when
  // the part is empty or outside the image.
  static constexpr int32_t kPartPadding = 1;
  Gdiplus::Bitmap* GetPart(Gdiplus::Bitmap* image, const Rect& part);
  // Decodes PNG bytes into a premultiplied bitmap; null when they are not a
  // PNG of an accepted size.
  static std::unique_ptr<Gdiplus::Bitmap> DecodePng(const std::string& bytes);

  void Clear();
  size_t size() const { return images_.size(); }
  // How many times a file was read and decoded (tests).
  size_t loads() const { return loads_; }

 private:
  std::unordered_map<std::u16string, std::unique_ptr<Gdiplus::Bitmap>> images_;
  std::map<std::tuple<Gdiplus::Bitmap*, int32_t, int32_t, int32_t, int32_t>,
           std::unique_ptr<Gdiplus::Bitmap>>
      parts_;
  size_t loads_ = 0;
};

}  // namespace ui
