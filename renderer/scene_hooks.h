// Where a window layer meets the scene, which never include each other. Each program's
// main.cpp supplies three things: these hooks, filled with the scene's functions and handed to
// the layer's open; the millisecond counter `timeGetTime` (winmm's on Windows; elsewhere main.cpp
// defines it from the layer's clock); and, for a replay only, the seed (scene's startReplay,
// which replaces its `calendarSeconds`).
#pragma once

// The drawing's designed size: the display mode the Windows renderer sets, the Linux program's
// own window and the replays' surface.
constexpr int SceneWidth = 1024;
constexpr int SceneHeight = 768;

struct SceneHooks {
  // The viewport, whenever the drawing surface changes size (also while the layer opens).
  void (*resize)(int width, int height) = nullptr;
  // Once, right before the first frame the layer draws.
  void (*start)() = nullptr;
  // One frame without the buffer swap.
  void (*frame)() = nullptr;
};

// One frame as every layer draws it: the scene started first, once.
inline void drawSceneFrame(const SceneHooks& scene, bool& started) {
  if (!started) {
    scene.start();
    started = true;
  }
  scene.frame();
}
