// The session for real under Wine: started by the start routine with a settings file seen
// through the profile seam and the music through winmm's seam, ended by its renderer watch; the
// thread's cursor display counter read back through ShowCursor's own result.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "common/scoped_seam.h"
#include "host/music/music.h"
#include "host/session/session.h"
#include "host/settings/settings.h"
#include "host/start/start.h"
#include "host/ui/text.h"

#include "tests/host/support/support.h"

namespace session {

namespace {

// A stand-in for winmm: one sound device, every MCI command accepted, and the calls recorded.
std::vector<std::string> soundCalls;
MCIERROR WINAPI recordMci(LPCSTR command, LPSTR reply, UINT capacity, HWND) {
  soundCalls.push_back(std::string("mci ") + command);
  if (reply && capacity) *reply = '\0';
  return 0;
}
BOOL WINAPI noErrorText(MCIERROR, LPSTR, UINT) { return FALSE; }
BOOL WINAPI recordPlaySound(LPCSTR name, HMODULE, DWORD flags) {
  soundCalls.push_back(name ? "play " + std::string(name) + " " + std::to_string(flags) : "stop");
  return TRUE;
}
UINT WINAPI oneDevice() { return 1; }

// A settings file seen through the profile seam: kind 2 with a WAV file that exists.
std::wstring settingsFile;
DWORD WINAPI fakeProfile(LPCSTR, LPCSTR key, LPCSTR, LPSTR buffer, DWORD size, LPCSTR) {
  std::string value;
  if (key == ui::toCodePage(settings::KeyKind, settings::SettingsKeyCodePage)) value = " 2";
  if (key == ui::toCodePage(settings::KeyFile, settings::SettingsKeyCodePage)) value = ui::toAnsi(settingsFile);
  std::snprintf(buffer, size, "%s", value.c_str());
  return static_cast<DWORD>(value.size());
}

// A made-up desktop, reported through the session's seam in place of the real monitors.
std::vector<std::pair<RECT, bool>> fakeMonitors;  // area, primary
BOOL WINAPI fakeEnumDisplayMonitors(HDC, LPCRECT, MONITORENUMPROC each, LPARAM data) {
  for (size_t i = 0; i < fakeMonitors.size(); ++i) {
    if (!each(reinterpret_cast<HMONITOR>(i + 1), nullptr, &fakeMonitors[i].first, data)) break;
  }
  return TRUE;
}
BOOL WINAPI fakeGetMonitorInfo(HMONITOR monitor, LPMONITORINFO info) {
  const auto& m = fakeMonitors.at(reinterpret_cast<size_t>(monitor) - 1);
  info->rcMonitor = info->rcWork = m.first;
  info->dwFlags = m.second ? MONITORINFOF_PRIMARY : 0;
  return TRUE;
}

// The covers on screen: this thread's visible top-level windows as "left,top,right,bottom",
// each marked unless it is topmost, never to be activated and off the taskbar.
BOOL CALLBACK addCover(HWND window, LPARAM list) {
  const LONG_PTR cover = WS_EX_NOACTIVATE | WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
  RECT r;
  if (!IsWindowVisible(window) || !GetWindowRect(window, &r)) return TRUE;
  char text[64];
  std::snprintf(text, sizeof text, "%ld,%ld,%ld,%ld%s", r.left, r.top, r.right, r.bottom,
                (GetWindowLongPtrA(window, GWL_EXSTYLE) & cover) == cover ? "" : " (not a cover)");
  reinterpret_cast<std::vector<std::string>*>(list)->push_back(text);
  return TRUE;
}
std::vector<std::string> coversShown() {
  std::vector<std::string> shown;
  EnumThreadWindows(GetCurrentThreadId(), addCover, reinterpret_cast<LPARAM>(&shown));
  std::sort(shown.begin(), shown.end());
  return shown;
}

std::wstring sessionArguments;
std::wstring givenArguments() { return sessionArguments; }

class SessionRun : public ::testing::Test {
 protected:
  void SetUp() override {
    settingsFile = support::tempFolder() + L"pomarel test tone.wav";
    std::ofstream(ui::toAnsi(settingsFile), std::ios::binary) << "RIFF";
    settings::settingsCalls().getPrivateProfileString = fakeProfile;
    sessionCalls().commandArguments = givenArguments;
    soundCalls.clear();
  }
  void TearDown() override { DeleteFileW(settingsFile.c_str()); }

  ScopedSeam<settings::SettingsSystem> settings_{settings::settingsCalls()};
  ScopedSeam<SessionSystem> session_{sessionCalls()};
  ScopedSeam<music::MusicSystem> sound_{music::musicCalls(), music::MusicSystem{recordMci, noErrorText, recordPlaySound, oneDevice}};

  // Runs the start routine for `arguments` with a renderer window up, closes the renderer
  // after a few watch ticks and lets the program's own loop run to its end.
  void runSession(const std::wstring& arguments) {
    sessionArguments = arguments;
    renderer_ = support::makeWindow("Swirlbloom_VC", WS_OVERLAPPEDWINDOW, 200, 100);
    ASSERT_NE(renderer_, nullptr);
    before = support::cursorCount();
    ASSERT_EQ(start::startProgram(arguments), start::AfterStart::RunSession);
    during = support::cursorCount();
    const HWND main = FindWindowA(nullptr, "Swirlbloom_Main");
    ASSERT_NE(main, nullptr);
    sessionVisible = IsWindowVisible(main) != FALSE;
    support::pumpUntil([] { return false; }, 1.2);  // two watch ticks with the renderer up
    if (whileRunning) whileRunning(main);
    soundDuring = soundCalls;
    SessionWindow& session = *start::startModule().Swirlbloom_S;
    EXPECT_TRUE(session.loaded());
    EXPECT_EQ(session.RendererPath().substr(session.RendererPath().size() - 12), L"\\Pomarel.dll");
    DestroyWindow(renderer_);
    EXPECT_EQ(start::runMessageLoop(), 0);  // the watch ends the session and the loop with it
    EXPECT_FALSE(session.loaded());
    EXPECT_EQ(FindWindowA(nullptr, "Swirlbloom_Main"), nullptr);
    after = support::cursorCount();
  }

  int before = 0, during = 0, after = 0;
  bool sessionVisible = true;
  std::vector<std::string> soundDuring;
  std::function<void(HWND session)> whileRunning;

 private:
  HWND renderer_ = nullptr;
};

TEST_F(SessionRun, SaverHidesTheCursorOnceAndShowsItAtTheEnd) {
  runSession(L"/s");
  EXPECT_FALSE(sessionVisible);
  EXPECT_EQ(during, before - 1);
  EXPECT_EQ(after, before);
  const std::string play = "play " + ui::toAnsi(settingsFile) + " 11";  // async, no default sound, looped
  EXPECT_EQ(soundDuring, (std::vector<std::string>{play}));
  EXPECT_EQ(soundCalls, (std::vector<std::string>{play, "stop"}));
}

TEST_F(SessionRun, WithoutSwitchTheCursorIsNeverTouched) {
  runSession(L"");
  EXPECT_EQ(during, before);
  EXPECT_EQ(after, before);
  EXPECT_EQ(soundCalls.back(), "stop");
}

// Counts the keyboard focus a window loses.
int focusLosses = 0;
WNDPROC frontProc = nullptr;
LRESULT CALLBACK countFocusLoss(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KILLFOCUS) ++focusLosses;
  return CallWindowProcA(frontProc, window, message, wParam, lParam);
}

// Left of the primary and taller; right of it in portrait, where a real click lands on the
// cover and leaves the window in front its focus, not even for the moment until the window
// manager would hand it back. The renderer's mode switch then moves the monitors.
TEST_F(SessionRun, SaverCoversEveryOtherMonitorUntilItEnds) {
  SessionSystem faked = sessionCalls();
  faked.enumDisplayMonitors = fakeEnumDisplayMonitors;
  faked.getMonitorInfo = fakeGetMonitorInfo;
  ScopedSeam<SessionSystem> seam(sessionCalls(), faked);
  fakeMonitors = {{{512, -200, 1024, 700}, false}, {{0, 0, 512, 384}, true}, {{-1280, -256, 0, 384}, false}};
  std::vector<std::string> during, afterChange;
  char underClick[32] = {};
  int lostFocus = -1;
  whileRunning = [&](HWND session) {
    during = coversShown();
    const HWND front = support::makeWindow("foreground stand-in", WS_POPUP | WS_VISIBLE, 300, 300);
    SetForegroundWindow(front);
    support::pumpUntil([&] { return GetForegroundWindow() == front; }, 2.0);
    frontProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(front, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(countFocusLoss)));
    focusLosses = 0;
    GetClassNameA(WindowFromPoint(POINT{700, 400}), underClick, sizeof underClick);
    SetCursorPos(700, 400);
    INPUT press[2] = {};
    press[0].type = press[1].type = INPUT_MOUSE;
    press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, press, sizeof(INPUT));
    support::pumpUntil([] { return false; }, 0.5);
    lostFocus = focusLosses;  // before the destruction takes the focus for good
    DestroyWindow(front);
    fakeMonitors = {{{0, 0, 1024, 768}, true}, {{1024, 0, 2304, 1024}, false}};
    SendMessageA(session, WM_DISPLAYCHANGE, 16, MAKELPARAM(1024, 768));
    afterChange = coversShown();
  };
  runSession(L"/s");
  EXPECT_EQ(during, (std::vector<std::string>{"-1280,-256,0,384", "512,-200,1024,700"}));
  EXPECT_STREQ(underClick, CoverClass);
  EXPECT_EQ(lostFocus, 0);
  EXPECT_EQ(afterChange, std::vector<std::string>{"1024,0,2304,1024"});
  EXPECT_EQ(coversShown(), std::vector<std::string>{});
}

}  // namespace

}  // namespace session
