// Where the session's black covers go: every monitor but the primary one, on which the
// renderer runs. Plain C++ on monitor rectangles in virtual-screen pixels; the Win32 half
// (covers.cpp) asks the system for the monitors and makes the windows.
#pragma once

#include <cstdint>
#include <vector>

namespace session {

struct ScreenRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const ScreenRect& other) const {
    return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
  }
};

struct Monitor {
  ScreenRect area;  // the whole monitor, taskbar included
  bool primary = false;
};

// One rectangle per monitor to cover, in the order given. Never one that overlaps the
// primary monitor: a topmost cover there would hide the renderer.
std::vector<ScreenRect> coverRects(const std::vector<Monitor>& monitors);

}  // namespace session
