// The browser backend's recording half: matrix maths as OpenGL 1.1 and GLU define it, the
// immediate-mode primitives turned into triangles, and the gl_api.h functions that the scene
// calls, all recording into glBatch. Depends on <cmath> only.
#include "renderer/web/webgl_rules.h"

#include <cmath>

#include "renderer/scene/gl_api.h"

GlBatch glBatch;

namespace {

constexpr double DegreesToRadians = 3.14159265358979323846 / 180.0;

// A smoothed point's fringe: pixels whose centre is within half a pixel of the edge are
// partly covered, so the quad reaches one pixel beyond the radius.
constexpr float DotFringe = 1.0f;

Mat4 fromRows(const double (&rows)[4][4]) {
  Mat4 out;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out.m[c * 4 + r] = static_cast<float>(rows[r][c]);
  return out;
}

void transformPoint(const Mat4& t, float x, float y, float z, float (&clip)[4]) {
  for (int r = 0; r < 4; ++r) {
    clip[r] = t.m[r] * x + t.m[4 + r] * y + t.m[8 + r] * z + t.m[12 + r];
  }
}

// OpenGL clamps the colours it is given to 0..1 as it stores them.
void setClamped(float (&colour)[4], float r, float g, float b, float a) {
  const float c[4] = {r, g, b, a};
  for (int i = 0; i < 4; ++i) colour[i] = std::fmin(1.0f, std::fmax(0.0f, c[i]));
}

bool sameState(const BatchDraw& draw, const GlBatch& b) {
  return draw.blend == b.blend &&
         (!b.blend || (draw.source == b.blendSource && draw.destination == b.blendDestination));
}

// Appends one triangle to the frame, opening a new draw when the blend state changed since
// the last one. A triangle that does not fit is dropped whole.
void emitTriangle(GlBatch& b, const BatchVertex& v0, const BatchVertex& v1, const BatchVertex& v2) {
  if (b.vertexCount + 3 > BatchVertexCapacity) {
    b.dropped += 3;
    return;
  }
  if (b.drawCount == 0 || !sameState(b.draws[b.drawCount - 1], b)) {
    if (b.drawCount == BatchDrawCapacity) {
      b.dropped += 3;
      return;
    }
    b.draws[b.drawCount++] = {b.vertexCount, 0, b.blend, b.blendSource, b.blendDestination};
  }
  b.vertices[b.vertexCount++] = v0;
  b.vertices[b.vertexCount++] = v1;
  b.vertices[b.vertexCount++] = v2;
  b.draws[b.drawCount - 1].count += 3;
}

// A point as a square of two triangles around its centre; the dot values let the shader
// offset the corners in pixels and, for a smoothed point, cut the square round.
void emitDot(GlBatch& b, const BatchVertex& centre) {
  const float size = b.pointSize;  // in the drawing buffer's pixels, as OpenGL's
  // Unsmoothed points are squares of the rounded size, at least one pixel.
  const float radius = b.pointSmooth ? size * 0.5f : -std::fmax(1.0f, std::round(size)) * 0.5f;
  const float reach = b.pointSmooth ? radius + DotFringe : -radius;
  BatchVertex corner[4];
  const float sx[4] = {-reach, reach, reach, -reach};
  const float sy[4] = {-reach, -reach, reach, reach};
  for (int i = 0; i < 4; ++i) {
    corner[i] = centre;
    corner[i].dot[0] = sx[i];
    corner[i].dot[1] = sy[i];
    corner[i].dot[2] = radius;
  }
  emitTriangle(b, corner[0], corner[1], corner[2]);
  emitTriangle(b, corner[0], corner[2], corner[3]);
}

}  // namespace

Mat4 multiply(const Mat4& a, const Mat4& b) {
  Mat4 out;
  for (int c = 0; c < 4; ++c) {
    for (int r = 0; r < 4; ++r) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + r] * b.m[c * 4 + k];
      out.m[c * 4 + r] = sum;
    }
  }
  return out;
}

Mat4 translationMatrix(float x, float y, float z) {
  return fromRows({{1, 0, 0, x}, {0, 1, 0, y}, {0, 0, 1, z}, {0, 0, 0, 1}});
}

Mat4 rotationMatrix(float degrees, float x, float y, float z) {
  const double length = std::sqrt(double(x) * x + double(y) * y + double(z) * z);
  if (length == 0.0) return IdentityMatrix;  // OpenGL leaves the result undefined
  const double ux = x / length, uy = y / length, uz = z / length;
  const double a = degrees * DegreesToRadians;
  const double c = std::cos(a), s = std::sin(a), t = 1.0 - c;
  return fromRows({{ux * ux * t + c, ux * uy * t - uz * s, ux * uz * t + uy * s, 0},
                   {uy * ux * t + uz * s, uy * uy * t + c, uy * uz * t - ux * s, 0},
                   {uz * ux * t - uy * s, uz * uy * t + ux * s, uz * uz * t + c, 0},
                   {0, 0, 0, 1}});
}

Mat4 orthoMatrix(double l, double r, double b, double t, double n, double f) {
  if (l == r || b == t || n == f) return IdentityMatrix;  // OpenGL refuses: no change
  return fromRows({{2 / (r - l), 0, 0, -(r + l) / (r - l)},
                   {0, 2 / (t - b), 0, -(t + b) / (t - b)},
                   {0, 0, -2 / (f - n), -(f + n) / (f - n)},
                   {0, 0, 0, 1}});
}

Mat4 perspectiveMatrix(double fovy, double aspect, double n, double f) {
  const double half = fovy * DegreesToRadians / 2;
  const double s = std::sin(half);
  if (f == n || s == 0.0 || aspect == 0.0) return IdentityMatrix;  // GLU leaves it unchanged
  const double cot = std::cos(half) / s;
  return fromRows({{cot / aspect, 0, 0, 0},
                   {0, cot, 0, 0},
                   {0, 0, -(f + n) / (f - n), -2 * f * n / (f - n)},
                   {0, 0, -1, 0}});
}

Mat4& GlBatch::current() {
  return projectionMode ? projection[projectionTop] : modelview[modelviewTop];
}

void GlBatch::multiplyCurrent(const Mat4& m) { current() = multiply(current(), m); }

void GlBatch::pushMatrix() {
  int& top = projectionMode ? projectionTop : modelviewTop;
  const int depth = projectionMode ? ProjectionStackDepth : ModelviewStackDepth;
  if (top + 1 >= depth) return;
  Mat4* stack = projectionMode ? projection : modelview;
  stack[top + 1] = stack[top];
  ++top;
}

void GlBatch::popMatrix() {
  int& top = projectionMode ? projectionTop : modelviewTop;
  if (top > 0) --top;
}

void GlBatch::begin(uint32_t primitive) {
  if (open) return;  // nested glBegin is an error OpenGL ignores
  open = true;
  mode = primitive;
  transform = multiply(projection[projectionTop], modelview[modelviewTop]);
  pendingCount = 0;
}

void GlBatch::vertex(float x, float y, float z) {
  if (!open) return;
  BatchVertex v{};
  transformPoint(transform, x, y, z, v.clip);
  for (int i = 0; i < 4; ++i) v.colour[i] = colour[i];
  switch (mode) {
    case GL_POINTS:
      emitDot(*this, v);
      break;
    case GL_TRIANGLE_STRIP:
      if (pendingCount == 2) {
        emitTriangle(*this, pending[0], pending[1], v);
        pending[0] = pending[1];
        pending[1] = v;
      } else {
        pending[pendingCount++] = v;
      }
      break;
    case GL_QUADS:
      if (pendingCount == 3) {
        emitTriangle(*this, pending[0], pending[1], pending[2]);
        emitTriangle(*this, pending[0], pending[2], v);
        pendingCount = 0;
      } else {
        pending[pendingCount++] = v;
      }
      break;
    default:  // not a primitive the scene's header offers: nothing is drawn
      break;
  }
}

void GlBatch::end() {
  open = false;  // an unfinished strip or quad is dropped, as in OpenGL
  pendingCount = 0;
}

void GlBatch::clear() {
  // Everything drawn so far this frame is covered; only what follows is drawn.
  vertexCount = 0;
  drawCount = 0;
  cleared = true;
}

void GlBatch::startFrame() {
  vertexCount = 0;
  drawCount = 0;
  cleared = false;
  dropped = 0;
}

void resetGlBatch() {
  static_cast<GlState&>(glBatch) = {};
  glBatch.startFrame();
}

// The scene's OpenGL, as gl_api.h declares it. Hints, shading, texturing and the depth
// settings change nothing here: depth testing is never enabled (the header has no way to),
// every piece is of one colour, and nothing is textured.
extern "C" {
void glHint(GLenum, GLenum) {}
void glEnable(GLenum cap) {
  if (cap == GL_BLEND) glBatch.blend = true;
  if (cap == GL_POINT_SMOOTH) glBatch.pointSmooth = true;
}
void glDisable(GLenum cap) {
  if (cap == GL_BLEND) glBatch.blend = false;
  if (cap == GL_POINT_SMOOTH) glBatch.pointSmooth = false;
}
void glShadeModel(GLenum) {}
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
  setClamped(glBatch.clearColour, r, g, b, a);
}
void glClearDepth(GLclampd) {}
void glDepthFunc(GLenum) {}
void glPointSize(GLfloat size) {
  if (size > 0.0f) glBatch.pointSize = size;  // OpenGL refuses sizes of 0 and below
}
void glBlendFunc(GLenum source, GLenum destination) {
  glBatch.blendSource = source;
  glBatch.blendDestination = destination;
}
void glMatrixMode(GLenum mode) {
  if (mode == GL_PROJECTION || mode == GL_MODELVIEW) glBatch.projectionMode = mode == GL_PROJECTION;
}
void glLoadIdentity() { glBatch.current() = IdentityMatrix; }
void glPushMatrix() { glBatch.pushMatrix(); }
void glPopMatrix() { glBatch.popMatrix(); }
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  glBatch.multiplyCurrent(translationMatrix(x, y, z));
}
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
  glBatch.multiplyCurrent(rotationMatrix(angle, x, y, z));
}
void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  glBatch.multiplyCurrent(orthoMatrix(l, r, b, t, n, f));
}
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble n, GLdouble f) {
  glBatch.multiplyCurrent(perspectiveMatrix(fovy, aspect, n, f));
}
void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  if (width < 0 || height < 0) return;  // OpenGL refuses negative sizes
  const int v[4] = {x, y, width, height};
  for (int i = 0; i < 4; ++i) glBatch.viewport[i] = v[i];
}
void glClear(GLbitfield mask) {
  if (mask & GL_COLOR_BUFFER_BIT) glBatch.clear();
}
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { glColor4f(r, g, b, 1.0f); }
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
  setClamped(glBatch.colour, r, g, b, a);
}
void glBegin(GLenum mode) { glBatch.begin(mode); }
void glEnd() { glBatch.end(); }
void glVertex2f(GLfloat x, GLfloat y) { glBatch.vertex(x, y, 0.0f); }
void glVertex2i(GLint x, GLint y) { glBatch.vertex(static_cast<float>(x), static_cast<float>(y), 0.0f); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { glBatch.vertex(x, y, z); }
}
