// Bench program for the renderer, run under Wine by hand (never a test): the real scene code
// with a full pool against a bare clear-and-swap loop in the same full-screen GL window, the
// time spent outside OpenGL per frame, and the peak memory of this process and of a real
// Pomarel.dll run. Depends on renderer/window (window set-up), renderer/scene and psapi.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/full_pool.h"
#include "renderer/scene/gl_api.h"
#include "renderer/scene/scene.h"
#include "renderer/window/window.h"

namespace {

double nowSeconds() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int activePieces() {
  int n = 0;
  for (const ConfettiPiece& p : pieces) n += p.active == 1;
  return n;
}

struct LoopResult {
  int frames = 0;
  double seconds = 0.0;
  double fps() const { return frames / seconds; }
};

template <typename Frame>
LoopResult runLoop(double seconds, Frame frame) {
  LoopResult r;
  const double start = nowSeconds();
  while (nowSeconds() - start < seconds) {
    if (!pumpRendererWindow()) break;
    frame();
    swapRendererBuffers();
    ++r.frames;
  }
  r.seconds = nowSeconds() - start;
  return r;
}

void printMemory(const char* who, HANDLE process) {
  PROCESS_MEMORY_COUNTERS pmc;
  pmc.cb = sizeof pmc;
  if (!GetProcessMemoryInfo(process, &pmc, sizeof pmc)) {
    std::printf("%-28s memory query failed (%lu)\n", who, GetLastError());
    return;
  }
  std::printf("%-28s peak working set %7.1f MiB, peak private (pagefile) %7.1f MiB\n", who,
              pmc.PeakWorkingSetSize / 1048576.0, pmc.PeakPagefileUsage / 1048576.0);
}

// Starts the shipped renderer, lets it run, reads its peak memory and closes it.
void measureRendererProcess(const std::string& path, int seconds) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string commandLine = "\"" + path + "\"";
  if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &pi)) {
    std::printf("could not start %s (%lu)\n", path.c_str(), GetLastError());
    return;
  }
  HWND window = nullptr;
  for (int i = 0; i < 200 && !window; ++i) {
    Sleep(100);
    window = FindWindowA(nullptr, RendererTitle);
  }
  Sleep(static_cast<DWORD>(seconds) * 1000);
  printMemory("Pomarel.dll (own process)", pi.hProcess);
  if (window) PostMessageA(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

std::string besideThisProgram(const char* relative) {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, n);
  folder.erase(folder.find_last_of("\\/") + 1);
  return folder + relative;
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
  const std::string renderer = argc > 2 ? argv[2] : besideThisProgram("..\\bin\\Pomarel.dll");

  const SceneHooks scene{resizeViewport, startScene, drawNextFrame};
  if (!openRendererWindow(RendererTitle, RendererWidth, RendererHeight, RendererBits, true, scene)) {
    std::printf("no window\n");
    return 1;
  }
  std::printf("display mode %s; window %dx%d\n",
              rendererFullscreen() ? "1024x768x16 (full screen)" : "refused, windowed",
              RendererWidth, RendererHeight);

  // Same start as the renderer's first frame, then a full, motionless but tumbling pool.
  startScene();
  drawNextFrame();
  fillPool();
  runLoop(1.0, drawNextFrame);  // warm-up
  const LoopResult full = runLoop(seconds, drawNextFrame);
  const int active = activePieces();
  const LoopResult bare = runLoop(seconds, [] {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  });

  // What a frame costs outside OpenGL: the pool pass, bursts, trickle and sway without the
  // drawing, and one empty pass through the message queue.
  const int repeats = 20000;
  const double savedTime = sceneTime;
  frameSeconds = 1.0 / 60.0;
  double start = nowSeconds();
  for (int i = 0; i < repeats; ++i) simulateFrame(nullptr);
  const double simulation = (nowSeconds() - start) / repeats;
  sceneTime = savedTime;
  start = nowSeconds();
  for (int i = 0; i < repeats; ++i) pumpRendererWindow();
  const double loop = (nowSeconds() - start) / repeats;

  closeRendererWindow();

  const double sceneFrame = full.seconds / full.frames;
  std::printf("scene, %d active pieces:     %8.1f frames/s (%d frames in %.1f s)\n", active,
              full.fps(), full.frames, full.seconds);
  std::printf("bare clear and swap:          %8.1f frames/s (%d frames in %.1f s)\n", bare.fps(),
              bare.frames, bare.seconds);
  std::printf("ratio bare / scene:           %8.1f\n", bare.fps() / full.fps());
  std::printf("outside OpenGL per frame:     simulation %.2f us + queue %.2f us = %.3f%% of "
              "%.2f ms\n",
              simulation * 1e6, loop * 1e6, 100.0 * (simulation + loop) / sceneFrame,
              sceneFrame * 1e3);
  printMemory("bench process", GetCurrentProcess());
  measureRendererProcess(renderer, 5);
  return 0;
}
