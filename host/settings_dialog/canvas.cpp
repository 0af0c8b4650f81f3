// The persistent image behind the dialog and its panel, and the windowless controls painted
// over it. Depends on gdi32, user32 and host/ui/back_buffer.
#include "host/settings_dialog/canvas.h"

#include <algorithm>

namespace dialog {

bool Canvas::create(int width, int height, COLORREF background) {
  if (!image_.resize(width, height)) return false;
  const RECT all{0, 0, width, height};
  SetDCBrushColor(image_.dc(), background);
  FillRect(image_.dc(), &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  return true;
}

void Canvas::paint(HDC target) const {
  if (!image_.valid()) return;
  image_.copyTo(target);

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
