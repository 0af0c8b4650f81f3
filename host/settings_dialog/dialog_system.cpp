// The real system calls behind DialogSystem (user32, comdlg32, shell32).
#include "host/settings_dialog/dialog_system.h"

#include <shellapi.h>

namespace dialog {
namespace {

int32_t systemGetCursorPos(POINT* point) { return GetCursorPos(point); }

int32_t systemDrawAnimatedRects(HWND window, int animation, const RECT* from, const RECT* to) {
  return DrawAnimatedRects(window, animation, from, to);
}

int32_t systemGetOpenFileName(OPENFILENAMEW* request) { return GetOpenFileNameW(request); }

uint32_t systemGetShortPathName(const wchar_t* path, wchar_t* shortPath, uint32_t size) {
  return GetShortPathNameW(path, shortPath, size);
}

intptr_t systemShellExecute(HWND owner, const char* operation, const char* file, const char* parameters,
                            const char* folder, int showMode) {
  return reinterpret_cast<intptr_t>(ShellExecuteA(owner, operation, file, parameters, folder, showMode));
}

int32_t systemMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, unsigned type) {
  return MessageBoxW(owner, text, caption, type);
}

// Constant-initialised, so a test's copy taken during start-up already holds the real calls.
DialogSystem calls{systemGetCursorPos, systemDrawAnimatedRects, systemGetOpenFileName, systemShellExecute,
                   systemMessageBox, systemGetShortPathName};

}  // namespace

DialogSystem& DialogCalls() { return calls; }

}  // namespace dialog
