#include "ui/backend/win32/gdiplus_image_cache.h"

#include <shlwapi.h>

#include "ui/core/image_size_reader.h"
#include "ui/skin/resource_loader.h"

namespace ui {

GdiplusImageCache::GdiplusImageCache() = default;

GdiplusImageCache::~GdiplusImageCache() = default;

std::unique_ptr<Gdiplus::Bitmap> GdiplusImageCache::DecodePng(const std::string& bytes) {
  // The header's size is checked before GDI+ allocates the pixels.
  Size size;
  if (!ImageSizeReader::ReadPngSize(bytes, &size) || size.cx > kMaxImageSide ||
      size.cy > kMaxImageSide || bytes.size() > UINT_MAX) {
    return nullptr;
  }
  IStream* stream = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                      static_cast<UINT>(bytes.size()));
  if (!stream) return nullptr;
  std::unique_ptr<Gdiplus::Bitmap> decoded(Gdiplus::Bitmap::FromStream(stream));
  stream->Release();
  if (!decoded || decoded->GetLastStatus() != Gdiplus::Ok ||
      decoded->GetWidth() != static_cast<UINT>(size.cx) ||
      decoded->GetHeight() != static_cast<UINT>(size.cy)) {
    return nullptr;
  }
  // A copy in the drawing format; the decoded bitmap may still refer to the
  // stream, which is gone after this call.
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(size.cx, size.cy, PixelFormat32bppPARGB);
  if (bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
  {
    Gdiplus::Graphics graphics(bitmap.get());
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    if (graphics.DrawImage(decoded.get(), 0, 0, size.cx, size.cy) != Gdiplus::Ok) return nullptr;
  }
  return bitmap;
}

Gdiplus::Bitmap* GdiplusImageCache::Get(const std::u16string& path) {
  if (path.empty()) return nullptr;
  const std::u16string key = ResourceLoader::LookupKey(path);
  auto it = images_.find(key);
  if (it != images_.end()) return it->second.get();
  ++loads_;
  std::string bytes;
  std::unique_ptr<Gdiplus::Bitmap> bitmap;
  if (ResourceLoader::ReadResource(path, &bytes)) bitmap = DecodePng(bytes);
  Gdiplus::Bitmap* result = bitmap.get();
  images_.emplace(key, std::move(bitmap));
  return result;
}

void GdiplusImageCache::Clear() { images_.clear(); }

}  // namespace ui
