// The running program's argument text. Depends on kernel32 (GetCommandLineA).
#include "host/ui/command_line.h"

#include <windows.h>

#include "host/ui/text.h"

namespace ui {

std::wstring commandArguments() { return argumentText(fromAnsi(GetCommandLineA())); }

}  // namespace ui
