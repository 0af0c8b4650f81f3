// The system calls behind the settings file, as replaceable function pointers so that tests
// see exactly which bytes the program hands to the profile calls. Windows builds only.
#pragma once

#include <cstdint>
#include <string>

struct SettingsSystem {
  // GetPrivateProfileStringA / WritePrivateProfileStringA, byte for byte.
  uint32_t (*getProfileString)(const char* section, const char* key, const char* fallback, char* buffer,
                               uint32_t size, const char* path);
  int32_t (*writeProfileString)(const char* section, const char* key, const char* value, const char* path);
  std::wstring (*programFolder)();
};

// The calls in use; tests change the members and put the old ones back.
SettingsSystem& SettingsCalls();
// The real calls, for a test that wraps them.
const SettingsSystem& SettingsRealCalls();

// The code page the key names are sent in, whatever the system's ANSI code page: the names
// are Japanese and a file must read the same on every system.
constexpr unsigned SettingsKeyCodePage = 932;
