// Creation of the 32-bit top-down DIB sections behind the host's back buffers (gdi32).
#include "host/ui/dib.h"

namespace ui {

HBITMAP createTopDownDib(HDC dc, int width, int height, std::uint32_t** bits) {
  *bits = nullptr;
  if (width <= 0 || height <= 0) return nullptr;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // negative: the top row comes first in memory
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (bitmap) *bits = static_cast<std::uint32_t*>(pixels);
  return bitmap;
}

}  // namespace ui
