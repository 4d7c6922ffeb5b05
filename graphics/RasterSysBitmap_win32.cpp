#include <windows.h>

#include "graphics/RasterSysBitmap.h"

namespace graphics {

bool RasterSysBitmap::CreatePixels() {
  HDC context = CreateCompatibleDC(nullptr);
  if (!context) return false;
  context_ = context;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = allocatedWidth_;
  info.bmiHeader.biHeight = -allocatedHeight_;  // negative: rows top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(context, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!section || !bits) {
    if (section) DeleteObject(section);
    return false;
  }
  section_ = section;
  previousObject_ = SelectObject(context, section);
  pixels_ = static_cast<std::uint32_t*>(bits);
  return true;
}

void RasterSysBitmap::ReleasePixels() {
  HDC context = static_cast<HDC>(context_);
  if (context && previousObject_) SelectObject(context, static_cast<HGDIOBJ>(previousObject_));
  if (section_) DeleteObject(static_cast<HGDIOBJ>(section_));
  if (context) DeleteDC(context);
  context_ = nullptr;
  section_ = nullptr;
  previousObject_ = nullptr;
  pixels_ = nullptr;
  width_ = 0;
  height_ = 0;
  allocatedWidth_ = 0;
  allocatedHeight_ = 0;
}

}  // namespace graphics
