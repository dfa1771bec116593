#include "tools/skin_images/png_recoder.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstring>
#include <vector>

namespace skin_tools {

namespace {

struct Input {
  const std::string* bytes;
  size_t offset = 0;
};

void ReadBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* input = static_cast<Input*>(png_get_io_ptr(png));
  if (input->bytes->size() - input->offset < length) png_error(png, "truncated");
  std::memcpy(data, input->bytes->data() + input->offset, length);
  input->offset += length;
}

void WriteBytes(png_structp png, png_bytep data, png_size_t length) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), length);
}

void Flush(png_structp) {}

// Errors end the read or write quietly (the caller reports them); warnings
// about ancillary chunks change nothing here.
void Fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void Ignore(png_structp, png_const_charp) {}

struct Image {
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int bit_depth = 0;
  int color_type = 0;
  std::vector<std::vector<png_byte>> rows;
  std::vector<png_color> palette;
  std::vector<png_byte> transparency;
};

// The raw samples of every row, as stored (no transformation asked for).
// libpng reports errors by longjmp to the setjmp below: every object with a
// destructor is made before it, so none is skipped.
bool Read(const std::string& bytes, Image* image) {
  Input input{&bytes};
  std::vector<png_bytep> pointers;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, &Fail, &Ignore);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    return false;
  }
  png_set_read_fn(png, &input, &ReadBytes);
  png_read_info(png, info);
  image->width = png_get_image_width(png, info);
  image->height = png_get_image_height(png, info);
  image->bit_depth = png_get_bit_depth(png, info);
  image->color_type = png_get_color_type(png, info);
  png_colorp palette = nullptr;
  int palette_size = 0;
  if (png_get_PLTE(png, info, &palette, &palette_size)) {
    image->palette.assign(palette, palette + palette_size);
  }
  png_bytep alpha = nullptr;
  int alpha_size = 0;
  if (png_get_tRNS(png, info, &alpha, &alpha_size, nullptr) && alpha) {
    image->transparency.assign(alpha, alpha + alpha_size);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const size_t row_bytes = png_get_rowbytes(png, info);
  image->rows.assign(image->height, std::vector<png_byte>(row_bytes));
  for (auto& row : image->rows) pointers.push_back(row.data());
  png_read_image(png, pointers.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

bool Write(Image& image, std::string* out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, &Fail, &Ignore);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return false;
  }
  png_set_write_fn(png, out, &WriteBytes, &Flush);
  png_set_IHDR(png, info, image.width, image.height, image.bit_depth, image.color_type,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!image.palette.empty()) {
    png_set_PLTE(png, info, image.palette.data(), static_cast<int>(image.palette.size()));
  }
  if (!image.transparency.empty()) {
    png_set_tRNS(png, info, image.transparency.data(),
                 static_cast<int>(image.transparency.size()), nullptr);
  }
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, Z_BEST_COMPRESSION);
  png_write_info(png, info);
  for (auto& row : image.rows) png_write_row(png, row.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool PngRecoder::Unfiltered(const std::string& png, std::string* out) {
  Image image;
  if (!Read(png, &image)) return false;
  std::string written;
  if (!Write(image, &written)) return false;
  *out = std::move(written);
  return true;
}

}  // namespace skin_tools
