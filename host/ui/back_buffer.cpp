// BackBuffer on a top-down DIB section, so that a row of the image is a row in memory and the
// pixels can be read without GetPixel. Depends on gdi32.
#include "host/ui/back_buffer.h"

namespace ui {

BackBuffer::~BackBuffer() {
  release();
  if (dc_) DeleteDC(dc_);
}

bool BackBuffer::resize(int width, int height) {
  if (bitmap_ && width == width_ && height == height_) return true;
  release();
  if (width <= 0 || height <= 0) return false;
  if (!dc_) dc_ = CreateCompatibleDC(nullptr);
  if (!dc_) return false;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // negative: the top row comes first in memory
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap_) return false;
  oldBitmap_ = SelectObject(dc_, bitmap_);
  bits_ = static_cast<const std::uint32_t*>(bits);
  width_ = width;
  height_ = height;
  return true;
}

void BackBuffer::release() {
  if (!bitmap_) return;
  SelectObject(dc_, oldBitmap_);
  DeleteObject(bitmap_);
  bitmap_ = nullptr;
  oldBitmap_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = 0;
}

COLORREF BackBuffer::pixel(int x, int y) const {
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  GdiFlush();  // GDI may still hold drawing for the section in its batch
  const std::uint32_t p = bits_[static_cast<size_t>(y) * width_ + x];  // 0x00RRGGBB
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

std::vector<std::uint32_t> BackBuffer::pixels() const {
  if (!bits_) return {};
  GdiFlush();
  std::vector<std::uint32_t> all(bits_, bits_ + static_cast<size_t>(width_) * height_);
  for (std::uint32_t& p : all) p &= 0x00FFFFFFu;
  return all;
}

void BackBuffer::copyTo(HDC target) const {
  if (bitmap_) BitBlt(target, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
}

}  // namespace ui
