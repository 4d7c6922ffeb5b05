#include "tools/pngfile/PngFile.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace pngfile {

namespace {

void FailWriting(png_structp png, png_const_charp message) {
  auto* error = static_cast<std::string*>(png_get_error_ptr(png));
  if (error) *error = message;
  png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// Only trivially destructible locals here: libpng may longjmp out.
bool Encode(png_structp png, png_infop info, std::FILE* file, const graphics::RasterBitmap& bitmap, bool alpha,
            std::vector<png_byte>* row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(bitmap.Width()), static_cast<png_uint_32>(bitmap.Height()), 8,
               alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  const std::size_t channels = alpha ? 4 : 3;
  for (int y = 0; y < bitmap.Height(); ++y) {
    const std::uint32_t* pixels = bitmap.Row(y);
    png_byte* out = row->data();
    for (int x = 0; x < bitmap.Width(); ++x, out += channels) {
      out[0] = static_cast<png_byte>(graphics::RedOf(pixels[x]));
      out[1] = static_cast<png_byte>(graphics::GreenOf(pixels[x]));
      out[2] = static_cast<png_byte>(graphics::BlueOf(pixels[x]));
      if (alpha) out[3] = static_cast<png_byte>(graphics::AlphaOf(pixels[x]));
    }
    png_write_row(png, row->data());
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

bool WritePngFile(const graphics::RasterBitmap& bitmap, const std::string& path, std::string* error,
                  Channels channels) {
  if (!bitmap.Pixels() || bitmap.Width() <= 0 || bitmap.Height() <= 0) {
    if (error) *error = "the bitmap is empty";
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    if (error) *error = "cannot create " + path;
    return false;
  }
  std::string message;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &message, FailWriting, IgnoreWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  const bool alpha = channels == Channels::kWithAlpha;
  std::vector<png_byte> row(static_cast<std::size_t>(bitmap.Width()) * (alpha ? 4 : 3));
  const bool written = info && Encode(png, info, file, bitmap, alpha, &row);
  png_destroy_write_struct(&png, &info);
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    std::remove(path.c_str());
    if (error) *error = message.empty() ? "cannot write " + path : message;
    return false;
  }
  return true;
}

}  // namespace pngfile
