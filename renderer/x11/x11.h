// The Xlib + GLX shell of the Linux program: the connection, the window it draws on (its own,
// the root, or one XScreenSaver handed over), the GL context, events, SIGTERM/SIGINT and the
// paced frame loop. Depends on Xlib, GLX and x11_rules; draws through the SceneHooks it is
// given; main.cpp makes the scene's millisecond counter of x11ClockMillis.
#pragma once

#include <cstdint>

#include "renderer/scene_hooks.h"
#include "renderer/x11/x11_rules.h"

// The four steps every window layer has (open, pump, run, close).
// Opens the display and the drawing window and makes a GL context current on it, resizing
// through `scene`; on failure says why on stderr, releases what it had and returns false.
bool openX11Window(const X11Options& options, const SceneHooks& scene);
// Handles every waiting event and returns true when a frame should be drawn; false once the
// program is to end (Escape or the close button of its own window, the given window destroyed,
// SIGTERM or SIGINT, an X error). While the window is not mapped it waits without spinning.
// A frame is due no earlier than dueMicros on monotonicMicros()'s clock (0: at once); until
// then it waits on the X connection and the signals, handling events as they come.
bool pumpX11Window(uint64_t dueMicros = 0);
void swapX11Buffers();
// Releases the context, the window if it is ours, and the connection. Safe to call twice.
void closeX11Window();
// 1 to follow the display's refresh, 0 to swap at once; false when GLX offers no control.
bool setX11SwapInterval(int interval);
// The window's display refresh rate, numerator / denominator Hz, as GLX_OML_sync_control
// reports it; 0 / 0 where GLX cannot tell (Xvfb, software OpenGL, some drivers).
void x11RefreshRate(int64_t* numerator, int64_t* denominator);
// CLOCK_MONOTONIC in microseconds; main.cpp makes the scene's counter of it.
uint64_t monotonicMicros();
// The monotonic clock in milliseconds less the time the program was stopped (SIGSTOP, a
// machine that slept), so that the picture goes on where it stopped, for the scene's counter.
uint32_t x11ClockMillis();

// The program: open, frames paced to the display's refresh or --delay until the end, close.
// Returns the exit code: 0, or 1 when it could not draw or an X error ended it.
int runX11Window(const X11Options& options, const SceneHooks& scene);
