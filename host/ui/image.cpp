// The image control's window class and painting (StretchBlt with halftoning when stretched).
// Depends on user32 and gdi32.
#include "host/ui/image.h"

#include "host/ui/window_class.h"

namespace ui {
namespace {
constexpr char ImageClass[] = "PomarelImage";
}

Image::~Image() {
  if (hwnd_) {
    bindWindowObject(hwnd_, nullptr);
    DestroyWindow(hwnd_);
  }
  if (bitmap_) DeleteObject(bitmap_);
}

bool Image::create(HWND parent, int x, int y, int width, int height) {
  WindowClassInfo info;
  info.name = ImageClass;
  info.procedure = windowProc;
  if (!ensureWindowClass(info)) return false;
  hwnd_ = CreateWindowExA(0, ImageClass, "", WS_CHILD | WS_VISIBLE, x, y, width, height, parent, nullptr,
                          GetModuleHandleA(nullptr), this);
  return hwnd_ != nullptr;
}

void Image::setPicture(HBITMAP bitmap) {
  if (bitmap_ && bitmap_ != bitmap) DeleteObject(bitmap_);
  bitmap_ = bitmap;
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Image::setStretch(bool stretch) {
  stretch_ = stretch;
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Image::move(int x, int y, int width, int height) {
  if (hwnd_) MoveWindow(hwnd_, x, y, width, height, TRUE);
}

void Image::paint(HDC dc) {
  RECT client = {};
  GetClientRect(hwnd_, &client);
  // The parent's background shows wherever the picture does not reach.
  HWND parent = GetParent(hwnd_);
  if (parent) {
    HBRUSH brush = reinterpret_cast<HBRUSH>(GetClassLongPtrA(parent, GCLP_HBRBACKGROUND));
    if (brush) FillRect(dc, &client, brush);
  }
  if (!bitmap_) return;
  BITMAP info = {};
  if (!GetObjectA(bitmap_, sizeof info, &info)) return;
  HDC source = CreateCompatibleDC(dc);
  if (!source) return;
  HGDIOBJ old = SelectObject(source, bitmap_);
  if (stretch_) {
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);  // HALFTONE wants the brush origin reset
    StretchBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
  } else {
    BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
  }
  SelectObject(source, old);
  DeleteDC(source);
}

LRESULT CALLBACK Image::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* image = windowObjectFor<Image>(hwnd, msg, lParam);
  if (image) {
    switch (msg) {
      case WM_ERASEBKGND:
        return 1;  // painted in full by WM_PAINT
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        image->paint(dc);
        EndPaint(hwnd, &ps);
        return 0;
      }
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        if (image->onMouseDown) image->onMouseDown(msg == WM_LBUTTONDOWN ? 1 : msg == WM_RBUTTONDOWN ? 2 : 4);
        return 0;
      case WM_NCDESTROY:
        image->hwnd_ = nullptr;
        bindWindowObject(hwnd, nullptr);
        break;
      default:
        break;
    }
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace ui
