// Makes the preview still: runs the real confetti model at 60 frames a second from a fixed seed
// up to a chosen moment, draws the pieces with the scene into the browser backend's recorder
// (renderer/web/webgl_rules), which works out where OpenGL would put every vertex, and fills
// the recorded triangles into a binary PPM on stdout. make_preview turns it into preview.jpg.
// Usage: preview_still [seconds] [width height]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "renderer/scene/gl_api.h"
#include "renderer/scene/scene.h"
#include "renderer/web/webgl_rules.h"

// The still is drawn without a frame clock.
extern "C" uint32_t timeGetTime() { return 0; }

namespace {

struct Canvas {
  int width, height;
  std::vector<unsigned char> rgb;
  void plot(int x, int y, const unsigned char colour[3]) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    std::copy(colour, colour + 3, rgb.begin() + (static_cast<size_t>(y) * width + x) * 3);
  }
};

// A point just in front of the eye or behind it has no place on the canvas.
constexpr float NearestDepth = 0.1f;

bool onCanvas(const BatchVertex& v, const Canvas& canvas, double& sx, double& sy) {
  if (v.clip[3] < NearestDepth) return false;
  sx = (v.clip[0] / v.clip[3] + 1.0) * 0.5 * canvas.width;
  sy = (1.0 - v.clip[1] / v.clip[3]) * 0.5 * canvas.height;
  return true;
}

void fillTriangle(Canvas& canvas, const double (&x)[3], const double (&y)[3], const unsigned char colour[3]) {
  const int minX = std::max(0, static_cast<int>(std::floor(std::min({x[0], x[1], x[2]}))));
  const int maxX = std::min(canvas.width - 1, static_cast<int>(std::ceil(std::max({x[0], x[1], x[2]}))));
  const int minY = std::max(0, static_cast<int>(std::floor(std::min({y[0], y[1], y[2]}))));
  const int maxY = std::min(canvas.height - 1, static_cast<int>(std::ceil(std::max({y[0], y[1], y[2]}))));
  const double area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
  if (std::fabs(area) < 1e-9) return;
  for (int py = minY; py <= maxY; ++py) {
    for (int px = minX; px <= maxX; ++px) {
      const double cx = px + 0.5, cy = py + 0.5;
      const double w0 = ((x[1] - cx) * (y[2] - cy) - (x[2] - cx) * (y[1] - cy)) / area;
      const double w1 = ((x[2] - cx) * (y[0] - cy) - (x[0] - cx) * (y[2] - cy)) / area;
      const double w2 = 1.0 - w0 - w1;
      if (w0 >= 0 && w1 >= 0 && w2 >= 0) canvas.plot(px, py, colour);
    }
  }
}

void fillDot(Canvas& canvas, double cx, double cy, double radius, const unsigned char colour[3]) {
  for (int y = static_cast<int>(cy - radius); y <= static_cast<int>(cy + radius); ++y) {
    for (int x = static_cast<int>(cx - radius); x <= static_cast<int>(cx + radius); ++x) {
      const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
      if (dx * dx + dy * dy <= radius * radius) canvas.plot(x, y, colour);
    }
  }
}

// The recorded frame, one triangle at a time in the order the scene painted them. Both
// triangles of a dot carry its centre, so filling its disc twice changes nothing.
void fillRecorded(Canvas& canvas, double dotRadius) {
  for (int first = 0; first + 2 < glBatch.vertexCount; first += 3) {
    const BatchVertex* v = &glBatch.vertices[first];
    const unsigned char colour[3] = {static_cast<unsigned char>(v->colour[0] * 255.0f + 0.5f),
                                     static_cast<unsigned char>(v->colour[1] * 255.0f + 0.5f),
                                     static_cast<unsigned char>(v->colour[2] * 255.0f + 0.5f)};
    double x[3], y[3];
    if (!onCanvas(v[0], canvas, x[0], y[0]) || !onCanvas(v[1], canvas, x[1], y[1]) ||
        !onCanvas(v[2], canvas, x[2], y[2])) {
      continue;
    }
    if (v->dot[2] != 0.0f) {
      fillDot(canvas, x[0], y[0], dotRadius, colour);
    } else {
      fillTriangle(canvas, x, y, colour);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const double until = argc > 1 ? std::atof(argv[1]) : 8.1;
  Canvas canvas{argc > 3 ? std::atoi(argv[2]) : 608, argc > 3 ? std::atoi(argv[3]) : 448, {}};
  if (canvas.width <= 0 || canvas.height <= 0) return 2;
  canvas.rgb.assign(static_cast<size_t>(canvas.width) * canvas.height * 3, 0);

  resetScene();
  seedRandom(20240521u);
  startSceneClock();
  frameSeconds = 1.0 / 60.0;
  while (sceneTime < until) {
    simulateFrame();
    advanceSceneClock();
  }
  // The scene's designed view stretched over the canvas, as the Windows renderer shows it.
  resetGlBatch();
  resizeViewport(canvas.width, canvas.height);
  setupScene();
  glBatch.startFrame();
  for (const ConfettiPiece& piece : pieces) piece.draw();
  // A dot is 3 of the renderer's 1024 pixels across, never under one pixel of radius.
  fillRecorded(canvas, std::max(1.0, 1.5 * canvas.width / 1024.0));

  std::printf("P6\n%d %d\n255\n", canvas.width, canvas.height);
  std::fwrite(canvas.rgb.data(), 1, canvas.rgb.size(), stdout);
  return 0;
}
