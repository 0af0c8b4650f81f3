// Window-class registration and the window-to-object binding of host/ui/window_class.h.
#include "host/ui/window_class.h"

#include <string>

namespace ui {
namespace {

// WNDCLASSEXA and WNDCLASSEXW differ only in the type of the class name.
HINSTANCE moduleOf(HINSTANCE instance) { return instance ? instance : GetModuleHandleA(nullptr); }

template <class WndClass, class Char>
WndClass classFor(const WindowClassInfo& info, const Char* name) {
  WndClass wc = {};
  wc.cbSize = sizeof wc;
  wc.style = info.style;
  wc.lpfnWndProc = info.procedure;
  wc.cbWndExtra = info.extraBytes;
  wc.hInstance = moduleOf(info.instance);
  wc.hIcon = info.icon;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = info.background;
  wc.lpszClassName = name;
  return wc;
}

}  // namespace

bool windowClassExists(const char* name, HINSTANCE instance) {
  WNDCLASSEXA existing = {};
  existing.cbSize = sizeof existing;
  return GetClassInfoExA(moduleOf(instance), name, &existing) != FALSE;
}

bool ensureWindowClass(const WindowClassInfo& info) {
  if (windowClassExists(info.name, info.instance)) return true;
  ATOM atom;
  if (info.unicode) {
    const std::wstring name(info.name, info.name + lstrlenA(info.name));  // ASCII widens as is
    const WNDCLASSEXW wc = classFor<WNDCLASSEXW>(info, name.c_str());
    atom = RegisterClassExW(&wc);
  } else {
    const WNDCLASSEXA wc = classFor<WNDCLASSEXA>(info, info.name);
    atom = RegisterClassExA(&wc);
  }
  return atom != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void bindWindowObject(HWND hwnd, void* object, int slot) {
  SetWindowLongPtrW(hwnd, slot, reinterpret_cast<LONG_PTR>(object));
}

}  // namespace ui
