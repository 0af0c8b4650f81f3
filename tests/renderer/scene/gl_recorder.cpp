// Definitions of the gl_api.h functions for the native scene tests: each one records itself
// into `gl`. Constants stay numeric so the log shows exactly what the scene passed.
#include "tests/renderer/scene/gl_recorder.h"

#include <cstdio>

#include "renderer/scene/gl_api.h"

GlRecorder gl;

namespace {
void record(const char* name, std::vector<double> args = {}) {
  gl.calls.push_back({name, std::move(args)});
}
}  // namespace

std::vector<std::string> GlRecorder::names() const {
  std::vector<std::string> out;
  for (const GlCall& c : calls) out.push_back(c.name);
  return out;
}

std::vector<GlCall> GlRecorder::named(const std::string& name) const {
  std::vector<GlCall> out;
  for (const GlCall& c : calls)
    if (c.name == name) out.push_back(c);
  return out;
}

std::vector<std::string> GlRecorder::text() const {
  std::vector<std::string> out;
  for (const GlCall& c : calls) {
    std::string s = c.name + "(";
    for (size_t i = 0; i < c.args.size(); ++i) {
      char buf[40];
      std::snprintf(buf, sizeof buf, "%s%.9g", i ? ", " : "", c.args[i]);
      s += buf;
    }
    out.push_back(s + ")");
  }
  return out;
}

extern "C" {
void glHint(GLenum t, GLenum m) { record("glHint", {double(t), double(m)}); }
void glEnable(GLenum c) { record("glEnable", {double(c)}); }
void glDisable(GLenum c) { record("glDisable", {double(c)}); }
void glShadeModel(GLenum m) { record("glShadeModel", {double(m)}); }
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
  record("glClearColor", {r, g, b, a});
}
void glClearDepth(GLclampd d) { record("glClearDepth", {d}); }
void glDepthFunc(GLenum f) { record("glDepthFunc", {double(f)}); }
void glPointSize(GLfloat s) { record("glPointSize", {s}); }
void glBlendFunc(GLenum s, GLenum d) { record("glBlendFunc", {double(s), double(d)}); }
void glMatrixMode(GLenum m) { record("glMatrixMode", {double(m)}); }
void glLoadIdentity() { record("glLoadIdentity"); }
void glPushMatrix() { record("glPushMatrix"); }
void glPopMatrix() { record("glPopMatrix"); }
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { record("glTranslatef", {x, y, z}); }
void glRotatef(GLfloat a, GLfloat x, GLfloat y, GLfloat z) { record("glRotatef", {a, x, y, z}); }
void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  record("glOrtho", {l, r, b, t, n, f});
}
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
  record("glViewport", {double(x), double(y), double(w), double(h)});
}
void glClear(GLbitfield m) { record("glClear", {double(m)}); }
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { record("glColor3f", {r, g, b}); }
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { record("glColor4f", {r, g, b, a}); }
void glBegin(GLenum m) { record("glBegin", {double(m)}); }
void glEnd() { record("glEnd"); }
void glVertex2f(GLfloat x, GLfloat y) { record("glVertex2f", {x, y}); }
void glVertex2i(GLint x, GLint y) { record("glVertex2i", {double(x), double(y)}); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { record("glVertex3f", {x, y, z}); }
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble n, GLdouble f) {
  record("gluPerspective", {fovy, aspect, n, f});
}
uint32_t timeGetTime() {
  if (!gl.millis.empty()) {
    gl.lastMillis = gl.millis.front();
    gl.millis.pop_front();
  }
  return gl.lastMillis;
}
}
