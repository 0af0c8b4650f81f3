// The host suites' shared helpers and main(): run as "<name>.dll" the executable is the
// stand-in renderer, which only reports the show mode it was started with as its exit code.
#include "tests/host/support/support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace support {

std::wstring ownPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

std::wstring tempFolder() {
  wchar_t path[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, path);
  return path;
}

int cursorCount() {
  const int shown = ShowCursor(TRUE);
  ShowCursor(FALSE);
  return shown - 1;
}

HWND makeWindow(const char* title, DWORD style, int width, int height) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "PomarelTestWindow";
  RegisterClassA(&wc);
  RECT rect = {0, 0, width, height};
  AdjustWindowRect(&rect, style, FALSE);
  return CreateWindowA("PomarelTestWindow", title, style, 10, 10, rect.right - rect.left, rect.bottom - rect.top,
                       nullptr, nullptr, wc.hInstance, nullptr);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace support

int main(int argc, char** argv) {
  const std::wstring self = support::ownPath();
  if (self.size() > 4 && _wcsicmp(self.c_str() + self.size() - 4, L".dll") == 0) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : 100;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
