// The platform-free half of the settings: the variables that hold the user's choices while
// the host runs, the key names, the number rule of the file, the path helpers and the
// loader's decisions, with the file and the file system reached through SettingsLoadPort,
// and the file steps a save is made of (SettingsSavePort). settings.cpp answers both ports
// with the real file; tests answer them with tables.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace settings {

extern int16_t BGMKind;          // 0 none, 1 audio CD, 2 music file
extern int16_t BGMRepeatTrack;   // CD track to keep repeating, 0 none
extern std::wstring BGMFile;     // full path of the MP3 or WAV file
extern std::wstring BGMFolder;   // where the music-file chooser opens

extern const wchar_t SettingsSection[];  // L"Section"
extern const wchar_t KeyKind[];          // L"BGM区分"
extern const wchar_t KeyRepeat[];        // L"BGMﾘﾋﾟｰﾄ"
extern const wchar_t KeyFile[];          // L"BGMﾌｧｲﾙ"

// " 2", " 0", "-1": the written form of the two numbers.
std::wstring formatIniNumber(int value);

// "C:\Music\a.mp3" -> "C:\Music", "C:\a.mp3" -> "C:", "a.mp3" -> "".
// A drive root gives "C:" here, while ui::folderOfModulePath keeps "C:\": both on purpose.
std::wstring FolderOf(const std::wstring& path);

// Plain decimal text (sign, digits, one point, exponent) with blanks around it; nothing for
// anything else.
std::optional<double> parseDecimal(const std::wstring& text);

// A stored number: a decimal number with blanks around it, rounded down. Nothing for text
// that is not a number or lies outside -32768..32767.
std::optional<int16_t> parseIniNumber(const std::wstring& text);

// `folder` exactly as reported, followed by "\Swirlbloom.ini".
std::wstring settingsPathIn(const std::wstring& folder);

// What the loader reads the file and the file system through.
class SettingsLoadPort {
 public:
  virtual ~SettingsLoadPort() = default;
  virtual std::wstring read(const std::wstring& key) = 0;  // section "Section" of the file
  virtual bool fileExists(const std::wstring& path) = 0;
  virtual std::wstring programFolder() = 0;
};

// The loader over the given file: fills BGMKind, BGMRepeatTrack, BGMFolder and BGMFile.
void loadSettingsFrom(SettingsLoadPort& file);

// A profile file the system's writer has finished ends with a line end in its own encoding:
// the profile calls read and write a file that begins with a UTF-16 byte order mark as UTF-16,
// whose line end is two bytes. `start` and `end` are the file's first and last (up to) two
// bytes; an empty file is not whole.
bool profileTextWhole(const std::string& start, const std::string& end);

// A profile file that begins with `start` (its first up to three bytes) holds Unicode text for
// the profile calls: a UTF-16 byte order mark, either way round, or UTF-8's.
bool profileTextUnicode(const std::string& start);

// The file steps of an all-or-nothing save (the settings dialog's confirmation, which decides
// their order). A step that reports failure leaves its system error code in lastError().
class SettingsSavePort {
 public:
  virtual ~SettingsSavePort() = default;
  // The settings file's full path, as the program folder gives it.
  virtual std::wstring settingsPath() = 0;
  // The file a save must change for `path`: the file a link leads to, or `path` itself.
  virtual std::wstring finalPath(const std::wstring& path) = 0;
  // The file can be written, or created where it is missing, with room for a copy beside it;
  // a missing file stays missing.
  virtual bool checkWritable(const std::wstring& path) = 0;
  // `copy` becomes a copy of `path`, or an empty file where there is no `path` yet, whatever
  // an interrupted save left under its name (a read-only file, an empty folder).
  virtual bool makeCopy(const std::wstring& path, const std::wstring& copy) = 0;
  // The last makeCopy failed only because the folder takes no new file.
  virtual bool folderRefusedCopy() = 0;
  // WriteIniValue into section "Section" of `file`; the profile call's result (0: failed).
  virtual int32_t writeValue(const wchar_t* key, const std::wstring& value, const std::wstring& file) = 0;
  // The file holds the whole text (the profile writer does not tell a full disk).
  virtual bool complete(const std::wstring& file) = 0;
  // `copy` takes the place of `path` at once, and `path` keeps its permissions.
  virtual bool replaceWith(const std::wstring& copy, const std::wstring& path) = 0;
  virtual void removeFile(const std::wstring& path) = 0;
  virtual uint32_t lastError() = 0;                 // of the step that failed last
  virtual std::wstring reason(uint32_t error) = 0;  // the system's text for it; may be empty
};

}  // namespace settings
