// A persistent image with windowless controls drawn over it: the back buffer (host/ui) of the
// dialog (gradient) and of the panel Pic_C (texture), the labels, choice images and frame that
// live on them without windows of their own, and the windows through which such a control takes
// the keyboard focus. Win32 (gdi32, user32); text drawn with the wide calls so Japanese shows
// whatever the system's ANSI code page.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/settings_dialog/settings_dialog_rules.h"
#include "host/ui/back_buffer.h"

namespace settings_dialog {

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
  // An image of the given size filled with `background`; what was drawn before is gone.
  bool create(int width, int height, COLORREF background);
  bool valid() const { return image_.valid(); }
  HDC dc() const { return image_.dc(); }  // for drawing into the persistent image
  int width() const { return image_.width(); }
  int height() const { return image_.height(); }
  COLORREF pixel(int x, int y) const { return image_.pixel(x, y); }  // CLR_INVALID outside

  // The persistent image, then the frames, images and labels on top, into `target`.
  void paint(HDC target) const;
  // The dotted focus rectangle around the text of labels[label], as the system draws it around
  // a radio button's caption: the text's extent, one pixel wider on each side. Inverts what is
  // there, so it goes on once after paint().
  void paintFocusMark(HDC target, size_t label) const;

  std::vector<PixelRect> frames;  // rectangle outlines, black, one pixel
  std::vector<LightImage> images;
  std::vector<LightLabel> labels;

 private:
  ui::BackBuffer image_;
};

// A windowless control's stand-in for the keyboard focus: a child window over `at` whose
// window text names the control for screen readers. It has no area of its own (an empty
// window region), so the pointer and the painting go to its parent as before; gaining or losing
// the focus repaints the parent, which draws the focus mark. Null when it cannot be made.
HWND createFocusHolder(HWND parent, const PixelRect& at, const wchar_t* name);

}  // namespace settings_dialog
