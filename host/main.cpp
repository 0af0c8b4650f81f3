// Entry point of Pomarel.scr: runs the start routine with the process's own argument text,
// then the message loop of the preview or the session, if either was started.
#include <windows.h>

#include "host/start/start.h"
#include "host/ui/command_line.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (start::startProgram(ui::commandArguments()) == start::AfterStart::End) return 0;
  return start::runMessageLoop();
}
