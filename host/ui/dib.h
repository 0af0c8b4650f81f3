// Top-down 32-bit DIB sections: the back buffers of the host's custom-drawn windows, whose
// pixels the code and the tests read directly (0x00RRGGBB per pixel, top row first).
#pragma once

#include <windows.h>

#include <cstdint>

namespace ui {

// Null when the size is not positive or the system refuses; *bits then stays null.
HBITMAP createTopDownDib(HDC dc, int width, int height, std::uint32_t** bits);

}  // namespace ui
