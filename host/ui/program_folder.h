// The folder of the running program, the way the host's runtime reports it. Depends on
// kernel32 (GetModuleFileNameW).
#pragma once

#include <string>

#include "host/ui/ui_rules.h"

namespace ui {

// folderOfModulePath of this program's own module: no trailing backslash, except for a drive
// root, which keeps it ("C:\"), unlike the settings' FolderOf.
std::wstring programFolder();

}  // namespace ui
