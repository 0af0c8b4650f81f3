// The settings file through the system's profile calls (kernel32): the path beside the
// program, reading and writing one value, the loader and the existence test of the music
// file. The variables and the platform-free rules are in settings_rules.h.
#pragma once

#include <cstdint>
#include <string>

#include "host/settings/settings_rules.h"

// The program folder followed by "\Swirlbloom.ini", built anew on every call.
std::wstring SettingsPath();

// Empty for a missing file, section or key; at most 255 bytes of the stored value.
std::wstring ReadIniValue(const std::wstring& section, const std::wstring& key, const std::wstring& path);

// Always returns empty; the call's result goes to LastApiResult and nothing else.
std::wstring WriteIniValue(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                           const std::wstring& path);

// Fills the four variables from the file; never writes it.
void LoadSettings();

bool FileExists(const std::wstring& path);

// The file calls of an all-or-nothing save; each returns 0 or the system's error code.
// `path` can be written, or created where it is missing (it is then removed again), and its
// folder has room for a copy and its rewrite.
uint32_t CheckSettingsWritable(const std::wstring& path);
// `copy` becomes a copy of `path`, or an empty file where `path` does not exist.
uint32_t CopySettingsFile(const std::wstring& path, const std::wstring& copy);
// The profile writer does not report a full disk and leaves the file cut mid-line: a whole
// file ends with its last line's end.
uint32_t CheckSettingsComplete(const std::wstring& copy);
uint32_t ReplaceSettingsFile(const std::wstring& copy, const std::wstring& path);
// FormatMessage's text for an error code, without the line end; empty for 0 or an unknown code.
std::wstring SystemErrorText(uint32_t error);

struct SettingsSystem {
  // GetPrivateProfileStringA / WritePrivateProfileStringA, byte for byte.
  uint32_t (*getProfileString)(const char* section, const char* key, const char* fallback, char* buffer,
                               uint32_t size, const char* path);
  int32_t (*writeProfileString)(const char* section, const char* key, const char* value, const char* path);
  std::wstring (*programFolder)();
};

// The calls in use. Tests swap them with ScopedSeam; one that wraps a real call keeps a copy
// of the struct from before the swap.
SettingsSystem& SettingsCalls();

// The code page the key names are sent in, whatever the system's ANSI code page: the names
// are Japanese and a file must read the same on every system.
constexpr unsigned SettingsKeyCodePage = 932;
