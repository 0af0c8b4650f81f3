// The session's handlers in the order they run their steps; the window, timers, music module
// and processes are behind SessionPort.
#include "host/session/session_rules.h"

#include "common/text_rules.h"

namespace host {

bool musicFileEndsWith(const std::wstring& file, const wchar_t* suffix) {
  return file.size() >= 3 && text::upperAscii(std::wstring_view(file).substr(file.size() - 3)) == suffix;
}

void Session::load() {
  rendererSeen_ = false;
  unloaded_ = false;
  // Only the screensaver proper hides the other monitors; a run without a switch is the
  // user's own, next to their desktop.
  covering_ = text::modeLetter(port_.commandArguments()) == L'S';
  if (covering_) coverMonitors();
  rendererPath_ = port_.programFolder() + RendererFileName;
  port_.startRenderer(rendererPath_);  // a failed start shows as a renderer that is not running
  const int16_t kind = port_.musicKind();
  if (kind == 1) {
    port_.music(MusicCall::CDOpen);
    port_.setTimer(SessionTimer::Timer2, true);
  } else if (kind == 2) {
    const std::wstring file = port_.musicFile();
    if (musicFileEndsWith(file, L"WAV")) port_.music(MusicCall::WavPlay);
    if (musicFileEndsWith(file, L"MP3")) {
      port_.music(MusicCall::MP3Open);
      port_.setTimer(SessionTimer::Timer1, true);
    }
  }
}

void Session::tick(SessionTimer timer) {
  switch (timer) {
    case SessionTimer::Timer1:
      port_.music(MusicCall::MP3Check);
      break;
    case SessionTimer::Timer2:
      port_.music(MusicCall::CDCheck);
      port_.setTimer(SessionTimer::Timer2, port_.cdAlive());
      break;
    case SessionTimer::Timer3:
      watchRenderer();
      break;
  }
}

// A renderer still switching the display mode, or asking whether to run in a window, has no
// window yet; only one that has shown its window and lost it again, or whose process has
// ended without ever showing one, has ended.
void Session::watchRenderer() {
  if (port_.rendererWindowExists()) {
    rendererSeen_ = true;
    return;
  }
  if (!rendererSeen_ && port_.rendererRunning()) return;
  port_.setTimer(SessionTimer::Timer3, false);
  port_.unloadWindow();
  // The window's destruction runs unload(); make sure of it if the port could not destroy it.
  unload();
}

void Session::coverMonitors() { port_.placeCovers(coverRects(port_.monitors())); }

void Session::displayChanged() {
  if (covering_ && !unloaded_) coverMonitors();
}

void Session::unload() {
  if (unloaded_) return;
  unloaded_ = true;
  if (covering_) port_.placeCovers({});
  if (port_.timerOn(SessionTimer::Timer2)) {
    port_.setTimer(SessionTimer::Timer2, false);
    port_.music(MusicCall::CDClose);
  }
  if (port_.musicKind() == 2) {
    const std::wstring file = port_.musicFile();
    if (musicFileEndsWith(file, L"WAV")) port_.music(MusicCall::WavStop);
    if (musicFileEndsWith(file, L"MP3")) {
      port_.setTimer(SessionTimer::Timer1, false);
      port_.music(MusicCall::MP3Close);
    }
  }
  if (text::modeLetter(port_.commandArguments()) == L'S') port_.showCursor();
  port_.endProgram();
}

}  // namespace host
