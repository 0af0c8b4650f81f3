// The settings file through the system profile calls (kernel32), the existence test of the
// music file, the program-folder based path and the file steps of an all-or-nothing save.
// Text crosses to the ANSI code page through host/ui/text.h; the decisions of the loader are
// in settings_rules.cpp, the order of the save's steps in the settings dialog's rules.
#include "host/settings/settings.h"
#include "host/settings/settings_rules.h"
#include "host/ui/program_folder.h"
#include "host/ui/text.h"

#include <windows.h>

SettingsSystem& settingsCalls() {
  static SettingsSystem calls;
  return calls;
}

std::wstring SettingsPath() { return SettingsPathIn(settingsCalls().programFolder()); }

std::wstring ReadIniValue(const std::wstring& section, const std::wstring& key, const std::wstring& path) {
  constexpr uint32_t size = 256;
  // One byte beyond what the call may fill, so the text always ends even if it does not.
  char buffer[size + 1] = {};
  settingsCalls().getPrivateProfileString(ui::toAnsi(section).c_str(), ui::toCodePage(key, SettingsKeyCodePage).c_str(),
                                          "", buffer, size, ui::toAnsi(path).c_str());
  return ui::fromAnsi(buffer);
}

std::wstring WriteIniValue(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                           const std::wstring& path) {
  // An empty value must stay "" (never null), or the call would delete the key.
  LastApiResult = settingsCalls().writePrivateProfileString(ui::toAnsi(section).c_str(),
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
  // Device names ("NUL", "CON", "COM1.wav" in any folder) open as well; only a disk file is one.
  const bool onDisk = GetFileType(file) == FILE_TYPE_DISK;
  CloseHandle(file);
  return onDisk;
}

void LoadSettings() {
  SettingsFile file;
  LoadSettingsFrom(file);
}

// ---- the file steps of a save; each helper returns 0 or the system's error code ----

namespace {

// `path` can be written, or created where it is missing (it is then removed again), and its
// folder has room for a copy and its rewrite.
uint32_t CheckSettingsWritable(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
  LARGE_INTEGER size{};
  GetFileSizeEx(file, &size);
  CloseHandle(file);
  if (created) DeleteFileW(path.c_str());
  const size_t slash = path.find_last_of(L'\\');
  const std::wstring folder = slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash + 1);
  ULARGE_INTEGER free{};
  // The copy, and its rewrite with the new values, with a few blocks to spare.
  const unsigned long long needed = 2ULL * static_cast<unsigned long long>(size.QuadPart) + 8192;
  if (GetDiskFreeSpaceExW(folder.c_str(), &free, nullptr, nullptr) && free.QuadPart < needed) return ERROR_DISK_FULL;
  return 0;
}

// `copy` becomes a copy of `path`, or an empty file where `path` does not exist.
uint32_t CopySettingsFile(const std::wstring& path, const std::wstring& copy) {
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    return CopyFileW(path.c_str(), copy.c_str(), FALSE) ? 0 : GetLastError();
  }
  const HANDLE file = CreateFileW(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  CloseHandle(file);
  return 0;
}

// The profile writer does not report a full disk and leaves the file cut mid-line: a whole
// file ends with its last line's end.
uint32_t CheckSettingsComplete(const std::wstring& copy) {
  const HANDLE file = CreateFileW(copy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  LARGE_INTEGER size{};
  char last = 0;
  DWORD read = 0;
  bool whole = GetFileSizeEx(file, &size) && size.QuadPart > 0;
  if (whole) {
    LARGE_INTEGER end{};
    end.QuadPart = size.QuadPart - 1;
    whole = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && ReadFile(file, &last, 1, &read, nullptr) &&
            read == 1 && last == '\n';
  }
  CloseHandle(file);
  return whole ? 0 : ERROR_DISK_FULL;
}

uint32_t ReplaceSettingsFile(const std::wstring& copy, const std::wstring& path) {
  return MoveFileExW(copy.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 0
                                                                                                     : GetLastError();
}

// FormatMessage's text for an error code, without the line end; empty for 0 or an unknown code.
std::wstring SystemErrorText(uint32_t error) {
  if (error == 0) return std::wstring();
  wchar_t* text = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring result = length && text ? std::wstring(text, length) : std::wstring();
  if (text) LocalFree(text);
  while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r' || result.back() == L' ')) {
    result.pop_back();
  }
  return result;
}

}  // namespace

std::wstring SettingsFile::read(const std::wstring& key) { return ReadIniValue(SettingsSection, key, SettingsPath()); }

bool SettingsFile::fileExists(const std::wstring& path) { return FileExists(path); }

std::wstring SettingsFile::programFolder() { return settingsCalls().programFolder(); }

std::wstring SettingsFile::settingsPath() { return SettingsPath(); }

bool SettingsFile::step(uint32_t error) {
  lastError_ = error;
  return error == 0;
}

bool SettingsFile::checkWritable(const std::wstring& path) { return step(CheckSettingsWritable(path)); }

bool SettingsFile::makeCopy(const std::wstring& path, const std::wstring& copy) {
  return step(CopySettingsFile(path, copy));
}

int32_t SettingsFile::writeValue(const wchar_t* key, const std::wstring& value, const std::wstring& file) {
  WriteIniValue(SettingsSection, key, value, file);
  lastError_ = LastApiResult ? 0 : GetLastError();
  return LastApiResult;
}

bool SettingsFile::copyComplete(const std::wstring& copy) { return step(CheckSettingsComplete(copy)); }

bool SettingsFile::replaceWith(const std::wstring& copy, const std::wstring& path) {
  return step(ReplaceSettingsFile(copy, path));
}

void SettingsFile::removeFile(const std::wstring& path) { DeleteFileW(path.c_str()); }

std::wstring SettingsFile::reason(uint32_t error) { return SystemErrorText(error); }
