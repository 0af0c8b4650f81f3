// What the scene's set-up shows, checked through the browser backend's recorder, which keeps
// OpenGL's state and matrices on the CPU: where world points land on the screen (the framing
// the choreography's bounds rely on), the blend and point state the pieces need, and the 4:3
// picture kept across a resize to another shape.
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

// A dot drawn where a piece at `at` with no tumble and no pivot would be, in normalised
// device coordinates (-1 to 1 is the window).
Ndc whereDrawn(float x, float y, float z) {
  glBatch.startFrame();
  ConfettiPiece p{};
  p.active = 1;
  p.shape = 0;
  p.x = x, p.y = y, p.z = z;
  p.draw();
  EXPECT_GT(glBatch.vertexCount, 0);
  const float* clip = glBatch.vertices[0].clip;
  return {clip[0] / clip[3], clip[1] / clip[3]};
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

}  // namespace
