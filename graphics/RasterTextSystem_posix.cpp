#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <mutex>
#include <string>

#include "graphics/RasterTextSystem.h"

namespace graphics {

namespace {

// One FreeType library for all fonts of the process, alive while any is.
std::mutex libraryLock;
FT_Library library = nullptr;
int libraryUsers = 0;

struct SystemFont {
  FT_Face face = nullptr;
  int ascent = 0;
  int lineHeight = 0;
  bool monochrome = false;
};

// Path and face index of the installed font fontconfig thinks best for the
// request; an unknown face gets the nearest installed one.
bool MatchFontFile(const RasterFontRequest& request, std::string* path, int* index) {
  if (!FcInit()) return false;
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(request.face ? request.face : ""));
  FcPatternAddInteger(pattern, FC_WEIGHT, request.weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  FcChar8* file = nullptr;
  int faceIndex = 0;
  const bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file;
  if (found) {
    *path = reinterpret_cast<const char*>(file);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &faceIndex) != FcResultMatch) faceIndex = 0;
    *index = faceIndex;
  }
  FcPatternDestroy(match);
  return found;
}

void ReleaseLibrary() {
  std::lock_guard<std::mutex> hold(libraryLock);
  if (--libraryUsers == 0) {
    FT_Done_FreeType(library);
    library = nullptr;
  }
}

// Sizes the face the way the Windows font mapper treats a positive height:
// as the cell height, ascent plus descent from the font's own metrics.
bool SetCellHeight(SystemFont& font, int height) {
  FT_Face face = font.face;
  int ascender = face->ascender, descender = -face->descender;
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
      os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    ascender = os2->usWinAscent;
    descender = os2->usWinDescent;
  }
  const int cell = ascender + descender;
  if (cell <= 0 || face->units_per_EM == 0) return false;
  const double emPixels = static_cast<double>(height) * face->units_per_EM / cell;
  if (FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(emPixels * 64.0)), 72, 72) != 0) return false;
  font.ascent = static_cast<int>(std::lround(static_cast<double>(height) * ascender / cell));
  font.lineHeight = height;
  return true;
}

}  // namespace

RasterFontHandle CreateSystemFont(const RasterFontRequest& request) {
  if (request.height <= 0) return nullptr;
  std::string path;
  int index = 0;
  if (!MatchFontFile(request, &path, &index)) return nullptr;
  {
    std::lock_guard<std::mutex> hold(libraryLock);
    if (libraryUsers == 0 && FT_Init_FreeType(&library) != 0) return nullptr;
    ++libraryUsers;
  }
  auto* font = new SystemFont;
  font->monochrome = request.quality == RasterFontQuality::kNonAntialiased;
  if (FT_New_Face(library, path.c_str(), index, &font->face) != 0 || !SetCellHeight(*font, request.height)) {
    if (font->face) FT_Done_Face(font->face);
    delete font;
    ReleaseLibrary();
    return nullptr;
  }
  return font;
}

void DeleteSystemFont(RasterFontHandle handle) {
  auto* font = static_cast<SystemFont*>(handle);
  if (!font) return;
  FT_Done_Face(font->face);
  delete font;
  ReleaseLibrary();
}

int SystemFontLineHeight(RasterFontHandle handle) {
  const auto* font = static_cast<const SystemFont*>(handle);
  return font ? font->lineHeight : 0;
}

int RenderSystemGlyph(RasterFontHandle handle, std::uint32_t character, RasterBitmap& canvas, int originX) {
  auto* font = static_cast<SystemFont*>(handle);
  if (!font || !canvas.Pixels()) return -1;
  for (int y = 0; y < canvas.Height(); ++y) std::fill(canvas.Row(y), canvas.Row(y) + canvas.Width(), 0xFF000000u);

  const FT_Int32 target = font->monochrome ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL;
  if (FT_Load_Char(font->face, character, FT_LOAD_DEFAULT | target) != 0) return -1;
  FT_GlyphSlot slot = font->face->glyph;
  if (FT_Render_Glyph(slot, font->monochrome ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return -1;

  const FT_Bitmap& coverage = slot->bitmap;
  const int left = originX + slot->bitmap_left;
  const int top = font->ascent - slot->bitmap_top;
  for (int gy = 0; gy < static_cast<int>(coverage.rows); ++gy) {
    const int y = top + gy;
    if (y < 0 || y >= canvas.Height()) continue;
    const unsigned char* source = coverage.buffer + static_cast<std::ptrdiff_t>(gy) * coverage.pitch;
    std::uint32_t* row = canvas.Row(y);
    for (int gx = 0; gx < static_cast<int>(coverage.width); ++gx) {
      const int x = left + gx;
      if (x < 0 || x >= canvas.Width()) continue;
      const int v =
          coverage.pixel_mode == FT_PIXEL_MODE_MONO ? ((source[gx >> 3] >> (7 - (gx & 7))) & 1) * 255 : source[gx];
      row[x] = PackColour(255, v, v, v);
    }
  }
  return static_cast<int>((slot->advance.x + 32) >> 6);
}

// Linux has no system text drawing into these bitmaps; every text goes
// through the glyph cache.
bool SystemDrawsTextNatively() { return false; }

int DrawSystemText(void*, const RasterNativeText&, const char*, int, Rect*, int) { return 0; }

}  // namespace graphics
