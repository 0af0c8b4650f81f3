// The back buffer of the host's custom-drawn windows (the settings dialog, its panel and the
// Command button): a 32-bit top-down DIB section selected into a memory DC of its own, which
// a window composes into once and copies to the screen on every paint. Its pixels stay
// readable for the code and the tests. Win32 (gdi32).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace ui {

class BackBuffer {
 public:
  BackBuffer() = default;
  ~BackBuffer();
  BackBuffer(const BackBuffer&) = delete;
  BackBuffer& operator=(const BackBuffer&) = delete;

  // An image of `width` x `height` pixels: the one there is when it has that size, otherwise
  // a new, black one. False, and no image, when the size is not positive or the system
  // refuses.
  bool resize(int width, int height);
  void release();

  bool valid() const { return bitmap_ != nullptr; }
  HDC dc() const { return dc_; }  // for drawing into the image; valid() tells whether it has one
  int width() const { return width_; }
  int height() const { return height_; }
  // A pixel of the image, or CLR_INVALID outside it.
  COLORREF pixel(int x, int y) const;
  // The whole image as 0x00RRGGBB, top row first; empty without an image.
  std::vector<std::uint32_t> pixels() const;
  // The image to `target` at (0, 0), at its own size.
  void copyTo(HDC target) const;

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  const std::uint32_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace ui
