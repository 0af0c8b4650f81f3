// The persistent image behind the dialog and its panel, the windowless controls painted over
// it and their focus holders. Depends on gdi32, user32 and host/ui (back buffer, window class).
#include "host/settings_dialog/canvas.h"

#include <algorithm>

#include "host/ui/window_class.h"

namespace settings_dialog {

namespace {

constexpr char FocusHolderClass[] = "PomarelFocusHolder";

LRESULT CALLBACK focusHolderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SETFOCUS || msg == WM_KILLFOCUS) InvalidateRect(GetParent(hwnd), nullptr, FALSE);
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

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

void Canvas::paintFocusMark(HDC target, size_t label) const {
  if (label >= labels.size()) return;
  const LightLabel& l = labels[label];
  RECT text{l.rect.x, l.rect.y, l.rect.x + l.rect.width, l.rect.y + l.rect.height};
  HGDIOBJ oldFont = l.font ? SelectObject(target, l.font) : nullptr;
  DrawTextW(target, l.text.c_str(), static_cast<int>(l.text.size()), &text, l.format | DT_NOPREFIX | DT_CALCRECT);
  if (oldFont) SelectObject(target, oldFont);
  --text.left;
  ++text.right;
  // The dots come from a monochrome pattern in the text and background colours: black and
  // white make them invert every other pixel, on the light texture and the dark gradient alike.
  const COLORREF oldText = SetTextColor(target, RGB(0, 0, 0));
  const COLORREF oldBack = SetBkColor(target, RGB(255, 255, 255));
  DrawFocusRect(target, &text);
  SetTextColor(target, oldText);
  SetBkColor(target, oldBack);
}

HWND createFocusHolder(HWND parent, const PixelRect& at, const wchar_t* name) {
  // Unicode, so the name keeps its Japanese whatever the ANSI code page.
  ui::WindowClassInfo info;
  info.name = FocusHolderClass;
  info.procedure = focusHolderProc;
  info.unicode = true;
  if (!parent || !ui::ensureWindowClass(info)) return nullptr;
  const std::wstring className(FocusHolderClass, FocusHolderClass + sizeof FocusHolderClass - 1);
  HWND holder = CreateWindowExW(0, className.c_str(), name, WS_CHILD | WS_VISIBLE | WS_TABSTOP, at.x, at.y, at.width,
                                at.height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!holder) return nullptr;
  HRGN none = CreateRectRgn(0, 0, 0, 0);
  if (none && !SetWindowRgn(holder, none, FALSE)) DeleteObject(none);
  return holder;
}

}  // namespace settings_dialog
