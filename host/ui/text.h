// The host keeps text as UTF-16 internally and uses the ANSI forms of the system calls; these
// are the only places where text crosses that line. Depends on kernel32 only.
#pragma once

#include <string>

namespace ui {

// Through the system's ANSI code page (what the "A" calls expect).
std::string toAnsi(const std::wstring& text);
std::wstring fromAnsi(const char* text);  // up to the first NUL; null gives empty
std::wstring fromAnsi(const std::string& bytes);  // up to the first NUL

// Through a fixed code page, whatever the system's: 932 keeps Japanese names byte-exact.
std::string toCodePage(const std::wstring& text, unsigned codePage);
std::wstring fromCodePage(const std::string& bytes, unsigned codePage);

}  // namespace ui
