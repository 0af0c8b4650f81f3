// The folder of the running program, the way the host's runtime reports it. Depends on
// kernel32 (GetModuleFileNameW).
#pragma once

#include <string>

namespace ui {

// No trailing backslash, except for a drive root, which keeps it ("C:\").
std::wstring programFolder();

// The same rule applied to a given module path (what programFolder does with its own).
std::wstring folderOfModulePath(const std::wstring& modulePath);

}  // namespace ui
