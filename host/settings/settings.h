// The settings file through the system's profile calls (kernel32): the path beside the
// program, reading and writing one value, the loader, the existence test of the music file,
// and SettingsFile, the one answer to the loader's and the save's ports. The variables and
// the platform-free rules are in settings_rules.h.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "host/settings/settings_rules.h"
#include "host/ui/program_folder.h"

namespace settings {

// The program folder followed by "\Swirlbloom.ini", built anew on every call.
std::wstring SettingsPath();

// Empty for a missing file, section or key; at most 255 bytes of the stored value (255
// characters in a file that begins with a byte order mark, which the wide calls read). The path
// reaches the call in a form it can take (ui::ansiPath); where there is none, empty as well.
std::wstring ReadIniValue(const std::wstring& section, const std::wstring& key, const std::wstring& path);

// Always returns empty; the call's result goes to LastApiResult and nothing else (0, with the
// last error set, where no form of the path fits the call).
std::wstring WriteIniValue(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                           const std::wstring& path);

// Fills the four variables from the file; never writes it.
void LoadSettings();

bool FileExists(const std::wstring& path);

// The settings file on disk as the loader reads it (section "Section" of SettingsPath) and as
// the settings dialog's save writes it, step by step.
class SettingsFile final : public SettingsLoadPort, public SettingsSavePort {
 public:
  std::wstring read(const std::wstring& key) override;
  bool fileExists(const std::wstring& path) override;
  std::wstring programFolder() override;

  std::wstring settingsPath() override;
  std::wstring finalPath(const std::wstring& path) override;
  bool checkWritable(const std::wstring& path) override;
  bool makeCopy(const std::wstring& path, const std::wstring& copy) override;
  bool folderRefusedCopy() override { return folderRefused_; }
  int32_t writeValue(const wchar_t* key, const std::wstring& value, const std::wstring& file) override;
  bool complete(const std::wstring& file) override;
  bool replaceWith(const std::wstring& copy, const std::wstring& path) override;
  void removeFile(const std::wstring& path) override;
  uint32_t lastError() override { return lastError_; }
  std::wstring reason(uint32_t error) override;

 private:
  bool step(uint32_t error);  // notes a file step's error code; true when there was none

  uint32_t lastError_ = 0;
  bool folderRefused_ = false;
};

// The settings module's system calls. Tests swap single calls with ScopedSeam to see what the
// profile calls are handed, or to put the program in a folder of their own; one that wraps a
// real call keeps a copy of the struct from before the swap.
struct SettingsSystem {
  decltype(&GetPrivateProfileStringA) getPrivateProfileString = GetPrivateProfileStringA;
  decltype(&WritePrivateProfileStringA) writePrivateProfileString = WritePrivateProfileStringA;
  std::wstring (*programFolder)() = ui::programFolder;
};
SettingsSystem& settingsCalls();

// The code page the key names are sent in to the ANSI calls, whatever the system's ANSI code
// page: the names are Japanese and a file must read the same on every system.
constexpr unsigned SettingsKeyCodePage = 932;

}  // namespace settings
