// What the scene's set-up shows, checked through the browser backend's recorder, which keeps
// OpenGL's state and matrices on the CPU: where world points land on the screen (the framing
// the choreography's bounds rely on), the blend and point state the pieces need, the 4:3
// picture kept across a resize to another shape, and the view that keeps pieces' shape.
#include <gtest/gtest.h>

#include "renderer/scene/gl_api.h"
#include "renderer/scene/scene.h"
#include "renderer/web/webgl_rules.h"

namespace {

uint32_t fixedCalendar() { return 1234; }

}  // namespace

// The counter the scene reads; a window layer defines it, and the view does not depend on it.
extern "C" uint32_t timeGetTime() { return 0; }

namespace {

struct Ndc {
  float x, y;
};

// Where a piece's dot lands, in normalised device coordinates (-1 to 1 is the window).
Ndc whereDrawn(const ConfettiPiece& p) {
  glBatch.startFrame();
  p.draw();
  EXPECT_GT(glBatch.vertexCount, 0);
  const float* clip = glBatch.vertices[0].clip;
  return {clip[0] / clip[3], clip[1] / clip[3]};
}

// A dot of a piece at (x, y, z) with no tumble and no pivot.
Ndc whereDrawn(float x, float y, float z) {
  ConfettiPiece p{};
  p.active = 1;
  p.shape = 0;
  p.x = x, p.y = y, p.z = z;
  return whereDrawn(p);
}

class SceneView : public ::testing::Test {
 protected:
  void SetUp() override {
    resetScene();
    resetGlBatch();
    calendarSeconds = fixedCalendar;
    resizeViewport(1024, 768);
    initGraphics();
    setupScene();
  }
  void TearDown() override { resetScene(); }
};

TEST_F(SceneView, TheViewFramesTheEmitterAndTheBoundsThatFreePieces) {
  const struct {
    const char* what;
    float x, y;
    bool inside;
    bool upperHalf;
  } cases[] = {
      {"emitter at rest", 0, 10, true, true},
      {"emitter at its widest sway", 3, 10, true, true},
      {"right bound, near the side", 15, 0, true, false},
      {"left bound, near the side", -15, 0, true, false},
      {"beyond the right side", 16.8f, 0, false, false},
      {"just inside the top", 0, 17.2f, true, true},
      {"above the top", 0, 17.7f, false, true},
      {"floor where pieces are freed, below the bottom edge", 0, -9, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Ndc at = whereDrawn(c.x, c.y, 0);
    EXPECT_EQ(at.x > -1 && at.x < 1 && at.y > -1 && at.y < 1, c.inside) << at.x << ", " << at.y;
    EXPECT_EQ(at.y > 0, c.upperHalf) << at.y;
  }
  // The bounds free pieces near the sides, not in the middle of the picture.
  EXPECT_GT(whereDrawn(15, 0, 0).x, 0.85f);
}

TEST_F(SceneView, APieceTumblesAboutItsPositionSwingingItsPivotInItsOwnColour) {
  // The pivot is turned with the paper: half a turn about one axis swings it to the other side.
  const struct {
    const char* what;
    float angleX, angleY, angleZ;
    float x, y, z;  // where the dot must land
  } cases[] = {
      {"no tumble", 0, 0, 0, 1.5f, 8.5f, 0.5f},
      {"half a turn about y", 0, 180, 0, 0.5f, 8.5f, -0.5f},
      {"half a turn about x", 180, 0, 0, 1.5f, 7.5f, -0.5f},
      {"a quarter turn about z", 0, 0, 90, 0.5f, 8.5f, 0.5f},
      {"about z first, then about x", 90, 0, 90, 0.5f, 7.5f, 0.5f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ConfettiPiece p{};
    p.active = 1;
    p.shape = 0;
    p.x = 1, p.y = 8, p.z = 0;
    p.pivotX = p.pivotY = p.pivotZ = 0.5f;
    p.angleX = c.angleX, p.angleY = c.angleY, p.angleZ = c.angleZ;
    p.red = 0.25f, p.green = 0.5f, p.blue = 0.125f;
    const Ndc at = whereDrawn(p);
    const Ndc expected = whereDrawn(c.x, c.y, c.z);
    EXPECT_NEAR(at.x, expected.x, 1e-5);
    EXPECT_NEAR(at.y, expected.y, 1e-5);
    whereDrawn(p);
    const float* colour = glBatch.vertices[0].colour;
    EXPECT_EQ(colour[0], 0.25f);
    EXPECT_EQ(colour[1], 0.5f);
    EXPECT_EQ(colour[2], 0.125f);
    EXPECT_EQ(glBatch.modelviewTop, 0) << "the piece's matrix is popped again";
  }
}

TEST_F(SceneView, BeforeTheFirstFrameAResizeShowsThe640By480CanvasForAnyHeight) {
  resetScene();
  resetGlBatch();
  resizeViewport(1024, 0);  // a zero height would divide by zero in the projection
  EXPECT_EQ(glBatch.viewport[3], 1);
  const Ndc corner = whereDrawn(640, 480, 0), origin = whereDrawn(0, 0, 0);
  EXPECT_FLOAT_EQ(corner.x, 1);
  EXPECT_FLOAT_EQ(corner.y, 1);
  EXPECT_FLOAT_EQ(origin.x, -1);
  EXPECT_FLOAT_EQ(origin.y, -1);
}

TEST_F(SceneView, PiecesArePaintedOpaqueInSlotOrderWithRoundDots) {
  EXPECT_TRUE(glBatch.blend);
  EXPECT_EQ(glBatch.blendSource, static_cast<uint32_t>(GL_SRC_ALPHA));
  EXPECT_EQ(glBatch.blendDestination, static_cast<uint32_t>(GL_ONE_MINUS_SRC_ALPHA));
  EXPECT_TRUE(glBatch.pointSmooth);
  EXPECT_EQ(glBatch.pointSize, 3.0f);
  EXPECT_EQ(glBatch.clearColour[0] + glBatch.clearColour[1] + glBatch.clearColour[2], 0.0f);
}

TEST_F(SceneView, AWindowOfAnotherShapeShowsTheSame43PictureStretched) {
  const Ndc before = whereDrawn(12, 15, 0);
  for (const auto& size : {std::make_pair(1920, 1080), std::make_pair(600, 800)}) {
    resizeViewport(size.first, size.second);
    const Ndc after = whereDrawn(12, 15, 0);
    EXPECT_FLOAT_EQ(after.x, before.x) << size.first << "x" << size.second;
    EXPECT_FLOAT_EQ(after.y, before.y) << size.first << "x" << size.second;
    EXPECT_EQ(glBatch.viewport[2], size.first);
  }
}

TEST_F(SceneView, KeepingShapeShowsTheWhole43ViewWithSquarePixelsAndDotsByHeight) {
  const struct {
    int width, height;
    float outsideX, outsideY;  // just beyond the designed view on the side that is kept
    float dotPixels;
  } cases[] = {
      {1024, 768, 0, 17.7f, 3},
      {3840, 2160, 0, 17.7f, 8.4375f},  // wider: more at the sides
      {1170, 2532, 16.8f, 5, 9.890625f},  // a phone held upright: more above and below
      {500, 1000, -16.8f, 5, 3.90625f},
      {160, 100, 0, 17.7f, 1},  // a small preview: dots never under a pixel
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    auto check = [&](const char* when) {
      SCOPED_TRACE(when);
      // The designed view's edges and the emitter's highest launches stay in sight.
      for (const Ndc at : {whereDrawn(-16.5f, 5, 0), whereDrawn(16.5f, 5, 0), whereDrawn(0, 17.3f, 0),
                           whereDrawn(0, -7.3f, 0)}) {
        EXPECT_TRUE(at.x > -1 && at.x < 1 && at.y > -1 && at.y < 1) << at.x << ", " << at.y;
      }
      const Ndc beyond = whereDrawn(c.outsideX, c.outsideY, 0);
      EXPECT_FALSE(beyond.x > -1 && beyond.x < 1 && beyond.y > -1 && beyond.y < 1) << beyond.x << ", " << beyond.y;
      // A unit step across is as many pixels as a unit step up: squares stay square.
      const Ndc centre = whereDrawn(0, 5, 0), right = whereDrawn(1, 5, 0), up = whereDrawn(0, 6, 0);
      EXPECT_NEAR((right.x - centre.x) * c.width / ((up.y - centre.y) * c.height), 1.0, 1e-4);
      EXPECT_FLOAT_EQ(glBatch.pointSize, c.dotPixels);
      EXPECT_EQ(glBatch.viewport[3], c.height);
    };
    resetScene();
    resetGlBatch();
    calendarSeconds = fixedCalendar;
    resizeViewportKeepingShape(c.width, c.height);
    initGraphics();
    setupScene();
    check("sized before the first frame");
    resizeViewportKeepingShape(1024, 768);
    resizeViewportKeepingShape(c.width, c.height);
    check("resized later");
  }
}

}  // namespace
