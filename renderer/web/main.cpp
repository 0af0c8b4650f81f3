// Entry point of the browser edition: the one place where the web layer meets the scene,
// which never include each other. The page passes its query string, from which only the test
// replay's seed, steps and frames are read, and "still" where it wants the reduced-motion still.
#include <cstdint>
#include <string>

#include "renderer/confetti/replay_rules.h"
#include "renderer/scene/gl_api.h"
#include "renderer/scene/scene.h"
#include "renderer/web/web.h"

namespace {

void announceChecksum() { announceWeb("replayChecksum", simulationChecksum().c_str()); }
void announceStill() { announceWeb("still", "drawn"); }

}  // namespace

extern "C" uint32_t timeGetTime() { return webClockMillis(); }

int main(int argc, char** argv) {
  const bool still = argc > 2 && std::string(argv[2]) == "still";
  const WebReplay replay = still ? stillReplay() : parseReplayQuery(argc > 1 ? argv[1] : "");
  if (!replay.error.empty()) {
    announceWeb("replayRefused", replay.error.c_str());  // and plays as usual
  }
  if (replay.on) startReplay(replay.seed);
  // The runtime stays after main returns (no EXIT_RUNTIME): the browser calls the frames.
  const SceneHooks scene{resizeViewportKeepingShape, startScene, drawNextFrame};
  return runWebWindow(replay, scene, still ? announceStill : announceChecksum) ? 0 : 1;
}
