// WinmmMusic: the music port on winmm's MCI command strings and error texts, PlaySound and
// the wave-out device count, reached through musicCalls(), with text converted to the ANSI
// code page through host/ui/text.h.
#include "host/music/music.h"
#include "host/ui/text.h"

#include <vector>

namespace music {

MusicSystem& musicCalls() {
  static MusicSystem calls;
  return calls;
}

uint32_t WinmmMusic::sendString(const std::wstring& command, std::wstring* reply, uint32_t capacity) {
  const std::string ansi = ui::toAnsi(command);
  if (!reply || capacity == 0) return musicCalls().sendString(ansi.c_str(), nullptr, 0, nullptr);
  // One spare byte keeps the text terminated whatever the device writes.
  std::vector<char> buffer(capacity + 1, '\0');
  const MCIERROR code = musicCalls().sendString(ansi.c_str(), buffer.data(), capacity, nullptr);
  *reply = ui::fromAnsi(buffer.data());
  return code;
}

bool WinmmMusic::errorString(uint32_t code, std::wstring& text, uint32_t capacity) {
  std::vector<char> buffer(capacity + 1, '\0');
  if (!musicCalls().errorString(code, buffer.data(), capacity)) return false;
  text = ui::fromAnsi(buffer.data());
  return true;
}

int32_t WinmmMusic::playSound(const std::wstring* name, uint32_t flags) {
  if (!name) return musicCalls().playSound(nullptr, nullptr, flags);
  return musicCalls().playSound(ui::toAnsi(*name).c_str(), nullptr, flags);
}

int32_t WinmmMusic::waveOutDevices() { return static_cast<int32_t>(musicCalls().waveOutGetNumDevs()); }

}  // namespace music
