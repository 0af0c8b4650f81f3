// Twips (1/1440 inch) are the host's unit for window and control geometry; these convert with
// the screen's real logical pixels per inch. Depends on gdi32/user32 only.
#pragma once

namespace ui {

// 1440 / logical pixels per inch of the screen, as a whole number (15 at 96 dpi, 12 at 120).
int twipsPerPixelX();
int twipsPerPixelY();

// Truncating toward zero, the one way the host turns twips into pixels.
int twipsToPixelsX(int twips);
int twipsToPixelsY(int twips);

}  // namespace ui
