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
    uint64_t countedBefore;        // microseconds counted when the script starts
    std::vector<uint64_t> script;  // clock readings in microseconds, or Stop
    uint32_t wantMillis;           // the counter at the last reading
  } cases[] = {
      {"the first reading starts at 0", 0, 0, {5000000}, 0},
      {"frames 16.6 ms apart", 0, 0, {1000000, 1016600, 1033200, 1049800}, 49},
      {"a slow frame of one second is counted", 0, 0, {0, 20000, 1020000}, 1020},
      {"frames over a second apart: the gap is left out", 0, 0, {0, 20000, 1020001, 1040001}, 40},
      {"a stopped process or a machine that slept", 0, 0, {0, 16000, 3600016000, 3600032000}, 32},
      {"a hidden page, even briefly", 0, 0, {0, 16000, Stop, 416000, 432000}, 32},
      {"a stop before the first reading", 0, 0, {Stop, 7000, 8000}, 1},
      {"a clock that goes back counts nothing", 0, 0, {100000, 50000, 60000}, 10},
      {"a frame delay of 3 s is not a stop", 3000000, 0, {0, 3000000, 6000000}, 6000},
      {"a stop beyond the frame delay is", 3000000, 0, {0, 3000000, 7000001}, 3000},
      {"wraps at 2^32 milliseconds, as the system counter does", 0, (uint64_t{1} << 32) * 1000 - 500000,
       {0, 1000000}, 500},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SceneCounter counter;
    counter.framePeriodMicros = c.framePeriodMicros;
    counter.countedMicros = c.countedBefore;
    uint32_t millis = 0;
    for (const uint64_t reading : c.script) {
      if (reading == Stop) counter.stop();
      else millis = counter.read(reading);
    }
    EXPECT_EQ(millis, c.wantMillis);
  }
}

}  // namespace
