// Swirlbloom_S's behaviour without the window around it: what the load handler starts, what
// each timer tick does, when the renderer watch ends the session and what the unload handler
// stops. Everything outside goes through SessionPort. Depends on the C++ library only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/contract.h"
#include "host/session/covers_rules.h"

namespace session {

enum class SessionTimer { Timer1, Timer2, Timer3 };  // MP3 check, CD check, renderer watch

enum class MusicCall { CDOpen, CDCheck, CDClose, MP3Open, MP3Check, MP3Close, WavPlay, WavStop };

// How the renderer's start went. Unreachable: no form of its path fits the system's ANSI calls
// (a folder too long, or named in characters the code page lacks, on a volume without 8.3
// names), so nothing of the session can work from this folder.
enum class RendererStart { Started, Failed, Unreachable };

using contract::RendererFileName;
using contract::RendererWindowTitle;

class SessionPort {
 public:
  virtual ~SessionPort() = default;
  virtual std::wstring programFolder() = 0;
  // Show mode 1, no arguments; `reason` gets the system's text for a start that failed.
  virtual RendererStart startRenderer(const std::wstring& path, std::wstring& reason) = 0;
  virtual bool rendererWindowExists() = 0;
  virtual bool rendererRunning() = 0;  // the process started above has not ended
  virtual void setTimer(SessionTimer timer, bool on) = 0;
  virtual bool timerOn(SessionTimer timer) = 0;
  virtual void music(MusicCall call) = 0;
  virtual bool cdAlive() = 0;
  virtual int16_t musicKind() = 0;
  virtual std::wstring musicFile() = 0;
  virtual std::wstring commandArguments() = 0;
  virtual void showCursor() = 0;
  virtual void unloadWindow() = 0;  // destroys the window, which runs Session::unload
  virtual void endProgram(int exitCode) = 0;
  virtual void showMessage(const std::wstring& message) = 0;  // a message box of the host's own
  virtual std::vector<Monitor> monitors() = 0;
  // Exactly these covers from now on: moves, adds or removes windows; empty removes all.
  virtual void placeCovers(const std::vector<ScreenRect>& covers) = 0;
};

// The last three characters, upper-cased (ASCII), equal `suffix` (given upper-case).
bool musicFileEndsWith(const std::wstring& file, const wchar_t* suffix);

// The message shown when the renderer cannot be reached from the program's folder: what
// happened, the renderer's path, the system's reason (left out when empty) and what to do.
std::wstring unreachableRendererMessage(const std::wstring& path, const std::wstring& reason);

class Session {
 public:
  explicit Session(SessionPort& port) : port_(port) {}

  void load();
  void tick(SessionTimer timer);
  void unload();
  // The display configuration changed (the renderer's mode switch does that): the monitors
  // may have moved, so the covers follow.
  void displayChanged();

  const std::wstring& rendererPath() const { return rendererPath_; }  // RendererPath

 private:
  void watchRenderer();
  void coverMonitors();
  void endUnreachable(const std::wstring& reason);

  SessionPort& port_;
  std::wstring rendererPath_;
  bool rendererSeen_ = false;
  bool unloaded_ = false;
  bool covering_ = false;  // a /s session: every monitor but the primary is kept black
  std::wstring failure_;   // shown once the screen is the user's again; the program then ends with 1
};

}  // namespace session
