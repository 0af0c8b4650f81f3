// Draws one frame of the test replay the way the Linux program draws (its X11 shell, GLX and
// Mesa), reads it back and writes it as a binary PPM, printing the simulation's checksum: the
// reference the browser's picture and checksum are compared with. The frame times are set
// as the scene's own frame clock would measure them from the scripted counter. Given a size,
// it draws into a window of that size handed over as XScreenSaver hands over its own.
// Usage: linux_frame "?seed=N&steps=A,B&frames=N" out.ppm [WIDTHxHEIGHT]   (on an X display)
#include <GL/gl.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <vector>

#include "renderer/scene/gl_api.h"
#include "renderer/scene/scene.h"
#include "renderer/web/replay_rules.h"
#include "renderer/web/web_rules.h"
#include "renderer/x11/x11.h"

namespace {
uint32_t seed = 0;
uint32_t replaySeed() { return seed; }
}  // namespace

// The frame times come from the replay's script below; the counter only has to exist.
extern "C" uint32_t timeGetTime() { return 0; }

int main(int argc, char** argv) {
  const WebReplay replay = parseReplayQuery(argc > 1 ? argv[1] : "");
  if (!replay.on || argc < 3) {
    std::fprintf(stderr, "usage: linux_frame \"?seed=N&steps=A,B&frames=N\" out.ppm (%s)\n",
                 replay.error.c_str());
    return 2;
  }
  const SceneHooks scene{resizeViewportKeepingShape, renderNextFrame};  // as main.cpp
  int width = X11Width, height = X11Height;
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
  if (!pumpX11Events(scene)) return 1;  // mapped
  seed = replay.seed;
  calendarSeconds = replaySeed;
  for (int frame = 0; frame < replay.frames; ++frame) {
    if (sceneTime == 0.0) {
      initGraphics();
      setupScene();
      startSceneClock();
    }
    const uint32_t elapsed = frame ? replayMillis(replay, frame) - replayMillis(replay, frame - 1) : 0;
    frameSeconds = static_cast<double>(elapsed) * 0.001;
    drawFrame();
    advanceSceneClock();
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
