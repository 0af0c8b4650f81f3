// The music module's system: MCI command strings and error texts, PlaySound and the wave-out
// device count from winmm, with text converted to the ANSI code page through host/ui/text.h.
#include "host/music/music.h"
#include "host/ui/text.h"

#include <windows.h>
#include <mmsystem.h>

#include <vector>

namespace {

class WinmmSystem : public BgmSystem {
 public:
  uint32_t sendString(const std::wstring& command, std::wstring* reply, uint32_t capacity) override {
    const std::string ansi = ui::toAnsi(command);
    if (!reply || capacity == 0) return mciSendStringA(ansi.c_str(), nullptr, 0, nullptr);
    // One spare byte keeps the text terminated whatever the device writes.
    std::vector<char> buffer(capacity + 1, '\0');
    const MCIERROR code = mciSendStringA(ansi.c_str(), buffer.data(), capacity, nullptr);
    *reply = ui::fromAnsi(buffer.data());
    return code;
  }

  bool errorString(uint32_t code, std::wstring& text, uint32_t capacity) override {
    std::vector<char> buffer(capacity + 1, '\0');
    if (!mciGetErrorStringA(code, buffer.data(), capacity)) return false;
    text = ui::fromAnsi(buffer.data());
    return true;
  }

  int32_t playSound(const std::wstring* name, uint32_t flags) override {
    if (!name) return PlaySoundA(nullptr, nullptr, flags);
    return PlaySoundA(ui::toAnsi(*name).c_str(), nullptr, flags);
  }

  int32_t waveOutDevices() override { return static_cast<int32_t>(waveOutGetNumDevs()); }
};

}  // namespace

BgmSystem& winmmMusicSystem() {
  static WinmmSystem system;
  return system;
}
