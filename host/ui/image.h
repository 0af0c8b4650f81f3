// An image control: a child window that shows a bitmap at its own size or stretched to the
// control, and reports mouse presses. Win32 (user32, gdi32).
#pragma once

#include <windows.h>

#include <functional>

namespace ui {

class Image {
 public:
  Image() = default;
  ~Image();
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  bool create(HWND parent, int x, int y, int width, int height);
  // Takes ownership of `bitmap` (null clears the picture) and repaints.
  void setPicture(HBITMAP bitmap);
  HBITMAP picture() const { return bitmap_; }
  void setStretch(bool stretch);
  void move(int x, int y, int width, int height);
  HWND hwnd() const { return hwnd_; }

  // Called with the button (1 left, 2 right, 4 middle) on every press inside the control.
  std::function<void(int button)> onMouseDown;

 private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void paint(HDC dc);

  HWND hwnd_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  bool stretch_ = false;
};

}  // namespace ui
