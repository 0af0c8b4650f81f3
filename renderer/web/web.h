// The browser shell: the page's canvas sized to the window and the device pixel ratio, the
// frame loop on requestAnimationFrame (stopped while the page is hidden), and the browser's
// frame clock that main.cpp gives the scene as its counter. Depends on emscripten's
// html5.h, web_rules and the WebGL backend; draws through the SceneHooks it is given.
#pragma once

#include <cstdint>

#include "renderer/scene_hooks.h"
#include "renderer/web/web_rules.h"

constexpr char WebCanvas[] = "#confetti";

// The steps every window layer has, but for the pump: the browser calls the frames.
// Opens WebGL on the canvas and sizes the canvas, resizing through `scene`; false, with the
// page told why, when there is no WebGL.
bool openWebWindow(const SceneHooks& scene);
// Opens and starts the loop; returns at once. With a replay the counter follows its script and
// the loop holds still after its last frame, calling `replayDone`.
bool runWebWindow(const WebReplay& replay, const SceneHooks& scene, void (*replayDone)());
// Stops the loop and lets the WebGL context go; the page may open again.
void closeWebWindow();

// The browser's frame clock in milliseconds, less the time the loop was stopped (or the
// replay's script), for the scene's counter.
uint32_t webClockMillis();

// The page's Play (Module._playWeb) ends a still: motion goes on from its moment.
extern "C" void playWeb();

// Tells the page a value by name (window.pomarel[name]), for its tests and benchmarks.
void announceWeb(const char* name, const char* value);
