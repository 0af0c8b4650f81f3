// The user's settings: the variables that hold them while the host runs, the profile file
// beside the program that keeps them, and the path helpers used with the music file.
// Platform-free parts live in settings_core.cpp; the profile calls in settings.cpp (kernel32).
#pragma once

#include <cstdint>
#include <string>

extern int16_t BGMKind;          // 0 none, 1 audio CD, 2 music file
extern int16_t BGMRepeatTrack;   // CD track to keep repeating, 0 none
extern std::wstring BGMFile;     // full path of the MP3 or WAV file
extern std::wstring BGMFolder;   // where the music-file chooser opens
extern int32_t LastApiResult;    // result of the last recorded system call

extern const wchar_t SettingsSection[];  // L"Section"
extern const wchar_t KeyKind[];          // L"BGM区分"
extern const wchar_t KeyRepeat[];        // L"BGMﾘﾋﾟｰﾄ"
extern const wchar_t KeyFile[];          // L"BGMﾌｧｲﾙ"

// The program folder followed by "\Swirlbloom.ini", built anew on every call.
std::wstring SettingsPath();

// Empty for a missing file, section or key; at most 255 bytes of the stored value.
std::wstring ReadIniValue(const std::wstring& section, const std::wstring& key, const std::wstring& path);

// Always returns empty; the call's result goes to LastApiResult and nothing else.
std::wstring WriteIniValue(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                           const std::wstring& path);

// " 2", " 0", "-1": the written form of the two numbers.
std::wstring FormatIniNumber(int value);

// Fills the four variables from the file; never writes it.
void LoadSettings();

bool FileExists(const std::wstring& path);

// "C:\Music\a.mp3" -> "C:\Music", "C:\a.mp3" -> "C:", "a.mp3" -> "".
std::wstring FolderOf(const std::wstring& path);
