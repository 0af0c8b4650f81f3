// A simulated multimedia system for the music module: an audio CD drive that answers the MCI
// strings the module sends, an MP3 alias with a settable mode, and a recording sound player.
// Every call is logged with its reply capacity. Header-only; needs host/music/music_rules.h.
#pragma once

#include <cstdio>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "host/music/music_rules.h"

namespace music {

struct SentCommand {
  std::wstring text;
  uint32_t capacity;
};

struct PlayedSound {
  std::optional<std::wstring> name;
  uint32_t flags;
};

class SimSystem : public MusicPort {
 public:
  // MCI codes the simulation answers with (the system's values).
  static constexpr uint32_t InvalidDeviceName = 263;
  static constexpr uint32_t CannotLoadDriver = 266;
  static constexpr uint32_t OutOfRange = 282;
  static constexpr uint32_t BadTimeFormat = 290;

  // The drive.
  bool discPresent = true;
  int tracks = 10;
  int track = 1;
  bool playing = false;
  bool opened = false;
  std::optional<std::wstring> currentTrackReply;  // overrides the track number's answer
  std::map<std::wstring, uint32_t> failing;        // commands that fail with the given code

  // The MP3 alias.
  bool mp3OpenFails = false;
  std::wstring mp3Mode = L"playing";

  // The sound side.
  int32_t waveDevices = 2;
  int32_t playSoundResult = 1;
  bool errorTexts = true;

  std::vector<SentCommand> sent;
  std::vector<PlayedSound> sounds;
  std::vector<uint32_t> errorCapacities;

  // The disc moves on to the next track, or stops after the last one.
  void trackEnds() {
    if (track < tracks) {
      ++track;
    } else {
      playing = false;
    }
  }

  std::vector<std::wstring> commands() const {
    std::vector<std::wstring> out;
    for (const auto& c : sent) out.push_back(c.text);
    return out;
  }
  std::vector<std::wstring> commandsStartingWith(const std::wstring& prefix) const {
    std::vector<std::wstring> out;
    for (const auto& c : sent) {
      if (c.text.compare(0, prefix.size(), prefix) == 0) out.push_back(c.text);
    }
    return out;
  }

  static std::wstring tmsf(int track) {
    wchar_t text[16];
    std::swprintf(text, 16, L"%02d:00:00:00", track);
    return text;
  }

  uint32_t sendString(const std::wstring& command, std::wstring* reply, uint32_t capacity) override {
    sent.push_back({command, capacity});
    const auto fail = failing.find(command);
    if (fail != failing.end()) return fail->second;
    std::wstring answer;
    const uint32_t code = answerFor(command, answer);
    if (reply) *reply = answer.substr(0, capacity ? capacity - 1 : 0);
    return code;
  }

  bool errorString(uint32_t code, std::wstring& text, uint32_t capacity) override {
    errorCapacities.push_back(capacity);
    if (!errorTexts) return false;
    text = L"error text " + std::to_wstring(code);
    return true;
  }

  int32_t playSound(const std::wstring* name, uint32_t flags) override {
    sounds.push_back({name ? std::optional<std::wstring>(*name) : std::nullopt, flags});
    return playSoundResult;
  }

  int32_t waveOutDevices() override { return waveDevices; }

 private:
  uint32_t answerFor(const std::wstring& command, std::wstring& answer) {
    const std::wstring positionQuery = L"status cdaudio position track ";
    if (command == L"open cdaudio") {
      if (!discPresent) return CannotLoadDriver;
      opened = true;
      return 0;
    }
    if (command.find(L"cdaudio") != std::wstring::npos && !opened) return InvalidDeviceName;
    if (command == L"set cdaudio time format tmsf" || command == L"stop cdaudio") {
      if (command == L"stop cdaudio") playing = false;
      return 0;
    }
    if (command == L"close cdaudio") {
      opened = playing = false;
      return 0;
    }
    if (command == L"status cdaudio current track") {
      answer = currentTrackReply ? *currentTrackReply : std::to_wstring(track);
      return 0;
    }
    if (command == L"status cdaudio number of tracks") {
      answer = std::to_wstring(tracks);
      return 0;
    }
    if (command == L"status cdaudio mode") {
      answer = playing ? L"playing" : L"stopped";
      return 0;
    }
    if (command.compare(0, positionQuery.size(), positionQuery) == 0) {
      const int wanted = std::stoi(command.substr(positionQuery.size()));
      if (wanted < 1 || wanted > tracks) return OutOfRange;
      answer = tmsf(wanted);
      return 0;
    }
    if (command.compare(0, 12, L"play cdaudio") == 0) {
      // "play cdaudio" [from <tmsf>] [to <tmsf>]: plays on from where the disc is unless told.
      std::wistringstream words(command.substr(12));
      std::wstring word, position;
      int from = 0;
      while (words >> word >> position) {
        int wanted = 0;
        if (std::swscanf(position.c_str(), L"%d:00:00:00", &wanted) != 1) return BadTimeFormat;
        if (wanted < 1 || wanted > tracks) return OutOfRange;
        if (word == L"from") {
          from = wanted;
        } else if (word != L"to") {
          return InvalidDeviceName;
        }
      }
      if (!word.empty() && position.empty()) return InvalidDeviceName;
      if (from) track = from;
      playing = true;
      return 0;
    }
    const std::wstring mp3Open = L"\" type MPEGVideo Alias MP3Play";
    if (command.compare(0, 6, L"open \"") == 0 && command.size() > mp3Open.size() &&
        command.compare(command.size() - mp3Open.size(), mp3Open.size(), mp3Open) == 0) {
      return mp3OpenFails ? CannotLoadDriver : 0;
    }
    if (command == L"status MP3Play mode") {
      answer = mp3Mode;
      return 0;
    }
    if (command == L"stop MP3Play" || command == L"play MP3Play" || command == L"play MP3Play from 0" ||
        command == L"close MP3Play") {
      return mp3OpenFails ? InvalidDeviceName : 0;
    }
    return InvalidDeviceName;
  }
};

}  // namespace music
