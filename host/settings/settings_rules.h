// The platform-free half of the settings: the variables that hold the user's choices while
// the host runs, the key names, the number rule of the file, the path helpers and the
// loader's decisions, with the file and the file system reached through SettingsStore.
// settings.cpp plugs in the profile calls; tests plug in a table.
#pragma once

#include <cstdint>
#include <optional>
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

// " 2", " 0", "-1": the written form of the two numbers.
std::wstring FormatIniNumber(int value);

// "C:\Music\a.mp3" -> "C:\Music", "C:\a.mp3" -> "C:", "a.mp3" -> "".
std::wstring FolderOf(const std::wstring& path);

// Plain decimal text (sign, digits, one point, exponent) with blanks around it; nothing for
// anything else.
std::optional<double> ParseDecimal(const std::wstring& text);

// A stored number: a decimal number with blanks around it, rounded down. Nothing for text
// that is not a number or lies outside -32768..32767.
std::optional<int16_t> ParseIniNumber(const std::wstring& text);

// `folder` exactly as reported, followed by "\Swirlbloom.ini".
std::wstring SettingsPathIn(const std::wstring& folder);

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::wstring read(const std::wstring& key) = 0;  // section "Section" of the file
  virtual bool fileExists(const std::wstring& path) = 0;
  virtual std::wstring programFolder() = 0;
};

// The loader over a given store: fills BGMKind, BGMRepeatTrack, BGMFolder and BGMFile.
void LoadSettingsFrom(SettingsStore& store);
