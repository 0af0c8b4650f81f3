// Swirlbloom_S's behaviour without the window around it: what the load handler starts, what
// each timer tick does, when the renderer watch ends the session and what the unload handler
// stops. Everything outside goes through SessionPort. Depends on the C++ library only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/contract.h"
#include "host/session/covers_rules.h"

namespace host {

enum class SessionTimer { Timer1, Timer2, Timer3 };  // MP3 check, CD check, renderer watch

enum class MusicCall { CDOpen, CDCheck, CDClose, MP3Open, MP3Check, MP3Close, WavPlay, WavStop };

using contract::RendererFileName;
using contract::RendererWindowTitle;

class SessionPort {
 public:
  virtual ~SessionPort() = default;
  virtual std::wstring programFolder() = 0;
  virtual bool startRenderer(const std::wstring& path) = 0;  // show mode 1, no arguments
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
  virtual void endProgram() = 0;
  virtual std::vector<Monitor> monitors() = 0;
  // Exactly these covers from now on: moves, adds or removes windows; empty removes all.
  virtual void placeCovers(const std::vector<ScreenRect>& covers) = 0;
};

// The last three characters, upper-cased (ASCII), equal `suffix` (given upper-case).
bool musicFileEndsWith(const std::wstring& file, const wchar_t* suffix);

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

  SessionPort& port_;
  std::wstring rendererPath_;
  bool rendererSeen_ = false;
  bool unloaded_ = false;
  bool covering_ = false;  // a /s session: every monitor but the primary is kept black
};

}  // namespace host
