// The confetti scene in OpenGL 1.1 immediate mode: one-time graphics state, the perspective
// of the designed 4:3 view, the viewport, the frame (pieces, flash) and the frame clock. Builds on the
// confetti model; reaches OpenGL, GLU and the millisecond counter through gl_api.h only.
#pragma once

#include <cstdint>

#include "renderer/confetti/confetti.h"

// Module-level state, zero at program start.
// The counter is kept as its own 32-bit value: the difference of two readings is then right
// across the wrap after 49.7 days of uptime, which a double copy would turn into a huge
// negative step.
extern uint32_t lastFrameMillis;
extern float flashAlpha;    // opacity of the white flash; 0 means none
extern float flashSeconds;  // time in which the flash fades from 1 to 0
// True once setupScene has loaded the perspective: from then on a resize keeps it.
extern bool perspectiveLoaded;
// Calendar seconds since 1970 for the random seed; the tests put their own clock here.
extern uint32_t (*calendarSeconds)();
// A replay of the test script: the scene's start seeds the random generator with `seed`
// instead of the calendar, so that every program replaying it shows the same pieces.
void startReplay(uint32_t seed);

bool initGraphics();
void setupScene();
// The two ways the view meets a drawing surface; each program's main.cpp hands its window
// layer one of them, so the scene never asks which platform it is on.
// The designed view, for a program that sets the display to 1024 x 768 (Windows): the 4:3
// perspective stretched over any surface, and dots of 3 pixels.
void resizeViewport(int width, int height);
// For surfaces of any shape and size: the perspective takes the surface's aspect with the
// whole 4:3 view in sight, so pieces keep their shape, and dots are 3 pixels per 768 rows,
// never under 1 pixel.
void resizeViewportKeepingShape(int width, int height);
void drawFrame();
bool drawFlash(uint8_t trigger, float fadeSeconds);

// The counter now minus lastFrameMillis, in seconds, wrap-safe.
double measureFrameSeconds();

// The scene's life in two steps, the SceneHooks' start and frame (scene_hooks.h). The start,
// once, right before the first frame is drawn: the graphics state, the view, the random seed
// and the clock at its start. A window layer calls it at its first frame, not when it opens,
// so a program that starts minimised initialises nothing until it is shown.
void startScene();
// One pass of the frame loop's drawing half: the frame time, drawFrame and the clock's
// advance. The caller swaps the buffers.
void drawNextFrame();
// Both steps as a window layer takes them, the start only while the clock has not started:
// for the replays and tests that drive the scene without a window layer.
void renderNextFrame();

// Scene and confetti back to their program-start state, for tests and the bench.
void resetScene();
