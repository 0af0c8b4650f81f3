// A recording stand-in for the OpenGL, GLU and counter functions of renderer/scene/gl_api.h:
// every call is appended to a log with its arguments, and the counter plays back a script.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

struct GlCall {
  std::string name;
  std::vector<double> args;
};

struct GlRecorder {
  std::vector<GlCall> calls;
  std::deque<uint32_t> millis;  // successive timeGetTime results; the last one repeats
  uint32_t lastMillis = 0;

  void clear() { calls.clear(); }
  std::vector<std::string> names() const;
  // Calls named `name`, in order.
  std::vector<GlCall> named(const std::string& name) const;
  // Calls rendered as "glName(a, b, c)" with %g, for readable sequence comparisons.
  std::vector<std::string> text() const;
};

extern GlRecorder gl;
