// What the browser layer decides without the browser: the size of the canvas's drawing
// buffer for its CSS size and pixel ratio, and the test-only replay (fixed seed and frame
// times) read from the page's query string. Platform-free, tested natively.
#pragma once

#include <cstdint>
#include <string>

struct CanvasSize {
  int width;
  int height;
};

// Drawing buffers larger than this are refused or silently shrunk by browsers, which would
// leave the scene's viewport larger than the canvas; a larger screen gets a scaled-up buffer.
constexpr int LargestCanvasSide = 4096;

// CSS size times the pixel ratio, rounded, at least 1 x 1; a ratio that is not a positive
// number counts as 1; a buffer over LargestCanvasSide is scaled down keeping its shape.
CanvasSize canvasSize(double cssWidth, double cssHeight, double pixelRatio);

// "?seed=7&steps=33,34&frames=230": the scene is seeded with `seed` and its counter advances
// by the steps in turn, one step a frame (milliseconds), and the page holds still after
// `frames` frames. All three or none; anything else in the query is ignored. Steps that are
// all 0 are refused: the counter would never move and the canvas would stay black.
constexpr int ReplayStepCapacity = 16;
struct WebReplay {
  bool on = false;
  uint32_t seed = 0;
  int frames = 0;
  uint32_t steps[ReplayStepCapacity] = {};
  int stepCount = 0;
  std::string error;  // why a replay query was refused; empty when there was none or it is good
  bool still = false;  // the reduced-motion still: its last frame shown, held until play
};
WebReplay parseReplayQuery(const char* query);

// The still that stands in for motion where the device asks for reduced motion: one fixed
// moment of the choreography (a burst spread over the screen, no flash), the same every time.
WebReplay stillReplay();

// The scripted counter at a frame: frame 0 reads 0, each later frame one step more.
uint32_t replayMillis(const WebReplay& replay, int frame);
