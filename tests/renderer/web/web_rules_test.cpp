// The browser layer's rules: the canvas's drawing buffer for a CSS size and pixel ratio, and
// the test replay's query string and scripted counter.
#include "renderer/web/web_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

TEST(WebRules, CanvasFollowsCssSizeAndPixelRatio) {
  const struct {
    double width, height, ratio;
    int wantWidth, wantHeight;
  } cases[] = {
      {1024, 768, 1, 1024, 768},
      {1024, 768, 2, 2048, 1536},
      {333.5, 200.25, 1.5, 500, 300},  // rounded, not cut
      {1024, 768, 0, 1024, 768},
      {1024, 768, NAN, 1024, 768},
      {1024, 768, -2, 1024, 768},
      {0, 0, 1, 1, 1},  // a hidden or collapsed page still gets a buffer
      {3840, 2160, 2, 4096, 2304},
      {-5, INFINITY, 1, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " @" << c.ratio);
    const CanvasSize s = canvasSize(c.width, c.height, c.ratio);
    EXPECT_EQ(s.width, c.wantWidth);
    EXPECT_EQ(s.height, c.wantHeight);
  }
}

TEST(WebRules, ReplayQueryAndScriptedCounter) {
  const struct {
    const char* query;
    bool on;
    uint32_t seed;
    int frames;
    std::vector<uint32_t> steps;
    const char* error;  // part of the refusal; "" when none
  } cases[] = {
      {"", false, 0, 0, {}, ""},
      {"?lang=ja&x", false, 0, 0, {}, ""},
      {"?seed=7&steps=33,34&frames=230", true, 7, 230, {33, 34}, ""},
      {"frames=1&seed=4294967295&steps=16&other=1", true, 4294967295u, 1, {16}, ""},
      {"?seed=7&steps=33", false, 0, 0, {}, "needs seed, steps and frames"},
      {"?seed=-1&steps=33&frames=2", false, 0, 0, {}, "seed"},
      {"?seed=4294967296&steps=33&frames=2", false, 0, 0, {}, "seed"},
      {"?seed=1&steps=33,&frames=2", false, 0, 0, {}, "steps"},
      {"?seed=1&steps=&frames=2", false, 0, 0, {}, "steps"},
      {"?seed=1&steps=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17&frames=2", false, 0, 0, {}, "steps"},
      {"?seed=1&steps=0&frames=1000000", false, 0, 0, {}, "not all 0"},  // would stay black
      {"?seed=1&steps=0,0,1&frames=9", true, 1, 9, {0, 0, 1}, ""},
      {"?seed=1&steps=16&frames=0", false, 0, 0, {}, "frames"},
      {"?seed=1&steps=16&frames=2x", false, 0, 0, {}, "frames"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.query);
    const WebReplay r = parseReplayQuery(c.query);
    EXPECT_EQ(r.on, c.on);
    EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
    EXPECT_EQ(r.error.empty(), *c.error == '\0') << r.error;
    if (!c.on) continue;
    EXPECT_EQ(r.seed, c.seed);
    EXPECT_EQ(r.frames, c.frames);
    EXPECT_EQ(std::vector<uint32_t>(r.steps, r.steps + r.stepCount), c.steps);
  }
  const WebReplay r = parseReplayQuery("?seed=1&steps=10,20,4294967295&frames=9");
  const std::vector<uint32_t> want = {0, 10, 30, 29, 39, 59, 58};  // the counter wraps at 2^32
  for (int frame = 0; frame < static_cast<int>(want.size()); ++frame) {
    EXPECT_EQ(replayMillis(r, frame), want[frame]) << frame;
  }
}

}  // namespace
