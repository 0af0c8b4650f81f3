// The millisecond counter that the Linux and browser layers hand the scene as its timeGetTime:
// the layer's own clock, less the time the layer's loop was stopped (a hidden page, a stopped
// process, a machine that slept), so that the picture goes on where it stopped instead of
// moving every piece by the whole pause at once. Platform-free; the Windows program keeps the
// system counter.
#pragma once

#include <cstdint>

// A gap between two readings that is longer than the loop's least frame period by more than
// this was a stop, not a slow frame, and is left out.
constexpr uint64_t LongestFrameLateMicros = 1000000;

struct SceneCounter {
  // The least time the loop leaves between frames (a frame delay the user chose); 0 for none.
  uint64_t framePeriodMicros = 0;
  uint64_t countedMicros = 0;
  uint64_t lastMicros = 0;
  bool running = false;  // false: the next reading only starts the count again

  // The counter in milliseconds, modulo 2^32 as the scene expects, at a reading of the
  // layer's clock in microseconds. A clock that goes back counts nothing.
  uint32_t read(uint64_t clockMicros);
  // The loop has stopped: the time until the next reading is left out.
  void stop() { running = false; }
};
