// The face composition: clear, gradient, frame pieces cut from the state image (corners 1:1,
// edges stretched). Depends on gdi32, msimg32 and face_rules.
#include "host/controls/face.h"

#include "host/controls/face_rules.h"

namespace controls {
namespace {

const wchar_t* const ResourceNames[FaceImageCount] = {
    L"POMAREL_CMD_NORMAL",   L"POMAREL_CMD_HIGHLIGHT",       L"POMAREL_CMD_PRESSED",
    L"POMAREL_CMD_SELECTED", L"POMAREL_CMD_HIGHLIGHTSELECT", L"POMAREL_CMD_DISABLE",
};

}  // namespace

StateImages::StateImages() {
  HINSTANCE module = GetModuleHandleW(nullptr);
  for (int i = 0; i < FaceImageCount; ++i) {
    images_[i] = static_cast<HBITMAP>(
        LoadImageW(module, ResourceNames[i], IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  }
}

StateImages::~StateImages() {
  for (HBITMAP image : images_) {
    if (image) DeleteObject(image);
  }
}

bool fillGradient(HDC dc, int width, int height, bool inverted) {
  if (width <= 0 || height <= 0) return false;
  const GradientColour light = gradientColour(GradientLight);
  const GradientColour dark = gradientColour(GradientDark);
  const GradientColour& top = inverted ? dark : light;
  const GradientColour& bottom = inverted ? light : dark;
  TRIVERTEX vertices[2] = {
      {0, 0, top.red, top.green, top.blue, 0},
      {width - 1, height - 1, bottom.red, bottom.green, bottom.blue, 0},
  };
  GRADIENT_RECT rect = {0, 1};
  return GradientFill(dc, vertices, 2, &rect, 1, GRADIENT_FILL_RECT_V) != FALSE;
}

bool composeFace(HDC dc, int width, int height, HBITMAP image, bool inverted) {
  bool ok = true;
  const RECT whole = {0, 0, width, height};
  ok &= FillRect(dc, &whole, GetSysColorBrush(COLOR_BTNFACE)) != 0;
  ok &= fillGradient(dc, width, height, inverted);

  HDC source = image ? CreateCompatibleDC(dc) : nullptr;
  if (!source) return false;
  HGDIOBJ old = SelectObject(source, image);
  SetStretchBltMode(dc, COLORONCOLOR);
  for (const FramePiece& piece : framePieces(width, height)) {
    if (!drawable(piece)) continue;
    const PixelRect& s = piece.source;
    const PixelRect& d = piece.dest;
    const BOOL copied = piece.stretched
                            ? StretchBlt(dc, d.x, d.y, d.w, d.h, source, s.x, s.y, s.w, s.h, SRCCOPY)
                            : BitBlt(dc, d.x, d.y, d.w, d.h, source, s.x, s.y, SRCCOPY);
    ok &= copied != FALSE;
  }
  SelectObject(source, old);
  DeleteDC(source);
  return ok;
}

}  // namespace controls
