#include "graphics/RasterPng.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "graphics/RasterResource.h"

namespace graphics {

namespace {

constexpr std::size_t kSignatureSize = 8;
constexpr std::size_t kShortestResource = 7;

struct MemoryReader {
  const png_byte* data;
  std::size_t size;
  std::size_t position;
};

// Everything that must outlive a longjmp out of libpng lives here, in the
// caller's frame, never in a frame libpng unwinds through.
struct Decoding {
  MemoryReader reader;
  std::unique_ptr<RasterMemBitmap> bitmap;
  std::vector<png_bytep> rows;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (count > reader->size - reader->position) png_error(png, "read past the end of the data");
  std::memcpy(out, reader->data + reader->position, count);
  reader->position += count;
}

void FailDecoding(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// The plug-in writes no log; warnings change nothing about the image.
void IgnoreWarning(png_structp, png_const_charp) {}

// Runs libpng to fill decoding.bitmap with blue, green, red and alpha bytes
// per pixel, the bitmaps' own order, so no pass over the pixels follows.
// Only trivially destructible locals live in this frame.
bool ReadImage(png_structp png, png_infop info, Decoding* decoding) {
  if (setjmp(png_jmpbuf(png))) return false;

  png_set_read_fn(png, &decoding->reader, ReadFromMemory);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  const int colourType = png_get_color_type(png, info);
  const int bitDepth = png_get_bit_depth(png, info);

  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  const bool transparencyChunk = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (transparencyChunk) png_set_tRNS_to_alpha(png);
  if (bitDepth == 16) png_set_strip_16(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  const bool hasAlpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || transparencyChunk;
  static_assert(kBlueByte == 0 && kGreenByte == 1 && kRedByte == 2 && kAlphaByte == 3, "pixel byte order");
  png_set_bgr(png);
  if (!hasAlpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<png_size_t>(width) * 4) png_error(png, "unexpected row layout");
  if (width > 0x7FFFFFFF / 4 || height > 0x7FFFFFFF) png_error(png, "image too large");

  decoding->bitmap.reset(new RasterMemBitmap(static_cast<int>(width), static_cast<int>(height)));
  RasterMemBitmap& bitmap = *decoding->bitmap;
  if (bitmap.Width() != static_cast<int>(width) || bitmap.Height() != static_cast<int>(height))
    png_error(png, "no memory for the image");
  decoding->rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y)
    decoding->rows[y] = reinterpret_cast<png_bytep>(bitmap.Row(static_cast<int>(y)));
  png_read_image(png, decoding->rows.data());
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

std::unique_ptr<RasterMemBitmap> DecodePng(const void* data, std::size_t size) {
  if (!data || size < kSignatureSize) return nullptr;
  const auto* bytes = static_cast<const png_byte*>(data);
  if (png_sig_cmp(bytes, 0, kSignatureSize) != 0) return nullptr;

  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, FailDecoding, IgnoreWarning);
  if (!png) return nullptr;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return nullptr;
  }
  Decoding decoding{{bytes, size, 0}, nullptr, {}};
  const bool complete = ReadImage(png, info, &decoding);
  png_destroy_read_struct(&png, &info, nullptr);
  if (!complete) return nullptr;
  return std::move(decoding.bitmap);
}

std::unique_ptr<RasterMemBitmap> LoadPngResource(void* module, int id) {
  RasterResourceBytes resource;
  if (!FindModuleResource(module, id, "PNG", &resource)) return nullptr;
  if (!resource.data || resource.size <= kShortestResource) return nullptr;
  return DecodePng(resource.data, resource.size);
}

}  // namespace graphics
