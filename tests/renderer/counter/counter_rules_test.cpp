// The scene's counter of the Linux and browser layers: real frame gaps are counted, stops (a
// gap over a second beyond the frame period, or a stop the layer reports) are left out.
#include "renderer/counter/counter_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr uint64_t Stop = UINT64_MAX;  // in a script: the layer reports a stop

TEST(SceneCounter, CountsFrameGapsAndLeavesOutStops) {
  const struct {
    const char* what;
    uint64_t framePeriodMicros;
    std::vector<uint64_t> script;  // clock readings in microseconds, or Stop
    uint32_t wantMillis;           // the counter at the last reading, from 0 at the first
  } cases[] = {
      {"frames 16.6 ms apart", 0, {5000000, 5016600, 5033200, 5049800}, 49},
      {"a slow frame of one second is counted", 0, {0, 20000, 1020000}, 1020},
      {"a stopped process or a machine that slept", 0, {0, 20000, 1020001, 1040001}, 40},
      {"a hidden page, even briefly", 0, {0, 16000, Stop, 416000, 432000}, 32},
      {"a clock that goes back counts nothing", 0, {100000, 50000, 60000}, 10},
      {"a frame delay of 3 s is not a stop", 3000000, {0, 3000000, 6000000}, 6000},
      {"a stop beyond the frame delay is", 3000000, {0, 3000000, 7000001}, 3000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SceneCounter counter;
    counter.framePeriodMicros = c.framePeriodMicros;
    uint32_t millis = 0;
    for (const uint64_t reading : c.script) {
      if (reading == Stop) counter.stop();
      else millis = counter.read(reading);
    }
    EXPECT_EQ(millis, c.wantMillis);
  }
}

}  // namespace
