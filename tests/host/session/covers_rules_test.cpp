// Cover placement on made-up monitor layouts: which monitors get a cover, and that nothing
// over the primary one (or a copy of it) ever does.
#include "host/session/covers_rules.h"

#include <gtest/gtest.h>

namespace session {

namespace {


TEST(CoverRects, EveryMonitorButThePrimary) {
  const ScreenRect main{0, 0, 1920, 1080};
  const ScreenRect left{-1280, 56, 0, 1080};       // negative x, shorter, bottoms aligned
  const ScreenRect portrait{1920, -420, 3000, 1500};  // negative y, taller than wide
  const ScreenRect above{-300, -1200, 1620, -120};
  const struct {
    const char* what;
    std::vector<Monitor> monitors;
    std::vector<ScreenRect> covers;
  } cases[] = {
      {"one monitor", {{main, true}}, {}},
      {"none reported", {}, {}},
      {"left of the primary, smaller", {{main, true}, {left, false}}, {left}},
      {"three, primary listed last", {{portrait, false}, {above, false}, {main, true}}, {portrait, above}},
      {"no flag: the one at the origin is primary", {{left, false}, {main, false}}, {left}},
      {"no flag and none at the origin: unknown primary", {{left, false}, {portrait, false}}, {}},
      {"mirror of the primary", {{main, true}, {main, false}, {left, false}}, {left}},
      {"overlaps the primary", {{main, true}, {{1000, 0, 2920, 1080}, false}}, {}},
      {"the same monitor twice", {{main, true}, {left, false}, {left, false}}, {left}},
      {"two flagged primary", {{main, true}, {left, true}, {above, false}}, {above}},
      {"empty and inverted", {{main, true}, {{1920, 0, 1920, 1080}, false}, {{3000, 0, 1920, 1080}, false}}, {}},
      {"wider than a window can be", {{main, true}, {{INT32_MIN, 2000, INT32_MAX, 2010}, false}}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(coverRects(c.monitors), c.covers) << c.what;
  }
}

}  // namespace

}  // namespace session
