// What the host's Win32 suites share: the test executable's own path, the temp folder, a
// message pump with a deadline, the thread's cursor display counter, a plain window to stand
// in for another program's, and reading a file. support.cpp also holds main(), which turns
// the executable into a stand-in renderer when it runs under a name ending in ".dll".
#pragma once

#include <windows.h>

#include <string>

namespace support {

std::wstring ownPath();
std::wstring tempFolder();
// The thread's cursor display counter, left as it was.
int cursorCount();
// An in-process window of a plain class, hidden unless `style` says otherwise.
HWND makeWindow(const char* title, DWORD style, int width, int height);
std::string readFile(const std::string& path);

// Handles messages until `done` holds or about `seconds` have passed.
template <typename Done>
bool pumpUntil(Done done, double seconds = 10.0) {
  const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  while (!done()) {
    if (GetTickCount64() > until) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the caller's loop
        return done();
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

}  // namespace support
