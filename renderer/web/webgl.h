// The WebGL half of the browser's OpenGL backend: the context on the page's canvas, and the
// upload and draws of the frame that glBatch (webgl_rules) recorded. Emscripten only.
#pragma once

// Creates the WebGL 1 context, its shaders and its vertex buffer on the canvas named by the
// CSS selector; false when the browser offers no WebGL there.
bool openWebGl(const char* canvasSelector);

// One upload of the frame's vertices, the clear and one draw per blend state, then the batch
// starts the next frame. Returns the number of draw calls issued.
int presentWebGl();
