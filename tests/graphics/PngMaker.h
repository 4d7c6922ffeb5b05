// PNG files made in memory with libpng's writer, so the decoding tests do
// not depend on files shipped with them.
#pragma once

#include <png.h>

#include <cstdint>
#include <vector>

namespace pngmaker {

struct Image {
  int width = 0;
  int height = 0;
  int colourType = PNG_COLOR_TYPE_RGBA;
  int bitDepth = 8;
  std::vector<std::uint8_t> rows;  // packed as PNG stores them, row after row
  std::vector<png_color> palette;
  std::vector<png_byte> transparency;  // tRNS entries of a palette image
  bool interlaced = false;
};

inline void WriteToVector(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

inline void FlushNothing(png_structp) {}

inline std::vector<std::uint8_t> Encode(const Image& image) {
  std::vector<std::uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, WriteToVector, FlushNothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), image.bitDepth,
               image.colourType, image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!image.palette.empty()) png_set_PLTE(png, info, image.palette.data(), static_cast<int>(image.palette.size()));
  if (!image.transparency.empty())
    png_set_tRNS(png, info, image.transparency.data(), static_cast<int>(image.transparency.size()), nullptr);
  png_write_info(png, info);
  const std::size_t rowBytes = image.rows.size() / static_cast<std::size_t>(image.height);
  std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
  for (int y = 0; y < image.height; ++y)
    rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(image.rows.data()) + rowBytes * y;
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

}  // namespace pngmaker
