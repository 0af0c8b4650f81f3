// Window-class registration and the window-to-object binding of host/ui/window_class.h.
#include "host/ui/window_class.h"

#include <string>

namespace ui {
namespace {

// WNDCLASSEXA and WNDCLASSEXW differ only in the type of the class name.
HINSTANCE moduleOf(HINSTANCE instance) { return instance ? instance : GetModuleHandleA(nullptr); }

template <class WndClass, class Char>
WndClass classFor(const WindowClassSpec& spec, const Char* name) {
  WndClass wc = {};
  wc.cbSize = sizeof wc;
  wc.style = spec.style;
  wc.lpfnWndProc = spec.procedure;
  wc.cbWndExtra = spec.extraBytes;
  wc.hInstance = moduleOf(spec.instance);
  wc.hIcon = spec.icon;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = spec.background;
  wc.lpszClassName = name;
  return wc;
}

}  // namespace

bool windowClassExists(const char* name, HINSTANCE instance) {
  WNDCLASSEXA existing = {};
  existing.cbSize = sizeof existing;
  return GetClassInfoExA(moduleOf(instance), name, &existing) != FALSE;
}

bool ensureWindowClass(const WindowClassSpec& spec) {
  if (windowClassExists(spec.name, spec.instance)) return true;
  ATOM atom;
  if (spec.unicode) {
    const std::wstring name(spec.name, spec.name + lstrlenA(spec.name));  // ASCII widens as is
    const WNDCLASSEXW wc = classFor<WNDCLASSEXW>(spec, name.c_str());
    atom = RegisterClassExW(&wc);
  } else {
    const WNDCLASSEXA wc = classFor<WNDCLASSEXA>(spec, spec.name);
    atom = RegisterClassExA(&wc);
  }
  return atom != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void bindWindowObject(HWND hwnd, void* object, int slot) {
  SetWindowLongPtrW(hwnd, slot, reinterpret_cast<LONG_PTR>(object));
}

}  // namespace ui
