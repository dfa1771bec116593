#include "ui/backend/win32/gdiplus_image_cache.h"

#include <shlwapi.h>

#include <algorithm>

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

namespace {

// A copy of `part` of `image` with the padding around it, each padding
// pixel a copy of the nearest pixel of the part.
std::unique_ptr<Gdiplus::Bitmap> MakePaddedPart(Gdiplus::Bitmap* image, const Rect& part) {
  constexpr int32_t pad = GdiplusImageCache::kPartPadding;
  const int32_t w = part.Width();
  const int32_t h = part.Height();
  Gdiplus::BitmapData from{};
  Gdiplus::Rect from_rect(part.left, part.top, w, h);
  if (image->LockBits(&from_rect, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &from) !=
      Gdiplus::Ok) {
    return nullptr;
  }
  auto padded = std::make_unique<Gdiplus::Bitmap>(w + 2 * pad, h + 2 * pad, PixelFormat32bppPARGB);
  Gdiplus::BitmapData to{};
  Gdiplus::Rect to_rect(0, 0, w + 2 * pad, h + 2 * pad);
  const bool locked = padded->GetLastStatus() == Gdiplus::Ok &&
                      padded->LockBits(&to_rect, Gdiplus::ImageLockModeWrite,
                                       PixelFormat32bppPARGB, &to) == Gdiplus::Ok;
  if (locked) {
    for (int32_t y = 0; y < h + 2 * pad; ++y) {
      const int32_t sy = std::clamp(y - pad, 0, h - 1);
      const auto* in = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(from.Scan0) +
                                                         sy * from.Stride);
      auto* out = reinterpret_cast<uint32_t*>(static_cast<BYTE*>(to.Scan0) + y * to.Stride);
      for (int32_t x = 0; x < w + 2 * pad; ++x) out[x] = in[std::clamp(x - pad, 0, w - 1)];
    }
    padded->UnlockBits(&to);
  }
  image->UnlockBits(&from);
  return locked ? std::move(padded) : nullptr;
}

}  // namespace

Gdiplus::Bitmap* GdiplusImageCache::GetPart(Gdiplus::Bitmap* image, const Rect& part) {
  if (!image || part.IsEmpty() || part.left < 0 || part.top < 0 ||
      part.right > static_cast<int32_t>(image->GetWidth()) ||
      part.bottom > static_cast<int32_t>(image->GetHeight())) {
    return nullptr;
  }
  auto key = std::make_tuple(image, part.left, part.top, part.Width(), part.Height());
  auto it = parts_.find(key);
  if (it != parts_.end()) return it->second.get();
  std::unique_ptr<Gdiplus::Bitmap> padded = MakePaddedPart(image, part);
  Gdiplus::Bitmap* result = padded.get();
  parts_.emplace(key, std::move(padded));
  return result;
}

void GdiplusImageCache::Clear() {
  parts_.clear();
  images_.clear();
}

}  // namespace ui
