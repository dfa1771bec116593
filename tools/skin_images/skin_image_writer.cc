#include "tools/skin_images/skin_image_writer.h"

#include <filesystem>
#include <system_error>

namespace skin_tools {

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
    const cairo_status_t status = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS
                                      ? cairo_surface_write_to_png(surface, path.c_str())
                                      : cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
      *error = "cannot write " + path.string() + ": " + cairo_status_to_string(status);
      return 1;
    }
  }
  return 0;
}

}  // namespace skin_tools
