#include "ui/backend/image_cache.h"

#include <cstdint>
#include <cstring>

#include "ui/skin/resource_loader.h"

namespace ui {

namespace {

struct PngSource {
  const std::string* bytes;
  size_t offset;
};

cairo_status_t ReadPngBytes(void* closure, unsigned char* data, unsigned int length) {
  PngSource* source = static_cast<PngSource*>(closure);
  if (source->bytes->size() - source->offset < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(data, source->bytes->data() + source->offset, length);
  source->offset += length;
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

ImageCache::~ImageCache() { Clear(); }

cairo_surface_t* ImageCache::DecodePng(const std::string& bytes) {
  static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (bytes.size() < sizeof(kSignature) ||
      std::memcmp(bytes.data(), kSignature, sizeof(kSignature)) != 0) {
    return nullptr;
  }
  // The header's size is checked before cairo allocates the pixels.
  if (bytes.size() < 24) return nullptr;
  auto be32 = [&](size_t at) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
  };
  if (be32(16) > kMaxImageSide || be32(20) > kMaxImageSide) return nullptr;
  PngSource source{&bytes, 0};
  cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(&ReadPngBytes, &source);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  return surface;
}

cairo_surface_t* ImageCache::Get(const std::u16string& path) {
  if (path.empty()) return nullptr;
  const std::u16string key = ResourceLoader::LookupKey(path);
  auto it = images_.find(key);
  if (it != images_.end()) return it->second;
  ++loads_;
  std::string bytes;
  cairo_surface_t* surface = nullptr;
  if (ResourceLoader::ReadResource(path, &bytes)) surface = DecodePng(bytes);
  images_.emplace(key, surface);
  return surface;
}

void ImageCache::Clear() {
  for (auto& entry : images_) {
    if (entry.second) cairo_surface_destroy(entry.second);
  }
  images_.clear();
}

}  // namespace ui
