// The music module's Win32 half: winmm behind the module's port (MCI command strings and
// error texts, PlaySound, the wave-out device count), text converted to the ANSI code page
// through host/ui/text.h. The session gives its MusicPlayer (music_rules.h) a WinmmMusic.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include "host/music/music_rules.h"

namespace music {

// The winmm calls behind WinmmMusic. Tests swap single calls with ScopedSeam to hear what a
// real session plays without a sound card of their own. (The first two are not named after
// their calls: mmsystem.h defines mciSendString and mciGetErrorString as macros.)
struct MusicSystem {
  decltype(&mciSendStringA) sendString = mciSendStringA;
  decltype(&mciGetErrorStringA) errorString = mciGetErrorStringA;
  decltype(&PlaySoundA) playSound = PlaySoundA;
  decltype(&::waveOutGetNumDevs) waveOutGetNumDevs = ::waveOutGetNumDevs;
};
MusicSystem& musicCalls();

class WinmmMusic final : public MusicPort {
 public:
  uint32_t sendString(const std::wstring& command, std::wstring* reply, uint32_t capacity) override;
  bool errorString(uint32_t code, std::wstring& text, uint32_t capacity) override;
  int32_t playSound(const std::wstring* name, uint32_t flags) override;
  int32_t waveOutDevices() override;
};

}  // namespace music
