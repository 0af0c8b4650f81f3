// The one way the music module reaches the system: MCI command strings, MCI error texts, the
// sound player and the wave-out device count (winmm in bgm_winmm.cpp). Tests put a simulated
// drive in its place. Text crosses here as UTF-16; the winmm side converts to ANSI.
#pragma once

#include <cstdint>
#include <string>

class BgmSystem {
 public:
  virtual ~BgmSystem() = default;
  // mciSendStringA without a callback window. `reply` is null when no reply area is given
  // (capacity 0); otherwise it receives the reply up to its first NUL.
  virtual uint32_t sendString(const std::wstring& command, std::wstring* reply, uint32_t capacity) = 0;
  // mciGetErrorStringA: false when the system has no text for the code.
  virtual bool errorString(uint32_t code, std::wstring& text, uint32_t capacity) = 0;
  // PlaySoundA without a module handle; a null name stops what PlaySound is playing.
  virtual int32_t playSound(const std::wstring* name, uint32_t flags) = 0;
  virtual int32_t waveOutDevices() = 0;
};

// The system the module uses: the installed one, else the platform's own.
BgmSystem& BGM_System();
// Installs `system` (null goes back to the platform's own) and returns what was installed.
BgmSystem* BGM_UseSystem(BgmSystem* system);
// The platform's own; provided by bgm_winmm.cpp in the Windows builds.
BgmSystem& BGM_PlatformSystem();

// PlaySound flags used by the module (values of the system's SND_ constants).
constexpr uint32_t BgmSndAsync = 0x0001;
constexpr uint32_t BgmSndLoop = 0x0008;
