// The settings file through the system profile calls (kernel32), the existence test of the
// music file and the program-folder based path. Text crosses to the ANSI code page through
// host/ui/text.h; the decisions of the loader are in settings_rules.cpp.
#include "host/settings/settings.h"
#include "host/settings/settings_rules.h"
#include "host/ui/program_folder.h"
#include "host/ui/text.h"

#include <windows.h>

namespace {

uint32_t systemGetProfileString(const char* section, const char* key, const char* fallback, char* buffer,
                                uint32_t size, const char* path) {
  return GetPrivateProfileStringA(section, key, fallback, buffer, size, path);
}

int32_t systemWriteProfileString(const char* section, const char* key, const char* value, const char* path) {
  return WritePrivateProfileStringA(section, key, value, path);
}

// Constant-initialised, so a test's copy taken during start-up already holds the real calls.
SettingsSystem calls{systemGetProfileString, systemWriteProfileString, ui::programFolder};

class ProfileStore : public SettingsStore {
 public:
  std::wstring read(const std::wstring& key) override { return ReadIniValue(SettingsSection, key, SettingsPath()); }
  bool fileExists(const std::wstring& path) override { return FileExists(path); }
  std::wstring programFolder() override { return calls.programFolder(); }
};

}  // namespace

SettingsSystem& SettingsCalls() { return calls; }

std::wstring SettingsPath() { return SettingsPathIn(calls.programFolder()); }

std::wstring ReadIniValue(const std::wstring& section, const std::wstring& key, const std::wstring& path) {
  constexpr uint32_t size = 256;
  // One byte beyond what the call may fill, so the text always ends even if it does not.
  char buffer[size + 1] = {};
  calls.getProfileString(ui::toAnsi(section).c_str(), ui::toCodePage(key, SettingsKeyCodePage).c_str(), "", buffer,
                         size, ui::toAnsi(path).c_str());
  return ui::fromAnsi(buffer);
}

std::wstring WriteIniValue(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                           const std::wstring& path) {
  // An empty value must stay "" (never null), or the call would delete the key.
  LastApiResult = calls.writeProfileString(ui::toAnsi(section).c_str(),
                                           ui::toCodePage(key, SettingsKeyCodePage).c_str(),
                                           ui::toAnsi(value).c_str(), ui::toAnsi(path).c_str());
  return std::wstring();
}

bool FileExists(const std::wstring& path) {
  std::wstring name = path;
  if (!name.empty() && name.back() == L'\\') name.pop_back();
  if (name.empty()) return false;
  // A path on an empty removable drive must not bring up the system's "no disk" box.
  DWORD oldMode = 0;
  const BOOL modeSet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
  // Without FILE_FLAG_BACKUP_SEMANTICS a folder cannot be opened, which is what is wanted.
  const HANDLE file = CreateFileA(ui::toAnsi(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (modeSet) SetThreadErrorMode(oldMode, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

void LoadSettings() {
  ProfileStore store;
  LoadSettingsFrom(store);
}
