// The persistent image behind the dialog and its panel, and the windowless controls painted
// over it. A top-down 32-bit DIB section keeps the pixels readable for tests. Depends on
// gdi32 and user32.
#include "host/settings_dialog/canvas.h"

#include <algorithm>

#include "host/ui/dib.h"

namespace dialog {

Canvas::~Canvas() {
  if (dc_) {
    SelectObject(dc_, oldBitmap_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
}

bool Canvas::create(int width, int height, COLORREF background) {
  if (dc_) {
    SelectObject(dc_, oldBitmap_);
    DeleteDC(dc_);
    dc_ = nullptr;
  }
  if (bitmap_) {
    DeleteObject(bitmap_);
    bitmap_ = nullptr;
  }
  bits_ = nullptr;
  width_ = height_ = 0;
  if (width <= 0 || height <= 0) return false;

  std::uint32_t* bits = nullptr;
  HDC screen = GetDC(nullptr);
  bitmap_ = ui::createTopDownDib(screen, width, height, &bits);
  dc_ = bitmap_ ? CreateCompatibleDC(screen) : nullptr;
  ReleaseDC(nullptr, screen);
  if (!dc_) {
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = nullptr;
    return false;
  }
  oldBitmap_ = SelectObject(dc_, bitmap_);
  bits_ = bits;
  width_ = width;
  height_ = height;
  const RECT all{0, 0, width, height};
  SetDCBrushColor(dc_, background);
  FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  return true;
}

COLORREF Canvas::pixel(int x, int y) const {
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  GdiFlush();  // GDI may still hold drawing for the section in its batch
  const uint32_t p = bits_[static_cast<size_t>(y) * width_ + x];  // 0x00RRGGBB
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

void Canvas::paint(HDC target) const {
  if (!dc_) return;
  BitBlt(target, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);

  for (const PixelRect& r : frames) {
    const RECT box{r.x, r.y, r.x + r.width, r.y + r.height};
    FrameRect(target, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }

  if (!images.empty()) {
    HDC source = CreateCompatibleDC(target);
    if (source) {
      for (const LightImage& image : images) {
        if (!image.picture) continue;
        BITMAP info = {};
        if (!GetObjectW(image.picture, sizeof info, &info)) continue;
        HGDIOBJ old = SelectObject(source, image.picture);
        // The picture is not stretched; a control larger than it shows the surface around it.
        BitBlt(target, image.rect.x, image.rect.y, std::min<int>(info.bmWidth, image.rect.width),
               std::min<int>(info.bmHeight, image.rect.height), source, 0, 0, SRCCOPY);
        SelectObject(source, old);
      }
      DeleteDC(source);
    }
  }

  const int oldMode = SetBkMode(target, TRANSPARENT);
  for (const LightLabel& label : labels) {
    RECT box{label.rect.x, label.rect.y, label.rect.x + label.rect.width, label.rect.y + label.rect.height};
    if (label.border) {
      FrameRect(target, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      InflateRect(&box, -2, -1);
    }
    HGDIOBJ oldFont = label.font ? SelectObject(target, label.font) : nullptr;
    SetTextColor(target, label.colour);
    DrawTextW(target, label.text.c_str(), static_cast<int>(label.text.size()), &box, label.format | DT_NOPREFIX);
    if (oldFont) SelectObject(target, oldFont);
  }
  SetBkMode(target, oldMode);
}

}  // namespace dialog
