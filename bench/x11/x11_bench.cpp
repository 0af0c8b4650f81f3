// Bench program for the Linux program, run by hand on an X display: the real scene with a full
// pool against a bare clear-and-swap loop in the same 1024 x 768 window, frames per second and
// processor time per frame (Mesa's software renderer draws on this process's threads, so that
// includes the drawing), peak memory, and the processor time per minute of the program's paced
// loop against frames back to back. Depends on renderer/x11 and renderer/scene.
// Usage: x11_bench [seconds per measurement, default 5; the paced loop and frames back to back
// take turns of 21 s, as many as fit] [X server's process id]
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "bench/full_pool.h"
#include "renderer/scene/gl_api.h"
#include "renderer/scene/scene.h"
#include "renderer/x11/x11.h"

namespace {

double clockSeconds(clockid_t clock) {
  timespec t;
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

const SceneHooks scene{resizeViewportKeepingShape, startScene, drawNextFrame};

// User and system time of another process (the X server, which copies every frame of Mesa's
// software renderer to the screen), from /proc; 0 when it cannot be read.
double processCpuSeconds(long pid) {
  if (pid <= 0) return 0.0;
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%ld/stat", pid);
  FILE* f = std::fopen(path, "r");
  if (!f) return 0.0;
  char text[1024];
  const size_t n = std::fread(text, 1, sizeof text - 1, f);
  std::fclose(f);
  text[n] = '\0';
  const char* p = std::strrchr(text, ')');
  unsigned long user = 0, system = 0;
  // Fields 14 and 15 (utime, stime) follow the command's closing parenthesis.
  if (!p || std::sscanf(p + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &user,
                        &system) != 2) {
    return 0.0;
  }
  return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long serverPid = 0;

struct LoopResult {
  int frames = 0;
  double seconds = 0.0;
  double cpuSeconds = 0.0;
  double serverCpuSeconds = 0.0;
  double fps() const { return frames / seconds; }
  double cpuPerFrameMs() const { return cpuSeconds / frames * 1e3; }
  void add(const LoopResult& more) {
    frames += more.frames;
    seconds += more.seconds;
    cpuSeconds += more.cpuSeconds;
    serverCpuSeconds += more.serverCpuSeconds;
  }
};

// periodMicros 0: frames back to back, as the program drew before it paced itself; otherwise
// paced as runX11Window paces them.
template <typename Frame>
LoopResult runLoop(double seconds, Frame frame, uint32_t periodMicros = 0) {
  LoopResult r;
  FramePacer pacer{periodMicros};
  const double start = clockSeconds(CLOCK_MONOTONIC);
  const double cpuStart = clockSeconds(CLOCK_PROCESS_CPUTIME_ID);
  const double serverStart = processCpuSeconds(serverPid);
  while (clockSeconds(CLOCK_MONOTONIC) - start < seconds) {
    if (!pumpX11Window(pacer.dueMicros)) break;
    if (periodMicros) pacer.frameStarted(monotonicMicros());
    frame();
    swapX11Buffers();
    ++r.frames;
  }
  r.seconds = clockSeconds(CLOCK_MONOTONIC) - start;
  r.cpuSeconds = clockSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart;
  r.serverCpuSeconds = processCpuSeconds(serverPid) - serverStart;
  return r;
}

void printPerMinute(const char* what, const LoopResult& r) {
  std::printf("%-30s %8.1f frames/s, processor %6.2f s a minute", what, r.fps(),
              r.cpuSeconds / r.seconds * 60.0);
  if (serverPid > 0) {
    std::printf(" (X server %5.2f s a minute)", r.serverCpuSeconds / r.seconds * 60.0);
  }
  std::printf("\n");
}

void print(const char* what, const LoopResult& r) {
  std::printf("%-30s %8.1f frames/s (%d frames in %.1f s), processor %.2f ms a frame\n", what,
              r.fps(), r.frames, r.seconds, r.cpuPerFrameMs());
}

}  // namespace

// The scene's counter, as the program's main.cpp makes it.
extern "C" uint32_t timeGetTime() { return x11ClockMillis(); }

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
  serverPid = argc > 2 ? std::atol(argv[2]) : 0;
  X11Options options;  // its own 1024 x 768 window
  if (!openX11Window(options, scene)) return 1;
  const bool paced = setX11SwapInterval(0);
  std::printf("window %dx%d; swap interval %s\n", SceneWidth, SceneHeight,
              paced ? "0 (no wait for the refresh)" : "not offered by GLX");

  // Waits for the window to be mapped, then the renderer's first frame and a full pool.
  if (!pumpX11Window()) return 1;
  startScene();
  drawNextFrame();
  fillPool();
  runLoop(1.0, drawNextFrame);  // warm-up
  const LoopResult full = runLoop(seconds, drawNextFrame);
  int active = 0;
  for (const ConfettiPiece& p : pieces) active += p.active == 1;
  const LoopResult bare = runLoop(seconds, [] { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); });

  // The choreography as it runs from the start, for the everyday picture.
  resetScene();
  startScene();
  const LoopResult everyday = runLoop(seconds, drawNextFrame);

  // The everyday picture as the program draws it, frames back to back (as before the program
  // paced itself) against paced; the swap interval as the program sets it. Taken in turns of
  // one whole choreography cycle each (its bursts cost the most), so that both draw the same
  // pictures and a change of load on a shared machine falls on both alike.
  setX11SwapInterval(1);
  int64_t rateNumerator = 0, rateDenominator = 0;
  x11RefreshRate(&rateNumerator, &rateDenominator);
  const uint32_t period = framePeriodMicros(0, rateNumerator, rateDenominator);
  LoopResult backToBack, pacedFrames;
  constexpr double CycleSeconds = 21.0;
  const int turns = seconds > CycleSeconds ? static_cast<int>(seconds / CycleSeconds + 0.5) : 1;
  for (int turn = 0; turn < turns; ++turn) {
    resetScene();
    startScene();
    backToBack.add(runLoop(CycleSeconds, drawNextFrame));
    resetScene();
    startScene();
    pacedFrames.add(runLoop(CycleSeconds, drawNextFrame, period));
  }

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
  std::printf("frame period:                   %8u us (refresh %lld/%lld Hz from GLX)\n", period,
              static_cast<long long>(rateNumerator), static_cast<long long>(rateDenominator));
  printPerMinute("everyday, back to back:", backToBack);
  printPerMinute("everyday, paced:", pacedFrames);
  std::printf("processor a minute, paced / back to back: %6.3f\n",
              (pacedFrames.cpuSeconds / pacedFrames.seconds) /
                  (backToBack.cpuSeconds / backToBack.seconds));
  if (serverPid > 0) {
    std::printf("X server a minute, paced / back to back:  %6.3f\n",
                (pacedFrames.serverCpuSeconds / pacedFrames.seconds) /
                    (backToBack.serverCpuSeconds / backToBack.seconds));
  }
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak resident memory:           %8.1f MiB\n", usage.ru_maxrss / 1024.0);
  return 0;
}
