#include <windows.h>

#include <vector>

#include "graphics/RasterTextSystem.h"
#include "graphics/RasterUtf8.h"

namespace graphics {

namespace {

// Texts up to this many characters are converted in a buffer on the stack.
constexpr int kShortTextCharacters = 1000;
constexpr int kShortTextBuffer = 1024;
constexpr int kNativeFormatMask = 0xFFFF;  // the system's own DrawText flags

DWORD QualityValue(RasterFontQuality quality) {
  switch (quality) {
    case RasterFontQuality::kNonAntialiased: return NONANTIALIASED_QUALITY;
    case RasterFontQuality::kAntialiased: return ANTIALIASED_QUALITY;
    case RasterFontQuality::kClearType: return CLEARTYPE_QUALITY;
    default: return DEFAULT_QUALITY;
  }
}

// GDI wants 0x00BBGGRR.
COLORREF ToColorRef(std::uint32_t colour) { return RGB(RedOf(colour), GreenOf(colour), BlueOf(colour)); }

// Wine draws text differently enough (and leaves alpha 0) that the glyph
// cache is trusted instead; it announces itself with this registry key.
bool RunningUnderWine() {
  static const bool underWine = [] {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wine", 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }();
  return underWine;
}

}  // namespace

RasterFontHandle CreateSystemFont(const RasterFontRequest& request) {
  return CreateFontA(request.height, 0, request.orientation, request.orientation, request.weight,
                     request.italic ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, QualityValue(request.quality), DEFAULT_PITCH | FF_DONTCARE,
                     request.face ? request.face : "");
}

void DeleteSystemFont(RasterFontHandle font) {
  if (font) DeleteObject(static_cast<HGDIOBJ>(font));
}

int SystemFontLineHeight(RasterFontHandle font) {
  HDC context = CreateCompatibleDC(nullptr);
  if (!context) return 0;
  HGDIOBJ previous = SelectObject(context, static_cast<HGDIOBJ>(font));
  TEXTMETRICA metrics = {};
  const int height = GetTextMetricsA(context, &metrics) ? metrics.tmHeight : 0;
  SelectObject(context, previous);
  DeleteDC(context);
  return height;
}

int RenderSystemGlyph(RasterFontHandle font, std::uint32_t character, RasterBitmap& canvas, int originX) {
  HDC context = static_cast<HDC>(canvas.DeviceContext());
  if (!font || !context) return -1;
  wchar_t units[2];
  int count = 1;
  if (character >= 0x10000) {
    const std::uint32_t offset = character - 0x10000;
    units[0] = static_cast<wchar_t>(0xD800 + (offset >> 10));
    units[1] = static_cast<wchar_t>(0xDC00 + (offset & 0x3FF));
    count = 2;
  } else {
    units[0] = static_cast<wchar_t>(character);
  }
  HGDIOBJ previous = SelectObject(context, static_cast<HGDIOBJ>(font));
  PatBlt(context, 0, 0, canvas.Width(), canvas.Height(), BLACKNESS);
  SetTextColor(context, RGB(255, 255, 255));
  SetBkColor(context, RGB(0, 0, 0));
  SetBkMode(context, TRANSPARENT);
  SetTextAlign(context, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  SIZE extent = {};
  const bool drawn =
      TextOutW(context, originX, 0, units, count) && GetTextExtentPoint32W(context, units, count, &extent);
  SelectObject(context, previous);
  // The pixels are read straight from memory next; GDI may still be batching.
  GdiFlush();
  return drawn ? extent.cx : -1;
}

bool SystemDrawsTextNatively() { return !RunningUnderWine(); }

int DrawSystemText(void* drawingContext, const RasterNativeText& style, const char* text, int length, Rect* rect,
                   int format) {
  HDC context = static_cast<HDC>(drawingContext);
  if (!context || !rect) return 0;
  RECT area = {rect->left, rect->top, rect->right, rect->bottom};
  HGDIOBJ previousFont = SelectObject(context, static_cast<HGDIOBJ>(style.font));
  SetTextColor(context, ToColorRef(style.textColour));
  SetBkMode(context, style.backgroundMode == 2 ? OPAQUE : TRANSPARENT);
  if (style.backgroundMode == 2) SetBkColor(context, ToColorRef(style.backgroundColour));

  const bool clipToRect = (format & DT_NOCLIP) == 0;
  const bool clip = clipToRect || style.clipped;
  HRGN savedClip = nullptr;
  bool hadClip = false;
  if (clip) {
    savedClip = CreateRectRgn(0, 0, 0, 0);
    hadClip = savedClip && GetClipRgn(context, savedClip) == 1;
    if (clipToRect) IntersectClipRect(context, area.left, area.top, area.right, area.bottom);
    if (style.clipped)
      IntersectClipRect(context, style.clipArea.left, style.clipArea.top, style.clipArea.right, style.clipArea.bottom);
  }

  const UINT flags = static_cast<UINT>(format & kNativeFormatMask) | DT_NOPREFIX;
  int height = 0;
  if (HasMultiByteCharacter(text, length)) {
    const int needed = MultiByteToWideChar(CP_UTF8, 0, text, length, nullptr, 0);
    wchar_t shortText[kShortTextBuffer];
    std::vector<wchar_t> longText;
    wchar_t* wide = shortText;
    if (needed > kShortTextCharacters) {
      longText.resize(static_cast<std::size_t>(needed) + 1);
      wide = longText.data();
    }
    const int converted = MultiByteToWideChar(CP_UTF8, 0, text, length, wide, needed);
    height = DrawTextW(context, wide, converted, &area, flags);
  } else {
    height = DrawTextA(context, text, length, &area, flags);
  }

  if (clip) SelectClipRgn(context, hadClip ? savedClip : nullptr);
  if (savedClip) DeleteObject(savedClip);
  SelectObject(context, previousFont);
  GdiFlush();
  if (format & DT_CALCRECT) *rect = Rect{area.left, area.top, area.right, area.bottom};
  return height;
}

}  // namespace graphics
