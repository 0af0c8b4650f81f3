// The WebGL half of the backend: one buffer upload and one drawArrays per blend state of the
// frame glBatch recorded, through a few lines of JavaScript (EM_JS) rather than emscripten's
// OpenGL library, whose names would clash with the gl_api.h functions the scene calls.
// Depends on webgl_rules and emscripten.
#include "renderer/web/webgl.h"

#include <emscripten.h>

#include <cstddef>
#include <cstdint>

#include "renderer/web/webgl_rules.h"

static_assert(sizeof(BatchVertex) == 11 * sizeof(float), "the shader reads 11 floats a vertex");

// The shaders place each vertex at its clip position; a dot's corners are moved by their
// pixel offset (scaled by w so the divide leaves them whole pixels), and the fragment shader
// cuts the dot round with a one-pixel soft edge, as OpenGL's smoothed points look.
EM_JS(int, webglOpen, (const char* selector), {
  const canvas = document.querySelector(UTF8ToString(selector));
  const gl = canvas && canvas.getContext('webgl', {alpha: false, depth: false, stencil: false,
    antialias: false, premultipliedAlpha: false, preserveDrawingBuffer: false});
  if (!gl) return 0;
  // A context the browser takes away (a tablet's page sent to the background, a GPU reset) is
  // given back only if the loss is prevented, and then needs its program and buffer again.
  canvas.addEventListener('webglcontextlost', (e) => e.preventDefault());
  canvas.addEventListener('webglcontextrestored', () => setUp());
  const setUp = () => {
    const shader = (type, text) => {
      const s = gl.createShader(type);
      gl.shaderSource(s, text);
      gl.compileShader(s);
      return s;
    };
    const program = gl.createProgram();
    gl.attachShader(program, shader(gl.VERTEX_SHADER,
      'attribute vec4 clip;attribute vec4 colour;attribute vec3 spot;uniform vec2 halfView;' +
      'varying vec4 c;varying vec3 d;' +
      'void main(){gl_Position=clip+vec4(spot.xy/halfView*clip.w,0.0,0.0);c=colour;d=spot;}'));
    gl.attachShader(program, shader(gl.FRAGMENT_SHADER,
      'precision mediump float;varying vec4 c;varying vec3 d;' +
      'void main(){float a=c.a;if(d.z>0.0)a*=clamp(d.z+0.5-length(d.xy),0.0,1.0);' +
      'gl_FragColor=vec4(c.rgb,a);}'));
    ['clip', 'colour', 'spot'].forEach((name, i) => gl.bindAttribLocation(program, i, name));
    gl.linkProgram(program);
    if (!gl.getProgramParameter(program, gl.LINK_STATUS)) return 0;
    gl.useProgram(program);
    gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
    [4, 4, 3].reduce((offset, size, i) => {
      gl.enableVertexAttribArray(i);
      gl.vertexAttribPointer(i, size, gl.FLOAT, false, 44, offset * 4);
      return offset + size;
    }, 0);
    Module.webgl = {gl: gl, half: gl.getUniformLocation(program, 'halfView')};
    return 1;
  };
  return setUp();
});

// vertices: 11 floats each; draws: first, count, blend, source, destination; clear: r, g, b,
// a, then whether to clear; viewport: x, y, width, height.
EM_JS(int, webglDraw, (const float* vertices, int vertexCount, const int32_t* draws,
                       int drawCount, const float* clear, const int32_t* viewport), {
  const w = Module.webgl;
  const gl = w.gl;
  if (gl.isContextLost()) return 0;
  const v = HEAP32.subarray(viewport >> 2, (viewport >> 2) + 4);
  gl.viewport(v[0], v[1], v[2], v[3]);
  gl.uniform2f(w.half, Math.max(1, v[2]) / 2, Math.max(1, v[3]) / 2);
  const c = HEAPF32.subarray(clear >> 2, (clear >> 2) + 5);
  if (c[4]) {
    gl.clearColor(c[0], c[1], c[2], c[3]);
    gl.clear(gl.COLOR_BUFFER_BIT);
  }
  if (vertexCount) {
    gl.bufferData(gl.ARRAY_BUFFER, HEAPF32.subarray(vertices >> 2, (vertices >> 2) + vertexCount * 11),
                  gl.STREAM_DRAW);
  }
  for (let i = 0; i < drawCount; ++i) {
    const d = HEAP32.subarray((draws >> 2) + i * 5, (draws >> 2) + i * 5 + 5);
    if (d[2]) {
      gl.enable(gl.BLEND);
      gl.blendFunc(d[3], d[4]);
    } else {
      gl.disable(gl.BLEND);
    }
    gl.drawArrays(gl.TRIANGLES, d[0], d[1]);
  }
  return drawCount;
});

bool openWebGl(const char* canvasSelector) { return webglOpen(canvasSelector) != 0; }

int presentWebGl() {
  static int32_t draws[BatchDrawCapacity * 5];
  GlBatch& b = glBatch;
  for (int i = 0; i < b.drawCount; ++i) {
    const BatchDraw& d = b.draws[i];
    int32_t* out = draws + i * 5;
    out[0] = d.first;
    out[1] = d.count;
    out[2] = d.blend ? 1 : 0;
    out[3] = static_cast<int32_t>(d.source);
    out[4] = static_cast<int32_t>(d.destination);
  }
  const float clear[5] = {b.clearColour[0], b.clearColour[1], b.clearColour[2], b.clearColour[3],
                          b.cleared ? 1.0f : 0.0f};
  const int issued = webglDraw(&b.vertices[0].clip[0], b.vertexCount, draws, b.drawCount, clear,
                               b.viewport);
  b.startFrame();
  return issued;
}
