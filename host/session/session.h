// Swirlbloom_S: the hidden session window "Swirlbloom_Main" with RendererPath and the timers
// Timer1 (MP3 check), Timer2 (CD check) and Timer3 (renderer watch). The behaviour is
// Session (session_rules.h); this form plugs in the window, the music module, the
// renderer process and the cursor. Win32 via host/ui.
#pragma once

#include <windows.h>

#include <string>

#include "host/music/music.h"
#include "host/session/covers.h"
#include "host/session/session_rules.h"
#include "host/ui/command_line.h"
#include "host/ui/form.h"
#include "host/ui/process.h"

namespace session {

// The session's system calls, swapped by tests (ScopedSeam) to fake the monitor list or the
// argument text the load and unload handlers read again, or to answer the message box.
struct SessionSystem {
  decltype(&EnumDisplayMonitors) enumDisplayMonitors = EnumDisplayMonitors;
  decltype(&GetMonitorInfoA) getMonitorInfo = GetMonitorInfoA;
  std::wstring (*commandArguments)() = ui::commandArguments;  // the process's command line
  decltype(&MessageBoxW) messageBox = MessageBoxW;
};
SessionSystem& sessionCalls();

class SessionWindow : public ui::Form, private SessionPort {
 public:
  SessionWindow();

  bool load();  // created, never shown
  const std::wstring& RendererPath() const { return session_.rendererPath(); }

  ui::Timer Timer1;
  ui::Timer Timer2;
  ui::Timer Timer3;

 protected:
  void onLoad() override;
  void onUnload() override;
  void onTimer(ui::Timer& timer) override;
  bool onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  ui::Timer& timer(SessionTimer which);

  std::wstring programFolder() override;
  RendererStart startRenderer(const std::wstring& path, std::wstring& reason) override;
  bool rendererWindowExists() override;
  bool rendererRunning() override;
  void setTimer(SessionTimer which, bool on) override;
  bool timerOn(SessionTimer which) override;
  void music(MusicCall call) override;
  bool cdAlive() override;
  int16_t musicKind() override;
  std::wstring musicFile() override;
  std::wstring commandArguments() override;
  void showCursor() override;
  void unloadWindow() override;
  void endProgram(int exitCode) override;
  void showMessage(const std::wstring& message) override;
  std::vector<Monitor> monitors() override;
  void placeCovers(const std::vector<ScreenRect>& covers) override;

  Session session_;
  CoverWindows covers_;
  ui::Process renderer_;
  music::WinmmMusic winmm_;
  music::MusicPlayer music_{winmm_};  // Swirlbloom_BGM
};

}  // namespace session
