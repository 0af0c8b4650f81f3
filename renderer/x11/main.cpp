// Entry point of `pomarel`, the Linux program and XScreenSaver module: reads where to draw from
// the command line and $XSCREENSAVER_WINDOW (x11_rules) and runs the scene in the X11 shell.
#include <cstdio>
#include <cstdlib>

#include "renderer/scene/gl_api.h"
#include "renderer/scene/scene.h"
#include "renderer/x11/x11.h"

extern "C" uint32_t timeGetTime() { return x11ClockMillis(); }

int main(int argc, char** argv) {
  const X11Arguments arguments = parseX11Arguments(argc, argv, std::getenv("XSCREENSAVER_WINDOW"));
  if (!arguments.ok) {
    std::fprintf(stderr, "pomarel: %s\n%s", arguments.error.c_str(), X11Usage);
    return 2;
  }
  if (arguments.options.help) {
    std::fputs(X11Usage, stdout);
    return 0;
  }
  return runX11Window(arguments.options, SceneHooks{resizeViewportKeepingShape, startScene, drawNextFrame});
}
