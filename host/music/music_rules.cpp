// Swirlbloom_BGM: the command strings, reply areas and decisions of the background music.
// Platform-free: the system is reached only through the MusicPort (music_rules.h); the
// settings variables and the number rule come from host/settings.
#include "host/music/music_rules.h"
#include "host/settings/settings_rules.h"

#include <stdexcept>

#include "common/last_api_result.h"
#include "common/text_rules.h"

namespace music {

namespace {

constexpr uint32_t CdModeCapacity = 255;
constexpr uint32_t Mp3ModeCapacity = 30;
constexpr uint32_t CommandReplyCapacity = 512;
constexpr uint32_t ErrorTextCapacity = 256;

bool containsErr(const std::wstring& text) {
  return text::upperAscii(text).find(L"ERR") != std::wstring::npos;
}

double trackNumber(const std::wstring& reply) {
  const auto number = settings::parseDecimal(reply);
  if (!number) throw std::invalid_argument("track reply is not a number");
  return *number;
}

}  // namespace

uint32_t MusicPlayer::send(const std::wstring& command) { return port_.sendString(command, nullptr, 0); }

// The area changes only when the device answered; MCI does not promise to leave the buffer
// alone on failure, and the mode tests rely on seeing the previous answer then.
uint32_t MusicPlayer::sendInto(const std::wstring& command, std::wstring& area, uint32_t capacity) {
  std::wstring reply;
  const uint32_t code = port_.sendString(command, &reply, capacity);
  if (code == 0) area = reply;
  return code;
}

int32_t MusicPlayer::BGM_MciCommand(const std::wstring& command, std::wstring& reply) {
  if (command.empty()) {
    reply = L"コマンド文字列が指定されていません";
    return -1;
  }
  const int32_t code = static_cast<int32_t>(sendInto(command, commandReply_, CommandReplyCapacity));
  LastApiResult = code;
  if (code != 0) {
    std::wstring text;
    if (port_.errorString(static_cast<uint32_t>(code), text, ErrorTextCapacity)) {
      errorText_ = text;
      reply = errorText_;
    } else {
      reply = L"Error (文字列が取れません)";
    }
    return code;
  }
  reply = commandReply_;
  return 0;
}

std::wstring MusicPlayer::BGM_MciQuery(const std::wstring& command) {
  const int32_t code = BGM_MciCommand(command, lastReply_);
  LastApiResult = code;
  if (code != 0) return L"Error:" + std::to_wstring(code);
  return lastReply_;
}

int32_t MusicPlayer::BGM_MciPlay(const std::wstring& device, const std::wstring& from, const std::wstring& to) {
  std::wstring command = L"play " + device;
  if (!from.empty()) command += L" from " + from;
  if (!to.empty()) command += L" to " + to;
  return BGM_MciCommand(command, lastReply_);
}

void MusicPlayer::BGM_CDOpen() {
  LastApiResult = static_cast<int32_t>(send(L"open cdaudio"));
  LastApiResult = static_cast<int32_t>(send(L"set cdaudio time format tmsf"));
}

void MusicPlayer::BGM_CDCheck() {
  BGM_CDAlive = true;
  try {
    const std::wstring track = BGM_MciQuery(L"status cdaudio current track");
    if (containsErr(track)) {
      BGM_CDAlive = false;
      return;
    }
    // Only asked as a second sign of life; the count itself is not needed.
    if (containsErr(BGM_MciQuery(L"status cdaudio number of tracks"))) {
      BGM_CDAlive = false;
      return;
    }
    LastApiResult = static_cast<int32_t>(sendInto(L"status cdaudio mode", cdModeReply_, CdModeCapacity));
    const bool stopped = cdModeReply_.substr(0, 7) == L"stopped";

    if (settings::BGMRepeatTrack == 0) {
      // "play cdaudio" without a position carries on from where the disc is.
      if (stopped) BGM_MciPlay(L"cdaudio", L"", L"");
      return;
    }
    // The track number is read even when the disc is stopped: an unreadable one ends the
    // checks either way.
    const bool otherTrack = trackNumber(track) != settings::BGMRepeatTrack;
    if (stopped || otherTrack) {
      const std::wstring position =
          BGM_MciQuery(L"status cdaudio position track " + std::to_wstring(settings::BGMRepeatTrack));
      BGM_MciPlay(L"cdaudio", position, L"");
    }
  } catch (...) {
    BGM_CDAlive = false;
  }
}

void MusicPlayer::BGM_CDClose() {
  LastApiResult = static_cast<int32_t>(send(L"stop cdaudio"));
  LastApiResult = static_cast<int32_t>(send(L"close cdaudio"));
}

void MusicPlayer::BGM_MP3Open() {
  // Quoted so that a path with blanks stays one argument.
  if (send(L"open \"" + settings::BGMFile + L"\" type MPEGVideo Alias MP3Play") == 0) send(L"play MP3Play");
}

bool MusicPlayer::BGM_MP3IsPlaying() {
  sendInto(L"status MP3Play mode", mp3ModeReply_, Mp3ModeCapacity);
  return mp3ModeReply_.substr(0, 7) == L"playing";
}

void MusicPlayer::BGM_MP3Check() {
  if (BGM_MP3IsPlaying()) return;
  send(L"stop MP3Play");
  send(L"play MP3Play from 0");
}

void MusicPlayer::BGM_MP3Close() {
  send(L"stop MP3Play");
  send(L"close MP3Play");
}

void MusicPlayer::BGM_WavPlay() {
  if (port_.waveOutDevices() <= 0) return;
  LastApiResult = port_.playSound(&settings::BGMFile, BgmSndAsync | BgmSndNoDefault | BgmSndLoop);
}

void MusicPlayer::BGM_WavStop() { LastApiResult = port_.playSound(nullptr, 0); }

}  // namespace music
