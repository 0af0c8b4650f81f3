// Bench program for the browser edition, run by bench/web/web_bench.py (never a test): in one
// page at 1024 x 768, the real scene with a full pool and then a bare clear loop, each for a
// few seconds on requestAnimationFrame, as bench/x11 does natively. The page reads the phase
// and the frame counts from window.pomarel. Depends on renderer/web and renderer/scene.
#include <emscripten.h>

#include <cstdio>

#include "bench/full_pool.h"
#include "renderer/scene/gl_api.h"
#include "renderer/scene/scene.h"
#include "renderer/web/web.h"

namespace {

constexpr double WarmUpMillis = 1000;
constexpr double PhaseMillis = 5000;

enum class Phase { WarmUp, Full, Bare, Done };
Phase phase = Phase::WarmUp;
double phaseStart = 0;
int phaseFrames = 0;
bool filled = false;

void report(const char* name, int frames, double millis) {
  char text[64];
  std::snprintf(text, sizeof text, "%d %.1f", frames, millis);
  announceWeb(name, text);
}

void benchFrame() {
  const double now = emscripten_get_now();
  if (phaseStart == 0) phaseStart = now;
  const double elapsed = now - phaseStart;
  auto next = [&](Phase to, const char* name) {
    if (name) report(name, phaseFrames, elapsed);
    phase = to;
    phaseStart = now;
    phaseFrames = 0;
    announceWeb("phase", to == Phase::Full ? "full" : to == Phase::Bare ? "bare" : "done");
  };
  switch (phase) {
    case Phase::WarmUp:
      if (elapsed >= WarmUpMillis) next(Phase::Full, nullptr);
      break;
    case Phase::Full:
      if (elapsed >= PhaseMillis) next(Phase::Bare, "full");
      break;
    case Phase::Bare:
      if (elapsed >= PhaseMillis) next(Phase::Done, "bare");
      break;
    case Phase::Done:
      break;
  }
  ++phaseFrames;
  if (phase == Phase::Bare || phase == Phase::Done) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return;
  }
  drawNextFrame();
  if (!filled) {
    fillPool();
    filled = true;
  }
}

}  // namespace

extern "C" uint32_t timeGetTime() { return webClockMillis(); }

int main() {
  return runWebWindow(WebReplay{}, SceneHooks{resizeViewportKeepingShape, startScene, benchFrame}, nullptr) ? 0 : 1;
}
