// The settings file through the system profile calls (kernel32), the existence test of the
// music file, the program-folder based path and the file steps of an all-or-nothing save.
// Text and paths cross to the ANSI code page through host/ui/text.h (a Unicode settings file
// goes through the wide profile calls); the decisions of the loader are in settings_rules.cpp,
// the order of the save's steps in the settings dialog's rules.
#include "host/settings/settings.h"

#include "common/last_api_result.h"
#include "host/settings/settings_rules.h"
#include "host/ui/program_folder.h"
#include "host/ui/text.h"

#include <windows.h>

namespace settings {

SettingsSystem& settingsCalls() {
  static SettingsSystem calls;
  return calls;
}

std::wstring SettingsPath() { return settingsPathIn(settingsCalls().programFolder()); }

namespace {

// The profile calls read and write a file that begins with a byte order mark as Unicode, and
// their ANSI forms turn key names into characters through the system's code page: the code
// page 932 bytes of the Japanese keys then name other keys on any other system, and a save
// adds those. Such a file is read and written through the wide calls, keys and values as the
// characters they are; a file without one keeps its code page 932 key bytes.
bool unicodeProfile(const std::string& file) {
  const HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  char start[3] = {};
  DWORD got = 0;
  const bool read = ReadFile(handle, start, sizeof start, &got, nullptr);
  CloseHandle(handle);
  return read && profileTextUnicode(std::string(start, got));
}

}  // namespace

std::wstring ReadIniValue(const std::wstring& section, const std::wstring& key, const std::wstring& path) {
  constexpr uint32_t size = 256;
  const std::string file = ui::ansiPath(path);
  if (file.empty()) return std::wstring();  // no form of the path the call can take: as a missing file
  if (unicodeProfile(file)) {
    wchar_t wide[size + 1] = {};
    GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", wide, size, ui::fromAnsi(file).c_str());
    return wide;
  }
  // One byte beyond what the call may fill, so the text always ends even if it does not.
  char buffer[size + 1] = {};
  settingsCalls().getPrivateProfileString(ui::toAnsi(section).c_str(), ui::toCodePage(key, SettingsKeyCodePage).c_str(),
                                          "", buffer, size, file.c_str());
  return ui::fromAnsi(buffer);
}

std::wstring WriteIniValue(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                           const std::wstring& path) {
  const std::string file = ui::ansiPath(path);
  if (file.empty()) {
    LastApiResult = 0;  // a failed write; the last error says why
    return std::wstring();
  }
  // An empty value must stay "" (never null), or the call would delete the key.
  if (unicodeProfile(file)) {
    LastApiResult = WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), ui::fromAnsi(file).c_str());
    return std::wstring();
  }
  LastApiResult = settingsCalls().writePrivateProfileString(ui::toAnsi(section).c_str(),
                                                            ui::toCodePage(key, SettingsKeyCodePage).c_str(),
                                                            ui::toAnsi(value).c_str(), file.c_str());
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
  loadSettingsFrom(file);
}

// ---- the file steps of a save; each helper returns 0 or the system's error code ----

namespace {

// While a save swaps the files, the settings file itself waits under this name beside them;
// like the copy, it is left only by an interrupted save, and the uninstaller's removal of the
// settings removes it too.
constexpr wchar_t KeptFileName[] = L"Swirlbloom.old";

std::wstring besideFile(const std::wstring& path, const wchar_t* name) {
  const size_t slash = path.find_last_of(L'\\');
  return (slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1)) + name;
}

// What an interrupted save left under `name` goes, whatever it is: a read-only file, or the
// empty folder something else made there. Anything that stays is the caller's error.
uint32_t clearLeftover(const std::wstring& name) {
  const DWORD attributes = GetFileAttributesW(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
  if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(name.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  const BOOL gone = (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)
                        ? RemoveDirectoryW(name.c_str())
                        : DeleteFileW(name.c_str());
  return gone ? 0 : GetLastError();
}

// `path` can be written, or created where it is missing (it is then removed again), and its
// folder has room for a copy and its rewrite.
uint32_t checkSettingsWritable(const std::wstring& path) {
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

// `copy` becomes a copy of `path`, or an empty file where `path` does not exist. The copy is
// made anew first, so that a folder that takes no new file tells itself apart.
uint32_t copySettingsFile(const std::wstring& path, const std::wstring& copy, bool& folderRefused) {
  folderRefused = false;
  if (const uint32_t error = clearLeftover(copy)) return error;
  const HANDLE file = CreateFileW(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    folderRefused = error == ERROR_ACCESS_DENIED && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    return error;
  }
  CloseHandle(file);
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return 0;
  return CopyFileW(path.c_str(), copy.c_str(), FALSE) ? 0 : GetLastError();
}

// The profile writer does not report a full disk and leaves the file cut mid-line: its first
// and last two bytes tell (see profileTextWhole).
uint32_t checkSettingsComplete(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  LARGE_INTEGER size{};
  char start[2] = {}, end[2] = {};
  DWORD startRead = 0, endRead = 0;
  bool read = GetFileSizeEx(file, &size) && ReadFile(file, start, 2, &startRead, nullptr);
  if (read && size.QuadPart > 0) {
    LARGE_INTEGER at{};
    at.QuadPart = size.QuadPart < 2 ? 0 : size.QuadPart - 2;
    read = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ReadFile(file, end, 2, &endRead, nullptr);
  }
  CloseHandle(file);
  if (!read) return ERROR_READ_FAULT;
  return profileTextWhole(std::string(start, startRead), std::string(end, endRead)) ? 0 : ERROR_DISK_FULL;
}

// `target` gets the bytes of `source`, in place: the same file, with its permissions, owner and
// other names.
uint32_t writeInto(const std::wstring& source, const std::wstring& target) {
  const HANDLE in = CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  if (in == INVALID_HANDLE_VALUE) return GetLastError();
  const HANDLE out = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  uint32_t error = out == INVALID_HANDLE_VALUE ? GetLastError() : 0;
  char buffer[16384];
  DWORD got = 0;
  while (!error) {
    if (!ReadFile(in, buffer, sizeof buffer, &got, nullptr)) error = GetLastError();
    if (error || got == 0) break;
    DWORD put = 0;
    if (!WriteFile(out, buffer, got, &put, nullptr)) {
      error = GetLastError();
    } else if (put != got) {
      error = ERROR_DISK_FULL;
    }
  }
  if (!error && !SetEndOfFile(out)) error = GetLastError();
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  CloseHandle(in);
  return error;
}

// The number of names `path` has; 0 where that cannot be told.
DWORD namesOf(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  return known ? info.nNumberOfLinks : 0;
}

// Renaming the copy onto the file makes the change at once, but the copy is a new file with
// the folder's default permissions (under Wine, the default Unix mode: a file of mode 600 or
// 664 would become 644) and no other names. So a file with no other name is first given a
// second one, the copy takes its place, the file gets the new bytes and then takes its name
// back: at every moment the name shows the old settings or the new ones, whole. The new bytes
// go into a file that the second name alone holds by then, so a full disk cuts only that name,
// which then goes. A file with other names (a hard link someone made, as a backup) is never
// written into, since a full disk would leave those names cut: it gets the plain rename, and
// keeps its old settings under them. So does a file system without hard links.
uint32_t replaceSettingsFile(const std::wstring& copy, const std::wstring& path) {
  constexpr DWORD replace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  const std::wstring kept = besideFile(path, KeptFileName);
  const bool keep =
      namesOf(path) == 1 && clearLeftover(kept) == 0 && CreateHardLinkW(kept.c_str(), path.c_str(), nullptr);
  if (!MoveFileExW(copy.c_str(), path.c_str(), replace)) {
    const DWORD error = GetLastError();
    if (keep) DeleteFileW(kept.c_str());
    return error;
  }
  // The new settings are in place; what follows only gives the file back its identity. A file
  // that was given another name since the count is not written into either.
  if (keep && (namesOf(kept) != 1 || writeInto(path, kept) != 0 || !MoveFileExW(kept.c_str(), path.c_str(), replace))) {
    // Left behind, the second name could hold a cut file: that is a failed save.
    if (!DeleteFileW(kept.c_str())) {
      const DWORD error = GetLastError();
      if (GetFileAttributesW(kept.c_str()) != INVALID_FILE_ATTRIBUTES) return error;
    }
  }
  return 0;
}

// The path a handle to `path` ends at, with links followed; `path` where it cannot be opened.
std::wstring finalPathOf(const std::wstring& path) {
  const HANDLE file = CreateFileW(ui::widePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return path;
  std::wstring final(MAX_PATH, L'\0');
  DWORD length = GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()), FILE_NAME_NORMALIZED);
  if (length >= final.size()) {
    final.assign(length, L'\0');
    length = GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()), FILE_NAME_NORMALIZED);
  }
  CloseHandle(file);
  if (length == 0 || length >= final.size()) return path;
  final.resize(length);
  // "\\?\C:\..." and "\\?\UNC\server\share\...": the plain forms the rest of the program uses.
  if (final.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + final.substr(8);
  if (final.rfind(L"\\\\?\\", 0) == 0) return final.substr(4);
  return final;
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

std::wstring SettingsFile::finalPath(const std::wstring& path) { return finalPathOf(path); }

// The file steps take the wide calls' form of each path (ui::widePath): a folder too long for
// the ANSI calls is too long for the plain wide ones on Windows as well.
bool SettingsFile::checkWritable(const std::wstring& path) { return step(checkSettingsWritable(ui::widePath(path))); }

bool SettingsFile::makeCopy(const std::wstring& path, const std::wstring& copy) {
  return step(copySettingsFile(ui::widePath(path), ui::widePath(copy), folderRefused_));
}

int32_t SettingsFile::writeValue(const wchar_t* key, const std::wstring& value, const std::wstring& file) {
  WriteIniValue(SettingsSection, key, value, file);
  lastError_ = LastApiResult ? 0 : GetLastError();
  return LastApiResult;
}

bool SettingsFile::complete(const std::wstring& file) { return step(checkSettingsComplete(ui::widePath(file))); }

bool SettingsFile::replaceWith(const std::wstring& copy, const std::wstring& path) {
  return step(replaceSettingsFile(ui::widePath(copy), ui::widePath(path)));
}

void SettingsFile::removeFile(const std::wstring& path) { DeleteFileW(ui::widePath(path).c_str()); }

std::wstring SettingsFile::reason(uint32_t error) { return ui::systemErrorText(error); }

}  // namespace settings
