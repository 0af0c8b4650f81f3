// Cover windows: a class of their own with the stock black brush, and a window procedure that
// refuses activation so a click leaves the keyboard with the renderer. Depends on user32,
// gdi32 and host/ui/window_class.
#include "host/session/covers.h"

#include "host/ui/window_class.h"

namespace session {

namespace {

LRESULT CALLBACK coverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEACTIVATE:
      // The click goes to the cover (and dies there), not to the desktop it hides, and
      // the renderer keeps the foreground and with it Escape.
      return MA_NOACTIVATE;
    case WM_SETCURSOR:
      SetCursor(nullptr);  // the saver hides the pointer over all of its screens
      return TRUE;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool registerCoverClass() {
  ui::WindowClassInfo info;
  info.name = CoverClass;
  info.procedure = coverProc;
  info.background = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  return ui::ensureWindowClass(info);
}

}  // namespace

void CoverWindows::place(const std::vector<ScreenRect>& covers) {
  while (windows_.size() > covers.size()) {
    DestroyWindow(windows_.back());
    windows_.pop_back();
  }
  if (!covers.empty() && !registerCoverClass()) return;
  for (size_t i = 0; i < covers.size(); ++i) {
    const ScreenRect& r = covers[i];
    if (i == windows_.size()) {
      const HWND made = CreateWindowExA(WS_EX_NOACTIVATE | WS_EX_TOPMOST | WS_EX_TOOLWINDOW, CoverClass, "",
                                        WS_POPUP, r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr,
                                        nullptr, GetModuleHandleA(nullptr), nullptr);
      if (!made) return;  // what is there stays; a later display change tries again
      windows_.push_back(made);
    }
    SetWindowPos(windows_[i], HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
}

}  // namespace session
