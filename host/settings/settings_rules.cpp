// The settings variables and the platform-free rules of the settings file: the number form,
// the path helpers, the loader and when a written file is whole. No system call here; the loader reaches the file through
// SettingsLoadPort (settings_rules.h).
#include "host/settings/settings_rules.h"

#include "common/text_rules.h"

#include <cmath>
#include <cstdlib>

namespace settings {

// The host-wide settings state, alive for the whole process.
int16_t BGMKind = 0;
int16_t BGMRepeatTrack = 0;
std::wstring BGMFile;
std::wstring BGMFolder;

const wchar_t SettingsSection[] = L"Section";
const wchar_t KeyKind[] = L"BGM区分";
const wchar_t KeyRepeat[] = L"BGMﾘﾋﾟｰﾄ";
const wchar_t KeyFile[] = L"BGMﾌｧｲﾙ";

namespace {

// Runs one loader step; a step that fails is skipped and the next one still runs.
template <typename Step>
void skipOnFailure(Step step) {
  try {
    step();
  } catch (...) {
  }
}

}  // namespace

std::optional<double> parseDecimal(const std::wstring& text) {
  return text::scanDecimal(text, text::NumberSpan::Whole);
}

std::optional<int16_t> parseIniNumber(const std::wstring& text) {
  const auto number = parseDecimal(text);
  if (!number) return std::nullopt;
  const double value = std::floor(*number);
  if (!(value >= -32768.0 && value <= 32767.0)) return std::nullopt;  // also rejects inf
  return static_cast<int16_t>(value);
}

std::wstring formatIniNumber(int value) {
  const std::wstring digits = std::to_wstring(value);
  return value < 0 ? digits : L" " + digits;
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t last = path.find_last_of(L":\\");
  std::wstring folder = last == std::wstring::npos ? std::wstring() : path.substr(0, last + 1);
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder;
}

bool profileTextWhole(const std::string& start, const std::string& end) {
  if (end.empty()) return false;
  if (start.rfind("\xFF\xFE", 0) == 0) return end == std::string("\n\0", 2);  // UTF-16, little end first
  if (start.rfind("\xFE\xFF", 0) == 0) return end == std::string("\0\n", 2);  // UTF-16, big end first
  return end.back() == '\n';
}

bool profileTextUnicode(const std::string& start) {
  return start.rfind("\xFF\xFE", 0) == 0 || start.rfind("\xFE\xFF", 0) == 0 || start.rfind("\xEF\xBB\xBF", 0) == 0;
}

std::wstring settingsPathIn(const std::wstring& folder) {
  // A drive root is reported as "C:\", so the path then holds two backslashes in a row; the
  // profile calls accept that, and the file stays where earlier versions put it.
  return folder + L"\\Swirlbloom.ini";
}

void loadSettingsFrom(SettingsLoadPort& file) {
  auto readNumber = [&](const wchar_t* key, int16_t& variable) {
    const std::wstring text = file.read(key);
    if (text.empty()) {
      variable = 0;
    } else if (const auto number = parseIniNumber(text)) {
      variable = *number;
    }
  };
  skipOnFailure([&] { readNumber(KeyKind, BGMKind); });
  skipOnFailure([&] { readNumber(KeyRepeat, BGMRepeatTrack); });
  skipOnFailure([&] { BGMFolder = file.programFolder(); });
  skipOnFailure([&] {
    const std::wstring stored = file.read(KeyFile);
    if (stored.empty()) {
      BGMFile.clear();
      if (BGMKind == 2) BGMKind = 0;
      return;
    }
    BGMFile = stored;
    if (file.fileExists(BGMFile)) {
      BGMFolder = FolderOf(BGMFile);
    } else {
      BGMFile.clear();
      if (BGMKind == 2) BGMKind = 0;
    }
  });
}

}  // namespace settings
