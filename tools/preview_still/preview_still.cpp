// Makes the preview still: runs the real confetti model (renderer/confetti) at 60 frames a
// second from a fixed seed up to a chosen moment and rasterises the pieces with the renderer's
// perspective into a binary PPM on stdout. make_preview turns it into preview.jpg.
// Usage: preview_still [seconds] [width height]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "renderer/confetti/confetti.h"

namespace {

struct Vec {
  double x, y, z;
};

struct Canvas {
  int width, height;
  std::vector<unsigned char> rgb;
  void plot(int x, int y, const unsigned char colour[3]) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    std::copy(colour, colour + 3, rgb.begin() + (static_cast<size_t>(y) * width + x) * 3);
  }
};

Vec rotate(Vec v, double degrees, int axis) {
  const double a = degrees * 3.14159265358979323846 / 180.0;
  const double c = std::cos(a), s = std::sin(a);
  switch (axis) {
    case 0:
      return {v.x, c * v.y - s * v.z, s * v.y + c * v.z};
    case 1:
      return {c * v.x + s * v.z, v.y, -s * v.x + c * v.z};
    default:
      return {c * v.x - s * v.y, s * v.x + c * v.y, v.z};
  }
}

// The piece's local vertex through its pivot, tumble and position, then the scene's camera at
// (0, 5, 30) and a 45-degree, 4:3 perspective stretched over the canvas. False behind the eye.
bool project(const ConfettiPiece& p, double lx, double ly, const Canvas& canvas, double& sx, double& sy) {
  Vec v{lx + p.pivotX, ly + p.pivotY, 0.0 + p.pivotZ};
  v = rotate(v, p.angleZ, 2);
  v = rotate(v, p.angleY, 1);
  v = rotate(v, p.angleX, 0);
  const Vec eye{v.x + p.x, v.y + p.y - 5.0, v.z + p.z - 30.0};
  if (eye.z > -0.1) return false;
  const double f = 1.0 / std::tan(22.5 * 3.14159265358979323846 / 180.0);
  const double nx = f / (4.0 / 3.0) * eye.x / -eye.z;
  const double ny = f * eye.y / -eye.z;
  sx = (nx + 1.0) * 0.5 * canvas.width;
  sy = (1.0 - ny) * 0.5 * canvas.height;
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

void drawPiece(Canvas& canvas, const ConfettiPiece& p, double dotRadius) {
  if (p.active != 1) return;
  const unsigned char colour[3] = {static_cast<unsigned char>(p.red * 255.0f + 0.5f),
                                   static_cast<unsigned char>(p.green * 255.0f + 0.5f),
                                   static_cast<unsigned char>(p.blue * 255.0f + 0.5f)};
  static const double corners[4][2] = {{0.65, 0.65}, {0.0, 0.65}, {0.65, 0.0}, {0.0, 0.0}};
  double sx[4], sy[4];
  if (p.shape >= 1 && p.shape <= 5) {
    const int count = p.shape <= 3 ? 4 : 3;
    for (int i = 0; i < count; ++i) {
      if (!project(p, corners[i][0], corners[i][1], canvas, sx[i], sy[i])) return;
    }
    fillTriangle(canvas, {sx[0], sx[1], sx[2]}, {sy[0], sy[1], sy[2]}, colour);
    if (count == 4) fillTriangle(canvas, {sx[2], sx[1], sx[3]}, {sy[2], sy[1], sy[3]}, colour);
    return;
  }
  // A dot: the renderer's 3-pixel smoothed point, scaled with the canvas.
  double cx, cy;
  if (!project(p, -p.pivotX, -p.pivotY, canvas, cx, cy)) return;
  for (int y = static_cast<int>(cy - dotRadius); y <= static_cast<int>(cy + dotRadius); ++y) {
    for (int x = static_cast<int>(cx - dotRadius); x <= static_cast<int>(cx + dotRadius); ++x) {
      const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
      if (dx * dx + dy * dy <= dotRadius * dotRadius) canvas.plot(x, y, colour);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const double until = argc > 1 ? std::atof(argv[1]) : 8.1;
  Canvas canvas{argc > 3 ? std::atoi(argv[2]) : 608, argc > 3 ? std::atoi(argv[3]) : 448, {}};
  if (canvas.width <= 0 || canvas.height <= 0) return 2;
  canvas.rgb.assign(static_cast<size_t>(canvas.width) * canvas.height * 3, 0);

  resetConfetti();
  seedRandom(20240521u);
  startSceneClock();
  frameSeconds = 1.0 / 60.0;
  while (sceneTime < until) {
    simulateFrame();
    advanceSceneClock();
  }
  // A dot is 3 of the renderer's 1024 pixels across.
  const double dotRadius = std::max(1.0, 1.5 * canvas.width / 1024.0);
  for (const ConfettiPiece& piece : pieces) drawPiece(canvas, piece, dotRadius);

  std::printf("P6\n%d %d\n255\n", canvas.width, canvas.height);
  std::fwrite(canvas.rgb.data(), 1, canvas.rgb.size(), stdout);
  return 0;
}
