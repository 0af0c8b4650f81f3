// Swirlbloom_BGM: the background music. Audio CD and MP3 through MCI command strings, with the
// periodic checks the session calls on its timers, and looped WAV playback. Every system call
// goes through the MusicPort the player is given; reads BGMFile and BGMRepeatTrack
// (host/settings).
#pragma once

#include <cstdint>
#include <string>

namespace music {

// What the player reaches the system's multimedia calls through.
class MusicPort {
 public:
  virtual ~MusicPort() = default;
  // mciSendStringA without a callback window. `reply` is null when no reply area is given
  // (capacity 0); otherwise it receives the reply up to its first NUL.
  virtual uint32_t sendString(const std::wstring& command, std::wstring* reply, uint32_t capacity) = 0;
  // mciGetErrorStringA: false when the system has no text for the code.
  virtual bool errorString(uint32_t code, std::wstring& text, uint32_t capacity) = 0;
  // PlaySoundA without a module handle; a null name stops what PlaySound is playing.
  virtual int32_t playSound(const std::wstring* name, uint32_t flags) = 0;
  virtual int32_t waveOutDevices() = 0;
};

// The module's operations and its state (the reply areas kept between calls and BGM_CDAlive),
// over the port it is given.
class MusicPlayer {
 public:
  explicit MusicPlayer(MusicPort& port) : port_(port) {}

  // True while the CD status queries succeed; the session mirrors it into its CD timer.
  bool BGM_CDAlive = false;

  void BGM_CDOpen();
  void BGM_CDCheck();
  void BGM_CDClose();

  void BGM_MP3Open();
  void BGM_MP3Check();
  void BGM_MP3Close();

  void BGM_WavPlay();
  void BGM_WavStop();

  bool BGM_MP3IsPlaying();
  // The MCI result code, or -1 for an empty command (nothing is sent). `reply` receives the
  // device's answer on success, the system's error text otherwise.
  int32_t BGM_MciCommand(const std::wstring& command, std::wstring& reply);
  // The reply, or "Error:<code>" when the command fails.
  std::wstring BGM_MciQuery(const std::wstring& command);
  int32_t BGM_MciPlay(const std::wstring& device, const std::wstring& from, const std::wstring& to);

 private:
  uint32_t send(const std::wstring& command);
  uint32_t sendInto(const std::wstring& command, std::wstring& area, uint32_t capacity);

  MusicPort& port_;
  std::wstring cdModeReply_;   // kept between checks: a failed mode query leaves the last one
  std::wstring mp3ModeReply_;  // likewise
  std::wstring commandReply_;
  std::wstring errorText_;
  std::wstring lastReply_;
};

// PlaySound flags used by the module (values of the system's SND_ constants).
constexpr uint32_t BgmSndAsync = 0x0001;
// Without it a WAV that is gone by the time it plays makes the system loop its default sound
// for the whole session instead of staying quiet.
constexpr uint32_t BgmSndNoDefault = 0x0002;
constexpr uint32_t BgmSndLoop = 0x0008;

}  // namespace music
