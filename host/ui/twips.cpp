// Screen density for twips conversion, read once from the screen DC (LOGPIXELSX/Y).
#include "host/ui/twips.h"

#include <windows.h>

namespace ui {
namespace {

int twipsPerPixel(int capability) {
  static int cached[2] = {0, 0};
  int& slot = cached[capability == LOGPIXELSX ? 0 : 1];
  if (slot == 0) {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, capability) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    slot = dpi > 0 ? 1440 / dpi : 15;
    if (slot <= 0) slot = 1;  // above 1440 dpi a pixel is smaller than a twip
  }
  return slot;
}

}  // namespace

int twipsPerPixelX() { return twipsPerPixel(LOGPIXELSX); }
int twipsPerPixelY() { return twipsPerPixel(LOGPIXELSY); }
int twipsToPixelsX(int twips) { return twips / twipsPerPixelX(); }
int twipsToPixelsY(int twips) { return twips / twipsPerPixelY(); }

}  // namespace ui
