// The Xlib + GLX shell of the Linux program: the connection, the window it draws on (its own,
// the root, or one XScreenSaver handed over), the GL context, events, SIGTERM/SIGINT and the
// paced frame loop. Depends on Xlib, GLX and x11_rules; draws through the SceneHooks it is
// given; main.cpp makes the scene's millisecond counter of its monotonic clock.
#pragma once

#include <cstdint>

#include "renderer/scene_hooks.h"
#include "renderer/x11/x11_rules.h"

// Opens the display and the drawing window and makes a GL context current on it; on failure
// says why on stderr, releases what it had and returns false.
bool openX11Window(const X11Options& options, const SceneHooks& scene);
// Releases the context, the window if it is ours, and the connection. Safe to call twice.
void closeX11Window();

// Handles every waiting event and returns true when a frame should be drawn; false once the
// program is to end (Escape or the close button of its own window, the given window destroyed,
// SIGTERM or SIGINT, an X error). While the window is not mapped it waits without spinning.
bool pumpX11Events(const SceneHooks& scene);
// The same, but a frame is due no earlier than dueMicros on monotonicMicros()'s clock (0: at
// once); until then it waits on the X connection and the signals, handling events as they come.
bool pumpX11EventsUntil(const SceneHooks& scene, uint64_t dueMicros);
void swapX11Buffers();
// 1 to follow the display's refresh, 0 to swap at once; false when GLX offers no control.
bool setX11SwapInterval(int interval);
// The window's display refresh rate, numerator / denominator Hz, as GLX_OML_sync_control
// reports it; 0 / 0 where GLX cannot tell (Xvfb, software OpenGL, some drivers).
void x11RefreshRate(int64_t* numerator, int64_t* denominator);
// CLOCK_MONOTONIC in microseconds; main.cpp makes the scene's counter of it.
uint64_t monotonicMicros();

// The program: open, frames paced to the display's refresh or --delay until the end, close.
// Returns the exit code: 0, or 1 when it could not draw or an X error ended it.
int runX11(const X11Options& options, const SceneHooks& scene);
