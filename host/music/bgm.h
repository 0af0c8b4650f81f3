// Swirlbloom_BGM: the background music. Audio CD and MP3 through MCI command strings, with the
// periodic checks the session calls on its timers, and looped WAV playback. Every system call
// goes through the seam in bgm_system.h; reads BGMFile and BGMRepeatTrack (host/settings.h).
#pragma once

#include <cstdint>
#include <string>

// True while the CD status queries succeed; the session mirrors it into its CD timer.
extern bool BGM_CDAlive;

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
