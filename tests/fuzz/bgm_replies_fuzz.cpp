// libFuzzer target for the music module's handling of device answers: every MCI call gets a
// result code and a reply taken from the input, and the CD and MP3 checks run on them.
// Links music_rules (with settings_rules); no system at all.
#include "common/last_api_result.h"
#include "host/music/music_rules.h"
#include "host/settings/settings_rules.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

class FuzzSystem : public music::MusicPort {
 public:
  const uint8_t* data = nullptr;
  size_t size = 0;

  uint8_t next() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }

  uint32_t sendString(const std::wstring& command, std::wstring* reply, uint32_t capacity) override {
    if (command.empty()) std::abort();  // the module never sends an empty command
    const uint8_t kind = next();
    const uint32_t code = kind & 1 ? 256u + next() : 0u;
    if (reply) {
      std::wstring text;
      for (size_t length = next() % 40; length > 0; --length) text += static_cast<wchar_t>(next() | (next() << 8));
      if (capacity == 0) std::abort();  // a reply area always comes with its capacity
      *reply = text.substr(0, capacity - 1);  // as the system does, room left for the NUL
    }
    return code;
  }
  bool errorString(uint32_t, std::wstring& text, uint32_t) override {
    text = L"fuzz";
    return next() & 1;
  }
  int32_t playSound(const std::wstring*, uint32_t) override { return next(); }
  int32_t waveOutDevices() override { return static_cast<int8_t>(next()); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSystem system;
  music::MusicPlayer music(system);
  system.data = data;
  system.size = size;
  settings::BGMRepeatTrack = static_cast<int16_t>(system.next() | (system.next() << 8));
  settings::BGMFile = L"C:\\fuzz.mp3";
  for (int round = 0; round < 4; ++round) {
    music.BGM_CDCheck();
    music.BGM_MP3Check();
    const std::wstring answer = music.BGM_MciQuery(L"status cdaudio mode");
    if (answer.empty() && LastApiResult != 0) std::abort();
  }
  music.BGM_WavPlay();
  music.BGM_WavStop();
  return 0;
}
