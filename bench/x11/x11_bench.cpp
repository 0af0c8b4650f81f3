// Bench program for the Linux program, run by hand on an X display: the real scene with a full
// pool against a bare clear-and-swap loop in the same 1024 x 768 window, frames per second and
// processor time per frame (Mesa's software renderer draws on this process's threads, so that
// includes the drawing), and peak memory. Depends on renderer/x11 and renderer/scene.
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "renderer/scene/gl_api.h"
#include "renderer/scene/scene.h"
#include "renderer/x11/x11.h"

namespace {

double clockSeconds(clockid_t clock) {
  timespec t;
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

const SceneHooks scene{resizeViewport, renderNextFrame};

// As in the Windows bench: every slot launched and then held still inside the bounds, so all
// 400 stay active and keep tumbling, the heaviest picture the choreography allows.
void fillPool() {
  for (ConfettiPiece& p : pieces) {
    p.launch(LaunchKind::Scatter);
    p.velocityX = p.velocityY = p.velocityZ = 0.0f;
    p.gravity = 0.0f;
    p.x = -12.0f + 24.0f * static_cast<float>(nextRandom()) / 32767.0f;
    p.y = -6.0f + 22.0f * static_cast<float>(nextRandom()) / 32767.0f;
  }
}

struct LoopResult {
  int frames = 0;
  double seconds = 0.0;
  double cpuSeconds = 0.0;
  double fps() const { return frames / seconds; }
  double cpuPerFrameMs() const { return cpuSeconds / frames * 1e3; }
};

template <typename Frame>
LoopResult runLoop(double seconds, Frame frame) {
  LoopResult r;
  const double start = clockSeconds(CLOCK_MONOTONIC);
  const double cpuStart = clockSeconds(CLOCK_PROCESS_CPUTIME_ID);
  while (clockSeconds(CLOCK_MONOTONIC) - start < seconds) {
    if (!pumpX11Events(scene)) break;
    frame();
    swapX11Buffers();
    ++r.frames;
  }
  r.seconds = clockSeconds(CLOCK_MONOTONIC) - start;
  r.cpuSeconds = clockSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart;
  return r;
}

void print(const char* what, const LoopResult& r) {
  std::printf("%-30s %8.1f frames/s (%d frames in %.1f s), processor %.2f ms a frame\n", what,
              r.fps(), r.frames, r.seconds, r.cpuPerFrameMs());
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
  X11Options options;  // its own 1024 x 768 window
  if (!openX11Window(options, scene)) return 1;
  const bool paced = setX11SwapInterval(0);
  std::printf("window %dx%d; swap interval %s\n", X11Width, X11Height,
              paced ? "0 (no wait for the refresh)" : "not offered by GLX");

  // Waits for the window to be mapped, then the renderer's first frame and a full pool.
  if (!pumpX11Events(scene)) return 1;
  renderNextFrame();
  fillPool();
  runLoop(1.0, renderNextFrame);  // warm-up
  const LoopResult full = runLoop(seconds, renderNextFrame);
  int active = 0;
  for (const ConfettiPiece& p : pieces) active += p.active == 1;
  const LoopResult bare = runLoop(seconds, [] { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); });

  // The choreography as it runs from the start, for the everyday picture.
  resetScene();
  const LoopResult everyday = runLoop(seconds, renderNextFrame);

  // What a frame costs outside OpenGL: the pool pass, bursts, trickle and sway.
  const int repeats = 20000;
  frameSeconds = 1.0 / 60.0;
  fillPool();
  const double start = clockSeconds(CLOCK_MONOTONIC);
  for (int i = 0; i < repeats; ++i) simulateFrame(nullptr);
  const double simulation = (clockSeconds(CLOCK_MONOTONIC) - start) / repeats;
  closeX11Window();

  char label[64];
  std::snprintf(label, sizeof label, "scene, %d active pieces:", active);
  print(label, full);
  print("bare clear and swap:", bare);
  print("scene from its start:", everyday);
  std::printf("ratio bare / full scene:        %8.2f\n", bare.fps() / full.fps());
  std::printf("simulation alone:               %8.2f us a frame\n", simulation * 1e6);
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak resident memory:           %8.1f MiB\n", usage.ru_maxrss / 1024.0);
  return 0;
}
