// Swirlbloom_B: the start routine of Pomarel.scr and the message loop the program then lives
// in. main.cpp calls these with the process's argument text; tests call them with their own.
#pragma once

#include <string>

#include "host/start/start_rules.h"

namespace preview { class PreviewWindow; }
namespace session { class SessionWindow; }

namespace start {

// Runs the start routine for `arguments` and says what the program does next.
AfterStart startProgram(const std::wstring& arguments);

// Pumps messages until the quit message; returns its exit code. A running preview also ends
// the loop, with 0, once its pane or its own window is gone, however that came about.
int runMessageLoop();

// The start module's state: PreviewRect and the two windows it may load.
struct StartModule {
  PreviewRectTwips PreviewRect;
  preview::PreviewWindow* Swirlbloom_R;
  session::SessionWindow* Swirlbloom_S;
};
StartModule& startModule();

}  // namespace start
