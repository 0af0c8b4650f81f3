// The browser backend's recording half: where vertices land in clip space after the matrix
// calls, which triangles and dots the primitives become, and how many draws a frame needs,
// also for real frames of the scene.
#include "renderer/web/webgl_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "renderer/scene/gl_api.h"
#include "renderer/scene/scene.h"

namespace {

uint32_t clockMillis = 0;

class WebGlRules : public ::testing::Test {
 protected:
  void SetUp() override {
    resetGlBatch();
    resetScene();
    clockMillis = 0;
  }
  void TearDown() override { resetScene(); }
};

TEST_F(WebGlRules, VertexLandsWhereTheMatricesPutIt) {
  const struct {
    const char* what;
    std::function<void()> matrices;
    float in[3];
    float clip[4];  // worked out by hand
  } cases[] = {
      {"identity", [] {}, {1, 2, 3}, {1, 2, 3, 1}},
      {"translate", [] { glTranslatef(1, 2, 3); }, {1, 1, 1}, {2, 3, 4, 1}},
      {"90 degrees about z", [] { glRotatef(90, 0, 0, 1); }, {1, 0, 0}, {0, 1, 0, 1}},
      {"90 degrees about x", [] { glRotatef(90, 1, 0, 0); }, {0, 1, 0}, {0, 0, 1, 1}},
      {"90 degrees about y", [] { glRotatef(90, 0, 1, 0); }, {0, 0, 1}, {1, 0, 0, 1}},
      {"axis of any length", [] { glRotatef(180, 0, 0, 5); }, {1, 2, 0}, {-1, -2, 0, 1}},
      {"translate, then rotate", [] { glTranslatef(10, 0, 0); glRotatef(90, 0, 0, 1); },
       {1, 0, 0}, {10, 1, 0, 1}},
      {"rotate, then translate", [] { glRotatef(90, 0, 0, 1); glTranslatef(1, 0, 0); },
       {0, 0, 0}, {0, 1, 0, 1}},
      {"pushed translation popped", [] { glPushMatrix(); glTranslatef(5, 5, 5); glPopMatrix(); },
       {1, 2, 3}, {1, 2, 3, 1}},
      {"pop of an empty stack ignored", [] { glTranslatef(1, 0, 0); glPopMatrix(); },
       {0, 0, 0}, {1, 0, 0, 1}},
      // OpenGL's minimum depths, 32 and 2, each used to the last level and not one beyond.
      {"deepest model-view push kept, one more ignored",
       [] { for (int i = 0; i < 31; ++i) { glPushMatrix(); glTranslatef(1, 0, 0); }
            glPushMatrix(); glTranslatef(100, 0, 0); glPopMatrix(); },
       {0, 0, 0}, {30, 0, 0, 1}},
      {"projection's one push kept, one more ignored",
       [] { glMatrixMode(GL_PROJECTION); glPushMatrix(); glTranslatef(1, 0, 0); glPushMatrix();
            glTranslatef(10, 0, 0); glPopMatrix(); },
       {0, 0, 0}, {0, 0, 0, 1}},
      {"flash canvas corner", [] { glMatrixMode(GL_PROJECTION); glOrtho(0, 640, 0, 480, -100, 100); },
       {640, 480, 0}, {1, 1, 0, 1}},
      {"flash canvas middle", [] { glMatrixMode(GL_PROJECTION); glOrtho(0, 640, 0, 480, -100, 100); },
       {320, 240, 50}, {0, 0, -0.5f, 1}},
      {"frustum 90 degrees, aspect 2, near 1, far 3",
       [] { glMatrixMode(GL_PROJECTION); gluPerspective(90, 2, 1, 3); }, {2, 1, -2}, {1, 1, 1, 2}},
      {"projection and model-view kept apart",
       [] { glMatrixMode(GL_PROJECTION); glTranslatef(0, 0, -5); glMatrixMode(GL_MODELVIEW);
            glTranslatef(1, 0, 0); },
       {0, 0, 0}, {1, 0, -5, 1}},
      // The scene's camera: eye at (0, 5, 30); x scale cot(22.5 deg) / (4/3) = 0.75 (1 + sqrt 2),
      // z = (100.1 * 30 - 20) / 99.9 for the eye distance 30.
      {"scene perspective", [] { setupScene(); }, {1, 5, 0}, {1.81066017f, 0, 29.8598599f, 30}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    resetGlBatch();
    c.matrices();
    glMatrixMode(GL_MODELVIEW);
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i < 3; ++i) glVertex3f(c.in[0], c.in[1], c.in[2]);
    glEnd();
    ASSERT_EQ(glBatch.vertexCount, 3);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(glBatch.vertices[0].clip[i], c.clip[i], 2e-5f) << i;
  }
}

TEST_F(WebGlRules, PrimitivesBecomeTrianglesAndRoundDots) {
  const struct {
    const char* what;
    GLenum mode;
    int vertices;
    bool smooth;
    float pointSize;
    int recorded;
    float dotRadius;  // of the recorded vertices; 0 for paper, negative for a square dot
  } cases[] = {
      {"square strip", GL_TRIANGLE_STRIP, 4, true, 3, 6, 0},
      {"triangle strip", GL_TRIANGLE_STRIP, 3, true, 3, 3, 0},
      {"strip too short", GL_TRIANGLE_STRIP, 2, true, 3, 0, 0},
      {"flash quad", GL_QUADS, 4, true, 3, 6, 0},
      {"unfinished quad", GL_QUADS, 7, true, 3, 6, 0},
      {"smooth dot of 3", GL_POINTS, 1, true, 3, 6, 1.5f},
      {"smooth dot of 8.5, in the buffer's pixels", GL_POINTS, 1, true, 8.5f, 6, 4.25f},
      {"two dots", GL_POINTS, 2, true, 3, 12, 1.5f},
      {"unsmoothed dot", GL_POINTS, 1, false, 3, 6, -1.5f},
      {"unsmoothed dot rounds to whole pixels", GL_POINTS, 1, false, 8.4f, 6, -4.0f},
      {"not a primitive of the header", 0x0004, 3, true, 3, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    resetGlBatch();
    glPointSize(c.pointSize);
    if (c.smooth) glEnable(GL_POINT_SMOOTH);
    glColor3f(0.25f, 0.5f, 0.75f);
    glBegin(c.mode);
    for (int i = 0; i < c.vertices; ++i) glVertex2f(static_cast<float>(i), static_cast<float>(i % 2));
    glEnd();
    ASSERT_EQ(glBatch.vertexCount, c.recorded);
    for (int i = 0; i < c.recorded; ++i) {
      const BatchVertex& v = glBatch.vertices[i];
      EXPECT_EQ(v.dot[2], c.dotRadius);
      EXPECT_EQ(v.colour[3], 1.0f);
      EXPECT_EQ(v.colour[1], 0.5f);
    }
    if (c.mode == GL_POINTS) {
      // Two triangles around the centre reaching past the radius by the smoothing fringe.
      const float reach = c.smooth ? c.dotRadius + 1.0f : -c.dotRadius;
      float lowest = 0, highest = 0;
      for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(glBatch.vertices[i].clip[0], 0.0f);
        lowest = std::min(lowest, glBatch.vertices[i].dot[0]);
        highest = std::max(highest, glBatch.vertices[i].dot[1]);
      }
      EXPECT_EQ(lowest, -reach);
      EXPECT_EQ(highest, reach);
    }
  }
}

// How many recorded triangles hold the point (x, y) of clip space, all w being 1: those with
// the point on the same side of all three edges, whichever way they wind.
int trianglesHolding(float x, float y) {
  int count = 0;
  for (int t = 0; t + 2 < glBatch.vertexCount; t += 3) {
    int left = 0, right = 0;
    for (int e = 0; e < 3; ++e) {
      const float* p = glBatch.vertices[t + e].clip;
      const float* q = glBatch.vertices[t + (e + 1) % 3].clip;
      const float side = (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0]);
      left += side > 0;
      right += side < 0;
    }
    count += left == 3 || right == 3;
  }
  return count;
}

// Paper has no depth test and the flash adds its light, so every point of a strip's or a
// quad's outline must lie in exactly one triangle: none left out, none painted twice.
TEST_F(WebGlRules, StripsAndQuadsCoverTheirOutlineOnce) {
  const struct {
    const char* what;
    GLenum mode;
    std::vector<std::pair<float, float>> corners;
    float width;  // the outline is 0..width by 0..1
  } cases[] = {
      {"strip of four triangles", GL_TRIANGLE_STRIP,
       {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}}, 2},
      {"flash quad", GL_QUADS, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    resetGlBatch();
    glBegin(c.mode);
    for (const auto& corner : c.corners) glVertex2f(corner.first, corner.second);
    glEnd();
    int wrong = 0;  // sample points off every edge and diagonal
    for (float x = 0.05f; x < c.width; x += 0.1f) {
      for (float y = 0.03f; y < 1; y += 0.1f) wrong += trianglesHolding(x, y) != 1;
    }
    EXPECT_EQ(wrong, 0);
  }
}

// What does not fit in the frame's fixed storage is dropped a whole triangle at a time and
// counted; what fits is kept and nothing is written beyond the storage.
TEST_F(WebGlRules, WhatDoesNotFitIsDroppedAndCounted) {
  auto triangles = [](int count) {
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i < count + 2; ++i) {
      glVertex2f(static_cast<float>(i / 2), static_cast<float>(i % 2));
    }
    glEnd();
  };
  const struct {
    const char* what;
    std::function<void()> draw;
    int vertices, draws, dropped;
  } cases[] = {
      // 8,192 vertices hold 2,730 whole triangles.
      {"more triangles than vertices", [&] { triangles(2732); }, 8190, 1, 6},
      // Blending turned off and on 70 times: once the 64 draws are used, a triangle in the
      // last draw's state still joins it (3 of the 6 beyond).
      {"more blend changes than draws",
       [&] {
         for (int i = 0; i < 70; ++i) {
           i % 2 ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
           triangles(1);
         }
       },
       201, 64, 9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    resetGlBatch();
    c.draw();
    EXPECT_EQ(glBatch.vertexCount, c.vertices);
    EXPECT_EQ(glBatch.drawCount, c.draws);
    EXPECT_EQ(glBatch.dropped, c.dropped);
  }
}

TEST_F(WebGlRules, OneDrawPerBlendStateInPaintingOrder) {
  auto square = [] {
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i < 4; ++i) glVertex2f(static_cast<float>(i / 2), static_cast<float>(i % 2));
    glEnd();
  };
  auto dot = [] {
    glBegin(GL_POINTS);
    glVertex3f(0, 0, 0);
    glEnd();
  };
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  square();
  dot();
  square();
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  square();
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  square();
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  dot();
  glDisable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);  // no blending: the function does not matter
  square();
  glBlendFunc(GL_ONE, GL_ONE);
  dot();
  struct Draw {
    int first, count;
    bool blend;
    uint32_t source, destination;
  };
  const std::vector<Draw> want = {{0, 18, true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA},
                                  {18, 12, true, GL_SRC_ALPHA, GL_ONE},
                                  {30, 6, true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA},
                                  {36, 12, false, GL_SRC_ALPHA, GL_ONE}};
  ASSERT_EQ(glBatch.drawCount, static_cast<int>(want.size()));
  for (size_t i = 0; i < want.size(); ++i) {
    const BatchDraw& d = glBatch.draws[i];
    EXPECT_EQ(d.first, want[i].first) << i;
    EXPECT_EQ(d.count, want[i].count) << i;
    EXPECT_EQ(d.blend, want[i].blend) << i;
    if (want[i].blend) {
      EXPECT_EQ(d.source, want[i].source) << i;
      EXPECT_EQ(d.destination, want[i].destination) << i;
    }
  }
  // A clear covers what came before it.
  glClear(GL_COLOR_BUFFER_BIT);
  EXPECT_EQ(glBatch.drawCount, 0);
  EXPECT_TRUE(glBatch.cleared);
}

TEST_F(WebGlRules, SceneFramesNeedOneDrawAndOneMoreForTheFlash) {
  calendarSeconds = [] { return 7u; };
  int flashFrames = 0, mostVertices = 0;
  // 30 frames a second through the first flash at 7.5 s and its fade.
  for (int frame = 0; frame < 260; ++frame) {
    clockMillis = static_cast<uint32_t>(frame) * 33u;
    glBatch.startFrame();
    renderNextFrame();
    int vertices = 0;
    ASSERT_LE(glBatch.drawCount, 2) << frame;
    ASSERT_EQ(glBatch.dropped, 0);
    for (int i = 0; i < glBatch.drawCount; ++i) vertices += glBatch.draws[i].count;
    EXPECT_EQ(vertices, glBatch.vertexCount);
    if (glBatch.drawCount == 2) {
      ++flashFrames;
      EXPECT_EQ(glBatch.draws[1].destination, static_cast<uint32_t>(GL_ONE));
    }
    mostVertices = std::max(mostVertices, glBatch.vertexCount);
  }
  EXPECT_GT(mostVertices, 1500);  // the burst at 7.3 s: about 400 pieces of 3 or 6 vertices
  EXPECT_NEAR(flashFrames, 30, 2);  // one second of fade at 33 ms a frame
}

}  // namespace

extern "C" uint32_t timeGetTime() { return clockMillis; }
