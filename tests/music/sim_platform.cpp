// The native builds have no multimedia system: the music module falls back to a simulation
// without a drive, so a test that forgets to install its own still cannot reach anything.
#include "tests/music/sim_system.h"

BgmSystem& BGM_PlatformSystem() {
  static SimSystem none = [] {
    SimSystem s;
    s.discPresent = false;
    s.waveDevices = 0;
    return s;
  }();
  return none;
}
