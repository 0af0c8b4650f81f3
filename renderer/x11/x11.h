// The Xlib + GLX shell of the Linux program: the connection, the window it draws on (its own,
// the root, or one XScreenSaver handed over), the GL context, events, SIGTERM/SIGINT and the
// frame loop. Depends on Xlib, GLX and x11_rules; draws through the SceneHooks it is
// given, and defines the scene's millisecond counter timeGetTime from CLOCK_MONOTONIC.
#pragma once

#include "renderer/scene_hooks.h"
#include "renderer/x11/x11_rules.h"

// Opens the display and the drawing window and makes a GL context current on it; on failure
// says why on stderr, releases what it had and returns false.
bool openX11Window(const X11Options& options, const SceneHooks& scene);
// Releases the context, the window if it is ours, and the connection. Safe to call twice.
void closeX11Window();

// Handles every waiting event and returns true when a frame should be drawn; false once the
// program is to end (Escape or the close button of its own window, the given window destroyed,
// SIGTERM or SIGINT). While the window is not mapped it waits without spinning.
bool pumpX11Events(const SceneHooks& scene);
void swapX11Buffers();
// 1 to follow the display's refresh, 0 to swap at once; false when GLX offers no control.
bool setX11SwapInterval(int interval);

// The program: open, frames until the end, close. Returns the exit code.
int runX11(const X11Options& options, const SceneHooks& scene);
