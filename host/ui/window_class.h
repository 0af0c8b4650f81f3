// One way for every window of the host to register its class and find the object behind a
// window: the form, the image control, the dialog's panel, the Command button and the
// session's monitor covers. user32 only.
#pragma once

#include <windows.h>

namespace ui {

struct WindowClassInfo {
  const char* name = nullptr;  // ASCII; the same atom whichever character set registers it
  WNDPROC procedure = nullptr;
  // Unicode messages (RegisterClassExW) for windows whose text must not pass the ANSI code
  // page; the others get ANSI messages, as their window procedures expect.
  bool unicode = false;
  UINT style = 0;
  int extraBytes = 0;  // the class's own per-window bytes (a control keeps its object there)
  HICON icon = nullptr;
  HBRUSH background = nullptr;
  HINSTANCE instance = nullptr;  // null: the program's own module
};

// True when `instance` (null: the program) has the class already, from an earlier window.
bool windowClassExists(const char* name, HINSTANCE instance = nullptr);
// Registers the class unless it exists; an existing registration is kept as it is.
bool ensureWindowClass(const WindowClassInfo& info);

// The object a window belongs to. Forms and panels keep it in GWLP_USERDATA; a control keeps
// it in its class's extra bytes (slot 0) and leaves the user data to whoever places it.
void bindWindowObject(HWND hwnd, void* object, int slot = GWLP_USERDATA);

template <class T>
T* windowObject(HWND hwnd, int slot = GWLP_USERDATA) {
  return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, slot));
}

// For window procedures: at WM_NCCREATE binds the object passed as CreateWindowEx's last
// argument, then returns the bound object (null before WM_NCCREATE or after unbinding).
template <class T>
T* windowObjectFor(HWND hwnd, UINT msg, LPARAM lParam, int slot = GWLP_USERDATA) {
  // lpCreateParams sits at the same place in CREATESTRUCTA and CREATESTRUCTW.
  if (msg == WM_NCCREATE) bindWindowObject(hwnd, reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams, slot);
  return windowObject<T>(hwnd, slot);
}

}  // namespace ui
