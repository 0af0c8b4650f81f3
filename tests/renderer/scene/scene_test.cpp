// The scene's OpenGL calls, checked against the recording stand-in: piece geometry, the
// flash, the frame and the frame clock. Where things land on screen (the view, a piece's
// tumble, the canvas before the first frame) is checked in scene_view_test.cpp.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "renderer/scene/gl_api.h"
#include "renderer/scene/scene.h"
#include "tests/renderer/scene/gl_recorder.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::DoubleEq;
using ::testing::FloatEq;

namespace {

uint32_t fixedCalendar() { return 1234; }

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetScene();
    gl = GlRecorder{};
  }
  void TearDown() override { resetScene(); }

  static ConfettiPiece flyingPiece(int shape) {
    ConfettiPiece p{};
    p.active = 1;
    p.shape = shape;
    p.x = 1.5f, p.y = 8.25f, p.z = 0.75f;
    p.angleX = 10.0f, p.angleY = 200.0f, p.angleZ = -35.0f;
    p.pivotX = -0.325f, p.pivotY = -0.425f, p.pivotZ = -0.325f;
    p.red = 0.25f, p.green = 0.5f, p.blue = 0.125f;
    return p;
  }

  // Counts of flash quads and their opacities in the recorded log.
  static std::vector<float> flashOpacities() {
    std::vector<float> out;
    for (const GlCall& c : gl.named("glColor4f")) out.push_back(static_cast<float>(c.args[3]));
    return out;
  }
};

TEST_F(SceneTest, FreeOrOddActiveSlotsDrawNothing) {
  for (uint8_t active : {0, 2, 255}) {
    ConfettiPiece p = flyingPiece(1);
    p.active = active;
    p.draw();
    EXPECT_TRUE(gl.calls.empty()) << "active=" << int(active);
  }
}

TEST_F(SceneTest, ShapeCodesGiveDotSquareOrTriangle) {
  const float s = 0.65f;
  const std::vector<std::vector<double>> square = {{s, s}, {0, s}, {s, 0}, {0, 0}};
  const std::vector<std::vector<double>> triangle = {{s, s}, {0, s}, {s, 0}};
  struct Case {
    int shape;
    GLenum primitive;
    std::vector<std::vector<double>> vertices;
    const char* vertexCall;
  };
  const Case cases[] = {
      {0, GL_POINTS, {{0, 0, 0}}, "glVertex3f"},
      {1, GL_TRIANGLE_STRIP, square, "glVertex2f"},
      {2, GL_TRIANGLE_STRIP, square, "glVertex2f"},
      {3, GL_TRIANGLE_STRIP, square, "glVertex2f"},
      {4, GL_TRIANGLE_STRIP, triangle, "glVertex2f"},
      {5, GL_TRIANGLE_STRIP, triangle, "glVertex2f"},
      {6, GL_POINTS, {{0, 0, 0}}, "glVertex3f"},
      {-1, GL_POINTS, {{0, 0, 0}}, "glVertex3f"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shape);
    gl.clear();
    flyingPiece(c.shape).draw();
    const auto begins = gl.named("glBegin");
    ASSERT_EQ(begins.size(), 1u);
    EXPECT_EQ(begins[0].args[0], double(c.primitive));
    // Vertices sit between glBegin and glEnd, and nothing else does.
    std::vector<std::vector<double>> seen;
    bool inside = false;
    for (const GlCall& call : gl.calls) {
      if (call.name == "glBegin") inside = true;
      else if (call.name == "glEnd") inside = false;
      else if (inside) {
        EXPECT_EQ(call.name, c.vertexCall);
        seen.push_back(call.args);
      }
    }
    EXPECT_EQ(seen, c.vertices);
  }
}

TEST_F(SceneTest, InitSeedsFromTheCalendarAndStartsTheFrameClock) {
  calendarSeconds = fixedCalendar;
  gl.millis = {777};
  EXPECT_TRUE(initGraphics());
  EXPECT_EQ(lastFrameMillis, 777u);
  // Seeded with the calendar clock: the generator continues as a fresh seed of 1234 would.
  const int drawn = nextRandom();
  seedRandom(1234);
  EXPECT_EQ(drawn, nextRandom());
}

TEST_F(SceneTest, FrameDrawsEachActivePieceBeforeAdvancingIt) {
  pieces[3] = flyingPiece(0);
  pieces[3].velocityX = 2.0f;
  pieces[7] = flyingPiece(4);
  pieces[7].red = 0.75f;
  sceneTime = 1.0;
  frameSeconds = 0.005;  // too short for the trickle: only the two pieces are drawn
  gl.millis = {4242};
  drawFrame();
  EXPECT_EQ(lastFrameMillis, 4242u);
  const auto names = gl.names();
  EXPECT_THAT(std::vector<std::string>(names.begin(), names.begin() + 2),
              ElementsAre("glClear", "glBlendFunc"));
  EXPECT_EQ(gl.calls[0].args[0], double(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
  EXPECT_THAT(gl.calls[1].args, ElementsAre(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA));
  const auto colours = gl.named("glColor3f");
  ASSERT_EQ(colours.size(), 2u);
  EXPECT_THAT(colours[0].args[0], DoubleEq(0.25f));
  EXPECT_THAT(colours[1].args[0], DoubleEq(0.75f));
  // Drawn where it stood, then moved.
  EXPECT_THAT(gl.named("glTranslatef")[0].args[0], DoubleEq(1.5f));
  EXPECT_THAT(pieces[3].x, FloatEq(1.5f + 0.005f * 2.0f));
  // No flash: after the pieces only the matrix-mode switch around the (empty) flash.
  const auto text = gl.text();
  EXPECT_THAT(std::vector<std::string>(text.end() - 2, text.end()),
              ElementsAre("glMatrixMode(5889)", "glMatrixMode(5888)"));
  EXPECT_TRUE(gl.named("glBegin").size() == 2);
}

TEST_F(SceneTest, FlashThresholdsAndTheTwoQuadsOfTheStartingFrame) {
  struct Case {
    double sceneTime;
    double frameSeconds;
    int quads;
  };
  const Case cases[] = {
      {7.49, 0.02, 2},         // crosses 7.5
      {7.5, 0.02, 0},          // starts on it: not crossed
      {7.48, 0.02, 0},         // ends on it
      {17.9, 0.051, 2},        // crosses the float 17.95
      {17.9, 0.0500005, 0},    // past 17.95 but short of 17.950000762939453
      {17.95, 0.0000005, 0},   // still short of it
      {10.0, 0.5, 0},
      {7.0, 11.0, 2},          // one long step over both: each trigger draws and fades out
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sceneTime << " + " << c.frameSeconds);
    resetScene();
    gl = GlRecorder{};
    sceneTime = c.sceneTime;
    frameSeconds = c.frameSeconds;
    drawFrame();
    EXPECT_EQ(static_cast<int>(gl.named("glColor4f").size()), c.quads);
    EXPECT_EQ(gl.named("glPushMatrix").size(), gl.named("glPopMatrix").size());
  }

  resetScene();
  gl = GlRecorder{};
  sceneTime = 7.49;
  frameSeconds = 0.02;
  drawFrame();
  EXPECT_THAT(flashOpacities(), ElementsAre(FloatEq(1.0f), FloatEq(0.98f)));
  EXPECT_THAT(flashAlpha, FloatEq(0.96f));
  EXPECT_EQ(flashSeconds, 1.0f);
  // The quad covers the 640 x 480 canvas under its own ortho, added onto the picture.
  const auto text = gl.text();
  auto first = std::find(text.begin(), text.end(), "glPushMatrix()");
  ASSERT_NE(first, text.end());
  EXPECT_THAT(std::vector<std::string>(first - 1, first + 13),
              ElementsAre("glMatrixMode(5889)", "glPushMatrix()", "glLoadIdentity()",
                          "glOrtho(0, 640, 0, 480, -100, 100)", "glBlendFunc(770, 1)",
                          "glColor4f(1, 1, 1, 1)", "glDisable(3553)", "glBegin(7)",
                          "glVertex2i(0, 0)", "glVertex2i(640, 0)", "glVertex2i(640, 480)",
                          "glVertex2i(0, 480)", "glEnd()", "glPopMatrix()"));
  EXPECT_EQ(text.back(), "glMatrixMode(5888)");
}

TEST_F(SceneTest, FlashFadesOutInAboutOneSecondThenDrawsNothing) {
  sceneTime = 7.45;
  frameSeconds = 0.1;
  drawFrame();
  int framesWithQuad = 0;
  for (int frame = 0; frame < 20; ++frame) {
    advanceSceneClock();
    gl.clear();
    drawFrame();
    if (!gl.named("glColor4f").empty()) ++framesWithQuad;
  }
  EXPECT_GE(framesWithQuad, 7);
  EXPECT_LE(framesWithQuad, 9);
  EXPECT_EQ(flashAlpha, 0.0f);
  EXPECT_TRUE(gl.named("glBegin").size() == gl.named("glColor3f").size());
}

TEST_F(SceneTest, FirstFrameInitialisesOnceAndMeasuresFromInit) {
  calendarSeconds = fixedCalendar;
  gl.millis = {5000, 5003, 5003, 5020, 5020};
  renderNextFrame();
  EXPECT_DOUBLE_EQ(frameSeconds, 0.003);
  EXPECT_DOUBLE_EQ(sceneTime, 0.303);
  EXPECT_EQ(gl.named("gluPerspective").size(), 1u);
  EXPECT_EQ(gl.named("glClear").size(), 1u);
  renderNextFrame();
  EXPECT_DOUBLE_EQ(frameSeconds, 0.017);
  EXPECT_DOUBLE_EQ(sceneTime, 0.32);
  EXPECT_EQ(gl.named("gluPerspective").size(), 1u) << "initialised once only";
  EXPECT_EQ(gl.named("glClear").size(), 2u);
}

TEST_F(SceneTest, FrameTimeCarriesPausesAndSurvivesTheCounterWrap) {
  struct Case {
    uint32_t last, now;
    double seconds;
  };
  const Case cases[] = {
      {1000, 1016, 0.016},
      {1000, 1000, 0.0},
      {1000, 61000, 60.0},                // a minimised minute, unclamped
      {0xFFFFFFF0u, 0x00000010u, 0.032},  // across the 49.7-day wrap
      {0xFFFFFFFFu, 0x00000000u, 0.001},
  };
  for (const Case& c : cases) {
    lastFrameMillis = c.last;
    gl.millis = {c.now};
    EXPECT_DOUBLE_EQ(measureFrameSeconds(), c.seconds) << c.last << " -> " << c.now;
  }
  // A frame spanning the wrap keeps the choreography going forward.
  calendarSeconds = fixedCalendar;
  gl.millis = {0xFFFFFFF0u, 0xFFFFFFF8u, 0xFFFFFFF8u, 0x00000008u, 0x00000008u};
  renderNextFrame();
  const double before = sceneTime;
  renderNextFrame();
  EXPECT_DOUBLE_EQ(frameSeconds, 0.016);
  EXPECT_GT(sceneTime, before);
}

}  // namespace
