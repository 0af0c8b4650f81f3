// The session form: translates its load, timer and destroy messages into Session calls
// and answers the session's questions with FindWindowA, the renderer process, the settings
// variables (host/settings) and the music module (host/music); the monitors come from
// EnumDisplayMonitors through sessionCalls(), the covers are covers.cpp's windows.
#include "host/session/session.h"

#include <windows.h>

#include "host/settings/settings.h"
#include "host/ui/command_line.h"
#include "host/ui/program_folder.h"
#include "host/ui/text.h"

namespace session {

SessionWindow::SessionWindow()
    : ui::Form("Swirlbloom_S"),
      Timer1(*this, 1, 1000),
      Timer2(*this, 2, 200),
      Timer3(*this, 3, 500, true),
      session_(*this) {}

bool SessionWindow::load() {
  ui::FormLook look;
  look.caption = contract::SessionWindowTitleW;
  look.style = WS_POPUP;  // no border; never shown
  look.systemColour = COLOR_WINDOW;
  return ui::Form::load(look);
}

void SessionWindow::onLoad() { session_.load(); }
void SessionWindow::onUnload() { session_.unload(); }

void SessionWindow::onTimer(ui::Timer& which) {
  if (&which == &Timer1) session_.tick(SessionTimer::Timer1);
  if (&which == &Timer2) session_.tick(SessionTimer::Timer2);
  if (&which == &Timer3) session_.tick(SessionTimer::Timer3);
}

ui::Timer& SessionWindow::timer(SessionTimer which) {
  switch (which) {
    case SessionTimer::Timer1:
      return Timer1;
    case SessionTimer::Timer2:
      return Timer2;
    case SessionTimer::Timer3:
    default:
      return Timer3;
  }
}

std::wstring SessionWindow::programFolder() { return ui::programFolder(); }

RendererStart SessionWindow::startRenderer(const std::wstring& path, std::wstring& reason) {
  if (renderer_.start(path, SW_SHOWNORMAL)) return RendererStart::Started;
  reason = ui::systemErrorText(GetLastError());
  // Only a path that no ANSI call can take is the folder's fault; a renderer that is missing or
  // no program fails like any other start.
  return ui::ansiPath(path).empty() ? RendererStart::Unreachable : RendererStart::Failed;
}

bool SessionWindow::rendererWindowExists() { return FindWindowA(nullptr, RendererWindowTitle) != nullptr; }

bool SessionWindow::rendererRunning() { return renderer_.running(); }

void SessionWindow::setTimer(SessionTimer which, bool on) { timer(which).setEnabled(on); }

bool SessionWindow::timerOn(SessionTimer which) { return timer(which).enabled(); }

void SessionWindow::music(MusicCall call) {
  switch (call) {
    case MusicCall::CDOpen:
      music_.BGM_CDOpen();
      break;
    case MusicCall::CDCheck:
      music_.BGM_CDCheck();
      break;
    case MusicCall::CDClose:
      music_.BGM_CDClose();
      break;
    case MusicCall::MP3Open:
      music_.BGM_MP3Open();
      break;
    case MusicCall::MP3Check:
      music_.BGM_MP3Check();
      break;
    case MusicCall::MP3Close:
      music_.BGM_MP3Close();
      break;
    case MusicCall::WavPlay:
      music_.BGM_WavPlay();
      break;
    case MusicCall::WavStop:
      music_.BGM_WavStop();
      break;
  }
}

bool SessionWindow::cdAlive() { return music_.BGM_CDAlive; }
int16_t SessionWindow::musicKind() { return settings::BGMKind; }
std::wstring SessionWindow::musicFile() { return settings::BGMFile; }
std::wstring SessionWindow::commandArguments() { return sessionCalls().commandArguments(); }
void SessionWindow::showCursor() { ShowCursor(TRUE); }
void SessionWindow::unloadWindow() { unload(); }
void SessionWindow::endProgram(int exitCode) { PostQuitMessage(exitCode); }

void SessionWindow::showMessage(const std::wstring& message) {
  // No owner: the session window is never shown. In front, since nothing else of the host is.
  sessionCalls().messageBox(nullptr, message.c_str(), L"Pomarel", MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND);
}

SessionSystem& sessionCalls() {
  static SessionSystem calls;
  return calls;
}

// The broadcast reaches hidden top-level windows too, so the session hears of every mode
// change, the renderer's own included.
bool SessionWindow::onMessage(UINT msg, WPARAM, LPARAM, LRESULT&) {
  if (msg == WM_DISPLAYCHANGE) session_.displayChanged();
  return false;
}

namespace {

BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (sessionCalls().getMonitorInfo(monitor, &info)) {
    const RECT& r = info.rcMonitor;
    reinterpret_cast<std::vector<Monitor>*>(list)->push_back(
        {{r.left, r.top, r.right, r.bottom}, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  }
  return TRUE;
}

}  // namespace

std::vector<Monitor> SessionWindow::monitors() {
  std::vector<Monitor> found;
  sessionCalls().enumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&found));
  return found;
}

void SessionWindow::placeCovers(const std::vector<ScreenRect>& covers) { covers_.place(covers); }

}  // namespace session
