#include "ui/core/image_size_reader.h"

#include <map>

#include "ui/skin/image_description.h"
#include "ui/skin/resource_loader.h"

namespace ui {

namespace {
std::map<std::u16string, Size>& Cache() {
  static std::map<std::u16string, Size> cache;
  return cache;
}

uint32_t BigEndian32(std::string_view b, size_t at) {
  return (static_cast<uint32_t>(static_cast<unsigned char>(b[at])) << 24) |
         (static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 16) |
         (static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 8) |
         static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3]));
}
}  // namespace

bool ImageSizeReader::ReadPngSize(std::string_view bytes, Size* size) {
  static const char kSignature[] = "\x89PNG\r\n\x1a\n";
  if (bytes.size() < 24 || bytes.substr(0, 8) != std::string_view(kSignature, 8) ||
      bytes.substr(12, 4) != "IHDR") {
    return false;
  }
  const uint32_t width = BigEndian32(bytes, 16);
  const uint32_t height = BigEndian32(bytes, 20);
  if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return false;
  *size = Size{static_cast<int32_t>(width), static_cast<int32_t>(height)};
  return true;
}

Size ImageSizeReader::GetImageSize(std::u16string_view layout_path,
                                   std::u16string_view description) {
  if (description.empty()) return Size{};
  ImageDescription image;
  if (!ImageDescription::Parse(description, &image) || image.file.empty()) return Size{};
  const std::u16string path = ResourceLoader::ResolveRelative(layout_path, image.file);
  auto it = Cache().find(path);
  if (it != Cache().end()) return it->second;
  Size size;
  std::string bytes;
  if (ResourceLoader::ReadResource(path, &bytes)) ReadPngSize(bytes, &size);
  Cache()[path] = size;
  return size;
}

void ImageSizeReader::ClearCache() { Cache().clear(); }

}  // namespace ui
