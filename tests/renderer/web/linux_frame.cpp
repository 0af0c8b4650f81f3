// Draws one frame of the test replay the way the Linux program draws (its X11 shell, GLX and
// Mesa), reads it back and writes it as a binary PPM, printing the simulation's checksum: the
// reference the browser's picture and checksum are compared with. The scene's counter follows
// the replay's script, as in the browser. Given a size,
// it draws into a window of that size handed over as XScreenSaver hands over its own.
// Usage: linux_frame "?seed=N&steps=A,B&frames=N" out.ppm [WIDTHxHEIGHT]   (on an X display)
#include <GL/gl.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <vector>

#include "renderer/confetti/replay_rules.h"
#include "renderer/scene/gl_api.h"
#include "renderer/scene/scene.h"
#include "renderer/web/web_rules.h"
#include "renderer/x11/x11.h"

namespace {
uint32_t clockMillis = 0;
}  // namespace

extern "C" uint32_t timeGetTime() { return clockMillis; }

int main(int argc, char** argv) {
  const WebReplay replay = parseReplayQuery(argc > 1 ? argv[1] : "");
  if (!replay.on || argc < 3) {
    std::fprintf(stderr, "usage: linux_frame \"?seed=N&steps=A,B&frames=N\" out.ppm (%s)\n",
                 replay.error.c_str());
    return 2;
  }
  const SceneHooks scene{resizeViewportKeepingShape, startScene, drawNextFrame};  // as main.cpp
  int width = SceneWidth, height = SceneHeight;
  X11Options options;
  Display* own = nullptr;
  if (argc > 3) {
    if (std::sscanf(argv[3], "%dx%d", &width, &height) != 2 || width < 1 || height < 1) return 2;
    own = XOpenDisplay(nullptr);
    if (!own) return 1;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;  // as XScreenSaver's: no window manager's frame
    options.target = DrawTarget::GivenWindow;
    options.windowId = static_cast<uint32_t>(
        XCreateWindow(own, DefaultRootWindow(own), 0, 0, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                      CWOverrideRedirect, &attributes));
    XMapWindow(own, options.windowId);
    XSync(own, False);
  }
  if (!openX11Window(options, scene)) return 1;
  if (!pumpX11Window()) return 1;  // mapped
  startReplay(replay.seed);
  for (int frame = 0; frame < replay.frames; ++frame) {
    clockMillis = replayMillis(replay, frame);
    if (frame == 0) scene.start();
    scene.frame();
  }
  std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  closeX11Window();
  if (own) XCloseDisplay(own);
  FILE* out = std::fopen(argv[2], "wb");
  if (!out) return 1;
  std::fprintf(out, "P6\n%d %d\n255\n", width, height);
  for (int row = height - 1; row >= 0; --row) {  // OpenGL's rows run bottom to top
    std::fwrite(rgb.data() + static_cast<size_t>(row) * width * 3, 1, width * 3u, out);
  }
  std::fclose(out);
  std::printf("%s\n", simulationChecksum().c_str());
  return 0;
}
