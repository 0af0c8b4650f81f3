// A persistent image with windowless controls drawn over it: the back buffer of the dialog
// (gradient) and of the panel Pic_C (texture), and the labels, choice images and frame that
// live on them without windows of their own. Win32 (gdi32, user32); text drawn with the
// wide calls so Japanese shows whatever the system's ANSI code page.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/settings_dialog/settings_dialog_rules.h"

namespace dialog {

struct LightLabel {
  std::wstring text;
  PixelRect rect{};
  HFONT font = nullptr;  // not owned
  COLORREF colour = RGB(0, 0, 0);
  UINT format = DT_LEFT;  // DT_CENTER, DT_WORDBREAK ... (DT_NOPREFIX is always added)
  bool border = false;    // single black line around the label
};

struct LightImage {
  PixelRect rect{};
  HBITMAP picture = nullptr;  // not owned; drawn at its own size from the top-left corner
};

class Canvas {
 public:
  Canvas() = default;
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // A 32-bit image of the given size filled with `background`; an old image is dropped.
  bool create(int width, int height, COLORREF background);
  bool valid() const { return dc_ != nullptr; }
  HDC dc() const { return dc_; }  // for drawing into the persistent image
  int width() const { return width_; }
  int height() const { return height_; }
  COLORREF pixel(int x, int y) const;  // of the persistent image; CLR_INVALID outside

  // The persistent image, then the frames, images and labels on top, into `target`.
  void paint(HDC target) const;

  std::vector<PixelRect> frames;  // rectangle outlines, black, one pixel
  std::vector<LightImage> images;
  std::vector<LightLabel> labels;

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  const uint32_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace dialog
