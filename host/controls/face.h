// Composing the Command face on a device context: clear, the vertical gradient (msimg32
// GradientFill) and the eight frame pieces of a state image. Depends on gdi32, msimg32 and
// face_rules.
#pragma once

#include <windows.h>

#include "host/controls/command_rules.h"

namespace controls {

// The six state images of one control, loaded from the executable's resources as DIB
// sections so their colours stay exact whatever the screen depth.
class StateImages {
 public:
  StateImages();
  ~StateImages();
  StateImages(const StateImages&) = delete;
  StateImages& operator=(const StateImages&) = delete;
  HBITMAP get(FaceImage image) const { return images_[static_cast<int>(image)]; }

 private:
  HBITMAP images_[FaceImageCount] = {};
};

// FillGradient: white at the top and lavender grey at the bottom, or the other way round.
bool fillGradient(HDC dc, int width, int height, bool inverted);

// The face of PaintFace on a `width` x `height` pixel surface: cleared, the gradient, then the
// eight frame pieces of `image`. Each of them is drawn even when an earlier one failed; false
// when any failed.
bool composeFace(HDC dc, int width, int height, HBITMAP image, bool inverted);

}  // namespace controls
