// The platform-free half of the settings: the number rule of the file, the settings path
// builder and the loader's decisions, with the file and the file system reached through a
// small interface. settings.cpp plugs in the profile calls; tests plug in a table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

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
