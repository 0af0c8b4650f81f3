// The test replay without a page: the scene with a fixed seed and scripted frame times, drawn
// into the browser backend's recorder, then the simulation's checksum on stdout. Built
// natively and with emscripten for node, so the browser's checksum can be compared with both.
// Usage: web_replay "?seed=N&steps=A,B,...&frames=N"
#include <cstdio>

#include "renderer/confetti/replay_rules.h"
#include "renderer/scene/gl_api.h"
#include "renderer/scene/scene.h"
#include "renderer/scene_hooks.h"
#include "renderer/web/web_rules.h"
#include "renderer/web/webgl_rules.h"

namespace {
uint32_t clockMillis = 0;
}  // namespace

extern "C" uint32_t timeGetTime() { return clockMillis; }

int main(int argc, char** argv) {
  const WebReplay replay = parseReplayQuery(argc > 1 ? argv[1] : "");
  if (!replay.on) {
    std::fprintf(stderr, "web_replay: %s\n", replay.error.empty() ? "no replay given" : replay.error.c_str());
    return 2;
  }
  startReplay(replay.seed);
  resizeViewport(SceneWidth, SceneHeight);
  for (int frame = 0; frame < replay.frames; ++frame) {
    clockMillis = replayMillis(replay, frame);
    if (frame == 0) startScene();
    drawNextFrame();
    glBatch.startFrame();
  }
  std::printf("%s\n", simulationChecksum().c_str());
  return 0;
}
