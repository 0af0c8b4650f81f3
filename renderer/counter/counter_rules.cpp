// The scene's counter for the Linux and browser layers: counts the gaps between readings,
// leaving out stops. Platform-free.
#include "renderer/counter/counter_rules.h"

uint32_t SceneCounter::read(uint64_t clockMicros) {
  if (running && clockMicros >= lastMicros &&
      clockMicros - lastMicros <= framePeriodMicros + LongestFrameLateMicros) {
    countedMicros += clockMicros - lastMicros;
  }
  lastMicros = clockMicros;
  running = true;
  return static_cast<uint32_t>(countedMicros / 1000u);
}
