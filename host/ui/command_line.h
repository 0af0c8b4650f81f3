// The program's argument text: the command line without the program name, as the start
// routine and the session read it. The splitting rule is ui_rules' argumentText; the
// system's command line comes from kernel32 in command_line.cpp.
#pragma once

#include <string>

#include "host/ui/ui_rules.h"

namespace ui {

// This process's argument text (GetCommandLineA through the ANSI code page).
std::wstring commandArguments();

}  // namespace ui
