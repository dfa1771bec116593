#include "tools/skin_images/png_recoder.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "tools/skin_images/skin_image_catalog.h"
#include "tools/skin_images/skin_image_writer.h"

namespace skin_tools {
namespace {

cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

cairo_status_t ReadFrom(void* closure, unsigned char* data, unsigned int length) {
  auto* rest = static_cast<std::string*>(closure);
  if (rest->size() < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(data, rest->data(), length);
  rest->erase(0, length);
  return CAIRO_STATUS_SUCCESS;
}

// The pixels a PNG decodes to with cairo (as the installer decodes them),
// row by row without padding, and the format.
std::string Decode(std::string png, cairo_format_t* format) {
  cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(&ReadFrom, &png);
  std::string pixels;
  if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
    *format = cairo_image_surface_get_format(surface);
    const auto* data = reinterpret_cast<const char*>(cairo_image_surface_get_data(surface));
    for (int y = 0; y < cairo_image_surface_get_height(surface); ++y) {
      pixels.append(data + y * cairo_image_surface_get_stride(surface),
                    cairo_image_surface_get_width(surface) * 4);
    }
  }
  cairo_surface_destroy(surface);
  return pixels;
}

// The filter byte of every row: the IDAT data inflated, one byte per row.
std::string RowFilters(const std::string& png, size_t row_bytes, int height) {
  std::string idat;
  for (size_t at = 8; at + 12 <= png.size();) {
    const auto* p = reinterpret_cast<const unsigned char*>(png.data() + at);
    const uint32_t length = (uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
    if (png.compare(at + 4, 4, "IDAT") == 0) idat.append(png, at + 8, length);
    at += 12 + length;
  }
  std::string raw(height * (row_bytes + 1), '\0');
  uLongf size = raw.size();
  uncompress(reinterpret_cast<Bytef*>(raw.data()), &size,
             reinterpret_cast<const Bytef*>(idat.data()), idat.size());
  std::string filters;
  for (int y = 0; y < height && (y + 1) * (row_bytes + 1) <= size; ++y) {
    filters.push_back(raw[y * (row_bytes + 1)]);
  }
  return filters;
}

TEST(PngRecoderTest, RowsAreStoredUnfilteredAndDecodeToTheSamePixels) {
  // A translucent drawing (RGBA) and an opaque one (cairo writes RGB).
  for (const char* path : {"basic/bkg_top.png", "public/caption/caption_public.png"}) {
    SCOPED_TRACE(path);
    const SkinImage* image = nullptr;
    for (const SkinImage& candidate : SkinImageCatalog::Images()) {
      if (std::string(candidate.path) == path) image = &candidate;
    }
    ASSERT_NE(image, nullptr);
    cairo_surface_t* surface = SkinImageWriter::Render(*image, 125);
    std::string drawn;
    ASSERT_EQ(cairo_surface_write_to_png_stream(surface, &Append, &drawn), CAIRO_STATUS_SUCCESS);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    cairo_surface_destroy(surface);

    std::string stored;
    ASSERT_TRUE(PngRecoder::Unfiltered(drawn, &stored));
    cairo_format_t drawn_format = CAIRO_FORMAT_INVALID, stored_format = CAIRO_FORMAT_INVALID;
    const std::string expected = Decode(drawn, &drawn_format);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(Decode(stored, &stored_format), expected);
    EXPECT_EQ(stored_format, drawn_format);
    const size_t channels = drawn_format == CAIRO_FORMAT_ARGB32 ? 4 : 3;
    EXPECT_EQ(RowFilters(stored, width * channels, height), std::string(height, '\0'));
  }
}

TEST(PngRecoderTest, DamagedInputLeavesTheOutputAlone) {
  std::string out = "untouched";
  const std::string signature = "\x89PNG\r\n\x1a\n";
  for (const std::string& bad : {std::string(), std::string("not a png"), signature,
                                 signature + std::string(40, '\0')}) {
    EXPECT_FALSE(PngRecoder::Unfiltered(bad, &out));
    EXPECT_EQ(out, "untouched");
  }
}

}  // namespace
}  // namespace skin_tools
