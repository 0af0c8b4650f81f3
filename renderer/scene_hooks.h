// The two calls by which a window layer drives the scene: the viewport when the drawing
// surface changes size, and one frame without the buffer swap. Each program's main.cpp fills
// it with the scene's functions; window layers include this header, never the scene.
#pragma once

struct SceneHooks {
  void (*resize)(int width, int height) = nullptr;
  void (*frame)() = nullptr;
};
