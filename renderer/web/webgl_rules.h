// The recording half of the browser's OpenGL backend: the scene's immediate-mode calls of a
// frame become one vertex buffer in clip space, with the matrix stacks and the current colour
// applied on the CPU, and a list of draws, one per blend state. Platform-free (no WebGL), so
// the native tests check its maths; webgl.cpp uploads and draws what it holds.
#pragma once

#include <cstdint>

#include "renderer/scene/gl_api.h"

// Column-major, as OpenGL keeps its matrices: element (row r, column c) is m[c * 4 + r].
struct Mat4 {
  float m[16];
};

constexpr Mat4 IdentityMatrix = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
Mat4 multiply(const Mat4& a, const Mat4& b);  // a x b
Mat4 translationMatrix(float x, float y, float z);
Mat4 rotationMatrix(float degrees, float x, float y, float z);
Mat4 orthoMatrix(double left, double right, double bottom, double top, double zNear, double zFar);
Mat4 perspectiveMatrix(double fovyDegrees, double aspect, double zNear, double zFar);

// One vertex of the buffer: the clip-space position, the colour, and for a dot its pixel
// offset from the dot's centre and its radius in pixels (radius 0: part of a triangle).
// A dot is drawn as two triangles that the fragment shader cuts round, so dots and paper
// share one draw and keep the slot order in which the scene painted them.
struct BatchVertex {
  float clip[4];
  float colour[4];
  float dot[3];  // offset x, offset y, radius; a negative radius is a square (unsmoothed) dot
};

// A run of vertices drawn with one blend state, as triangles.
struct BatchDraw {
  int first;
  int count;
  bool blend;
  uint32_t source;
  uint32_t destination;
};

// Fixed storage, filled anew every frame, so drawing allocates nothing: 400 pieces of at most
// six vertices and two flash quads need 2,412. What does not fit is dropped and counted.
constexpr int BatchVertexCapacity = 8192;
constexpr int BatchDrawCapacity = 64;
// OpenGL's minimum depths: 32 model-view and 2 projection matrices. An overflow or an
// underflow is ignored, as OpenGL ignores the call that raises the error.
constexpr int ModelviewStackDepth = 32;
constexpr int ProjectionStackDepth = 2;

// What the scene's calls set and what a primitive holds between glBegin and glEnd, with
// OpenGL's starting values written here once: assigning {} puts it all back to the start.
struct GlState {
  bool projectionMode = false;  // glMatrixMode(GL_PROJECTION) selected
  Mat4 modelview[ModelviewStackDepth] = {IdentityMatrix};
  Mat4 projection[ProjectionStackDepth] = {IdentityMatrix};
  int modelviewTop = 0;
  int projectionTop = 0;
  float colour[4] = {1, 1, 1, 1};
  float clearColour[4] = {0, 0, 0, 0};
  int viewport[4] = {0, 0, 0, 0};
  float pointSize = 1.0f;
  bool pointSmooth = false;
  bool blend = false;
  uint32_t blendSource = GL_ONE;
  uint32_t blendDestination = 0;  // GL_ZERO, which the scene's header does not name

  // Inside glBegin/glEnd.
  bool open = false;
  uint32_t mode = 0;
  Mat4 transform = IdentityMatrix;  // projection x model-view at glBegin
  BatchVertex pending[3] = {};      // the strip's last two vertices, or the quad so far
  int pendingCount = 0;
};

// The state and the frame recorded so far. The frame is kept apart from the state so that a
// reset never builds the 360 KB of vertices as a temporary.
struct GlBatch : GlState {
  bool cleared;
  BatchVertex vertices[BatchVertexCapacity];
  int vertexCount;
  BatchDraw draws[BatchDrawCapacity];
  int drawCount;
  int dropped;  // vertices that did not fit, since the last startFrame

  GlBatch() { startFrame(); }
  Mat4& current();
  void multiplyCurrent(const Mat4& m);  // current = current x m, as glMultMatrix
  void pushMatrix();
  void popMatrix();
  void begin(uint32_t primitive);
  void vertex(float x, float y, float z);
  void end();
  void clear();
  // Forgets the frame's vertices and draws once they have been drawn; state stays.
  void startFrame();
};

// The one batch the gl_api.h functions record into (defined in webgl_rules.cpp).
extern GlBatch glBatch;
// Everything back to its start (state and frame), for the tests and a new page.
void resetGlBatch();
