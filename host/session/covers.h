// The session's black cover windows, one per monitor that is not the primary: topmost, never
// activated, never on the taskbar. Where they go is coverRects (covers_rules.h); this is
// the Win32 side (user32, gdi32's stock black brush).
#pragma once

#include <windows.h>

#include <vector>

#include "host/session/covers_rules.h"

namespace session {

class CoverWindows {
 public:
  CoverWindows() = default;
  ~CoverWindows() { place({}); }
  CoverWindows(const CoverWindows&) = delete;
  CoverWindows& operator=(const CoverWindows&) = delete;

  // Exactly these covers, shown: existing windows are moved rather than made anew, so a
  // display change does not flash the desktop; extra ones are destroyed.
  void place(const std::vector<ScreenRect>& covers);

 private:
  std::vector<HWND> windows_;
};

constexpr char CoverClass[] = "PomarelCover";

}  // namespace session
