// The host keeps text as UTF-16 internally and uses the ANSI forms of the system calls; these
// are the only places where text crosses that line, paths included (through their 8.3 forms
// where the ANSI ones cannot name them). Depends on kernel32 only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace ui {

// Through the system's ANSI code page (what the "A" calls expect).
std::string toAnsi(const std::wstring& text);
std::wstring fromAnsi(const char* text);  // up to the first NUL; null gives empty
std::wstring fromAnsi(const std::string& bytes);  // up to the first NUL

// Through a fixed code page, whatever the system's: 932 keeps Japanese names byte-exact.
std::string toCodePage(const std::wstring& text, unsigned codePage);
std::wstring fromCodePage(const std::string& bytes, unsigned codePage);

// What an ANSI call that takes a full path can be given for `path`: its ANSI form when that
// names the same path in fewer than MAX_PATH characters, else its 8.3 form when that does (for
// a file not made yet, its folder's 8.3 form and its own name). Empty when neither does, with
// the thread's last error saying why (ERROR_FILENAME_EXCED_RANGE, ERROR_INVALID_NAME, or why
// the 8.3 form could not be had).
std::string ansiPath(const std::wstring& path);

// What a wide call that takes a full path can be given for `path`: `path` itself while it is
// shorter than MAX_PATH; beyond that its "\\?\" form, the only one Windows takes there unless
// the program declares itself long-path aware (Wine takes both).
std::wstring widePath(const std::wstring& path);

// FormatMessage's text for a system error code, without its line end; empty for 0 or a code
// the system has no text for.
std::wstring systemErrorText(uint32_t error);

// The text module's system calls; tests swap single calls with ScopedSeam (a volume that
// keeps no 8.3 names answers with the long path).
struct TextSystem {
  decltype(&GetShortPathNameW) getShortPathName = GetShortPathNameW;
};
TextSystem& textCalls();

}  // namespace ui
