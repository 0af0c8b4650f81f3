// The browser shell: one state block for the canvas, the loop and the clock, like the other
// window layers' shells. Depends on emscripten (html5.h), web_rules and webgl; reaches the
// scene only through its SceneHooks.
#include "renderer/web/web.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdint>

#include "renderer/counter/counter_rules.h"
#include "renderer/web/webgl.h"
#include "renderer/web/webgl_rules.h"

namespace {

struct Shell {
  SceneHooks scene;
  bool sceneStarted = false;
  bool closed = false;
  WebReplay replay;
  void (*replayDone)() = nullptr;
  int width = 0;
  int height = 0;
  bool looping = false;
  bool holding = false;   // a replay that has drawn its last frame
  bool still = false;     // the replay is the reduced-motion still, held until playWeb()
  int frames = 0;
  SceneCounter counter;
  uint32_t clockMillis = 0;
};

Shell shell;

bool pageHidden() {
  EmscriptenVisibilityChangeEvent state;
  return emscripten_get_visibility_status(&state) == EMSCRIPTEN_RESULT_SUCCESS && state.hidden;
}

// The canvas is laid out by the page's style to fill the window; its drawing buffer follows
// that size times the pixel ratio, checked every frame so that resizes, zoom and moves to a
// screen of another ratio all take effect at the next frame. The whole buffer is the scene's
// viewport; the scene fits its view and its dots to the buffer's shape and height. True when
// the size changed.
bool followCanvasSize() {
  double cssWidth = 0, cssHeight = 0;
  emscripten_get_element_css_size(WebCanvas, &cssWidth, &cssHeight);
  const CanvasSize size = canvasSize(cssWidth, cssHeight, emscripten_get_device_pixel_ratio());
  if (size.width == shell.width && size.height == shell.height) return false;
  shell.width = size.width;
  shell.height = size.height;
  emscripten_set_canvas_element_size(WebCanvas, size.width, size.height);
  shell.scene.resize(size.width, size.height);
  return true;
}

// The still shows at once: every frame of its replay before the last is simulated and its
// drawing thrown away in one go; the loop draws the last like any frame.
void skipToStill() {
  for (; shell.frames + 1 < shell.replay.frames; ++shell.frames) {
    shell.clockMillis = replayMillis(shell.replay, shell.frames);
    drawSceneFrame(shell.scene, shell.sceneStarted);
    glBatch.startFrame();
  }
}

EM_BOOL onFrame(double browserMillis, void*) {
  if (shell.closed) return EM_FALSE;
  if (pageHidden()) {
    shell.looping = false;  // the visibility callback starts the loop again
    return EM_FALSE;
  }
  const bool resized = followCanvasSize();
  if (shell.holding) {
    // Only the still holds with the loop running: a new size, or a context given back after
    // a loss, leaves the canvas blank, so the same moment is drawn again (a frame of no time).
    const bool restored = EM_ASM_INT({
      const restored = Module.contextRestored | 0;
      Module.contextRestored = 0;
      return restored;
    });
    if (resized || restored) {
      drawSceneFrame(shell.scene, shell.sceneStarted);
      presentWebGl();
    }
    return EM_TRUE;
  }
  if (shell.still) skipToStill();
  // The frame's time is the browser's frame clock, the one every animation of the page uses,
  // less the time the loop was stopped; a replay reads its script instead.
  shell.clockMillis = shell.replay.on ? replayMillis(shell.replay, shell.frames)
                                      : shell.counter.read(static_cast<uint64_t>(browserMillis * 1000.0));
  drawSceneFrame(shell.scene, shell.sceneStarted);
  const int draws = presentWebGl();
  ++shell.frames;
  EM_ASM({ Module.frames = $0; Module.drawsLastFrame = $1; Module.sceneMillis = $2; }, shell.frames, draws,
         shell.clockMillis);
  if (shell.replay.on && shell.frames == shell.replay.frames) {
    shell.holding = true;
    shell.looping = shell.still;
    if (shell.replayDone) shell.replayDone();
    return shell.still ? EM_TRUE : EM_FALSE;
  }
  return EM_TRUE;
}

void startLoop() {
  if (shell.closed || shell.looping || (shell.holding && !shell.still)) return;
  shell.looping = true;
  emscripten_request_animation_frame_loop(onFrame, nullptr);
}

EM_BOOL onVisibility(int, const EmscriptenVisibilityChangeEvent* state, void*) {
  // The browser holds back the frames of a hidden page; the picture goes on where it stopped.
  if (state->hidden) {
    shell.counter.stop();
  } else {
    startLoop();
  }
  return EM_FALSE;
}

}  // namespace

uint32_t webClockMillis() { return shell.clockMillis; }

bool openWebWindow(const SceneHooks& scene) {
  shell = Shell{};
  shell.scene = scene;
  if (!openWebGl(WebCanvas)) {
    announceWeb("failed", "webgl");
    return false;
  }
  followCanvasSize();
  EM_ASM({ document.querySelector(UTF8ToString($0)).addEventListener('webglcontextrestored',
                                                                      () => { Module.contextRestored = 1; }); },
         WebCanvas);
  return true;
}

bool runWebWindow(const WebReplay& replay, const SceneHooks& scene, void (*replayDone)()) {
  if (!openWebWindow(scene)) return false;
  shell.replay = replay;
  shell.replayDone = replayDone;
  shell.still = replay.still;
  emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, onVisibility);
  startLoop();
  return true;
}

void closeWebWindow() {
  emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, nullptr);
  shell.closed = true;  // the loop's next frame ends it
  shell.looping = false;
  EM_ASM({ Module.webgl = undefined; });
}

void announceWeb(const char* name, const char* value) {
  EM_ASM({ if (Module.announce) Module.announce(UTF8ToString($0), UTF8ToString($1)); }, name, value);
}

extern "C" EMSCRIPTEN_KEEPALIVE void playWeb() {
  if (!shell.still) return;
  shell.still = shell.holding = shell.replay.on = false;
  // Motion goes on from the still's moment: the counter starts again from the still's time.
  shell.counter.countedMicros = static_cast<uint64_t>(shell.clockMillis) * 1000u;
  shell.counter.stop();
  startLoop();
}
