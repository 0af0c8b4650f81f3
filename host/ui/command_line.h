// The program's argument text: the command line without the program name, as the start
// routine and the session read it. The splitting rule is plain code (usable anywhere); the
// system's command line comes from kernel32 in command_line.cpp.
#pragma once

#include <string>

namespace ui {

// Drops the program name the way the C runtime finds argv[0] (quoted, or up to the first
// blank) and the blanks after it; the rest is returned untouched.
inline std::wstring argumentText(const std::wstring& commandLine) {
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

// This process's argument text (GetCommandLineA through the ANSI code page).
std::wstring commandArguments();

}  // namespace ui
