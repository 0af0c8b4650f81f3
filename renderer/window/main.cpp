// Entry point of Pomarel.dll, the renderer program (a GUI executable despite its name). The
// host starts it without arguments; nothing of the command line is read.
#include "renderer/window/window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return runRenderer(); }
