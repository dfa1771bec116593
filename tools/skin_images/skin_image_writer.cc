#include "tools/skin_images/skin_image_writer.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "tools/skin_images/png_recoder.h"

namespace skin_tools {

namespace {

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

// cairo chooses the colour type and the samples (opaque images as RGB); the
// recoder only changes how the rows are stored.
bool WritePng(cairo_surface_t* surface, const std::string& path, std::string* error) {
  std::string drawn;
  cairo_status_t status = cairo_surface_status(surface);
  if (status == CAIRO_STATUS_SUCCESS) {
    status = cairo_surface_write_to_png_stream(surface, &AppendBytes, &drawn);
  }
  if (status != CAIRO_STATUS_SUCCESS) {
    *error = "cannot write " + path + ": " + cairo_status_to_string(status);
    return false;
  }
  std::string stored;
  if (!PngRecoder::Unfiltered(drawn, &stored)) {
    *error = "cannot recode " + path;
    return false;
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << stored;
  file.close();
  if (!file) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace

cairo_surface_t* SkinImageWriter::Render(const SkinImage& image, int percent) {
  const int width = SkinImageCatalog::ScaledWidth(image, percent);
  const int height = SkinImageCatalog::ScaledHeight(image, percent);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t* cr = cairo_create(surface);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_paint(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  image.paint(cr, width, height, image.scales ? percent / 100.0 : 1.0);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  return surface;
}

int SkinImageWriter::WriteVariant(const std::string& theme_dir, int percent, std::string* error) {
  namespace fs = std::filesystem;
  for (const SkinImage& image : SkinImageCatalog::Images()) {
    const fs::path path = fs::path(theme_dir) / image.path;
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (ec) {
      *error = "cannot create " + path.parent_path().string() + ": " + ec.message();
      return 1;
    }
    cairo_surface_t* surface = Render(image, percent);
    const bool written = WritePng(surface, path.string(), error);
    cairo_surface_destroy(surface);
    if (!written) return 1;
  }
  return 0;
}

}  // namespace skin_tools
