// The program folder and argument text rules; plain string work, built in every preset.
#include "host/ui/ui_rules.h"

namespace ui {

std::wstring folderOfModulePath(const std::wstring& modulePath) {
  const size_t slash = modulePath.find_last_of(L'\\');
  if (slash == std::wstring::npos) return std::wstring();
  std::wstring folder = modulePath.substr(0, slash);
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';  // "C:" alone would mean "current folder on C:"
  return folder;
}

std::wstring argumentText(const std::wstring& commandLine) {
  size_t i = 0;
  const size_t n = commandLine.size();
  if (n > 0 && commandLine[0] == L'"') {
    i = commandLine.find(L'"', 1);
    i = (i == std::wstring::npos) ? n : i + 1;
  } else {
    while (i < n && commandLine[i] != L' ' && commandLine[i] != L'\t') ++i;
  }
  while (i < n && (commandLine[i] == L' ' || commandLine[i] == L'\t')) ++i;
  return commandLine.substr(i);
}

}  // namespace ui
