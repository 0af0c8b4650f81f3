// Draws one frame of the test replay the way the Linux program draws (its X11 shell, GLX and
// Mesa), reads it back and writes it as a binary PPM, printing the simulation's checksum: the
// reference the browser's picture and checksum are compared with. The frame times are set
// as the scene's own frame clock would measure them from the scripted counter.
// Usage: linux_frame "?seed=N&steps=A,B&frames=N" out.ppm   (on an X display)
#include <GL/gl.h>

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
  if (!openX11Window(X11Options{}, scene)) return 1;
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
  std::vector<unsigned char> rgb(static_cast<size_t>(X11Width) * X11Height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, X11Width, X11Height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  closeX11Window();
  FILE* out = std::fopen(argv[2], "wb");
  if (!out) return 1;
  std::fprintf(out, "P6\n%d %d\n255\n", X11Width, X11Height);
  for (int row = X11Height - 1; row >= 0; --row) {  // OpenGL's rows run bottom to top
    std::fwrite(rgb.data() + static_cast<size_t>(row) * X11Width * 3, 1, X11Width * 3u, out);
  }
  std::fclose(out);
  std::printf("%s\n", simulationChecksum().c_str());
  return 0;
}
