// The session's handlers in the order they run their steps; the window, timers, music module
// and processes are behind SessionPort.
#include "host/session/session_rules.h"

#include "common/text_rules.h"

namespace session {

bool musicFileEndsWith(const std::wstring& file, const wchar_t* suffix) {
  return file.size() >= 3 && text::upperAscii(std::wstring_view(file).substr(file.size() - 3)) == suffix;
}

std::wstring unreachableRendererMessage(const std::wstring& path, const std::wstring& reason) {
  std::wstring message = L"ｽｸﾘｰﾝｾｰﾊﾞｰを起動できませんでした。\n\n" + path;
  if (!reason.empty()) message += L"\n\n" + reason;
  return message + L"\n\nﾌﾟﾛｸﾞﾗﾑを、短い英数字の名前のﾌｫﾙﾀﾞに移してください。";
}

void Session::load() {
  rendererSeen_ = false;
  unloaded_ = false;
  failure_.clear();
  // Only the screensaver proper hides the other monitors; a run without a switch is the
  // user's own, next to their desktop.
  covering_ = text::modeLetter(port_.commandArguments()) == L'S';
  if (covering_) coverMonitors();
  rendererPath_ = port_.programFolder() + RendererFileName;
  // A failed start shows as a renderer that is not running, and the watch ends the session.
  std::wstring reason;
  if (port_.startRenderer(rendererPath_, reason) == RendererStart::Unreachable) {
    endUnreachable(reason);
    return;
  }
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

// A screensaver that never shows and a host that ends with 0 would leave the user guessing:
// the screen is handed back at once, without music, and the user is told why. The message
// comes before the window goes, so that no destroy message is still being handled under it.
void Session::endUnreachable(const std::wstring& reason) {
  port_.setTimer(SessionTimer::Timer3, false);
  failure_ = unreachableRendererMessage(rendererPath_, reason);
  unload();
  port_.unloadWindow();
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
  if (!failure_.empty()) port_.showMessage(failure_);
  port_.endProgram(failure_.empty() ? 0 : 1);
}

}  // namespace session
