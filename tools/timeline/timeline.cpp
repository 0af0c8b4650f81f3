// Headless run of the confetti model for a number of choreography cycles with a fixed seed
// and frame rate: prints pieces in flight each second, every burst as it fires and every
// restart of the clock. Depends on renderer/confetti only.
#include <cstdio>
#include <cstdlib>

#include "renderer/confetti/confetti.h"

namespace {

int inFlight() {
  int n = 0;
  for (const ConfettiPiece& p : pieces) n += p.active == 1;
  return n;
}

const char* kindName(LaunchKind kind) {
  switch (kind) {
    case LaunchKind::Fountain: return "Fountain";
    case LaunchKind::Ring: return "Ring";
    case LaunchKind::Scatter: return "Scatter";
  }
  return "?";
}

}  // namespace

int main(int argc, char** argv) {
  const int cycles = argc > 1 ? std::atoi(argv[1]) : 2;
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 1;
  const double fps = argc > 3 ? std::atof(argv[3]) : 60.0;
  if (cycles <= 0 || fps <= 0) {
    std::fprintf(stderr, "usage: timeline [cycles=2] [seed=1] [frames per second=60]\n");
    return 2;
  }

  resetConfetti();
  seedRandom(seed);
  startSceneClock();
  std::printf("confetti timeline: seed %u, %.0f frames a second, %d cycles\n", seed, fps, cycles);
  std::printf("%9s %9s  %s\n", "run (s)", "clock (s)", "event");

  double elapsed = 0.0;
  double nextReport = 1.0;
  int restarts = 0;
  frameSeconds = 1.0 / fps;
  while (restarts < cycles) {
    const double clockBefore = sceneTime;
    const int before = inFlight();
    const BurstRule* crossed[4];
    int crossedCount = 0;
    for (const BurstRule& rule : BurstRules) {
      if (crossesThisFrame(rule.threshold)) crossed[crossedCount++] = &rule;
    }
    simulateFrame();
    const int after = inFlight();
    for (int i = 0; i < crossedCount; ++i) {
      const BurstRule& rule = *crossed[i];
      // The trickle adds at most one piece, so a larger jump is the burst's.
      const bool fired = after - before > 1 || (!rule.coinToss && before == PieceCount);
      std::printf("%9.3f %9.3f  burst at %.1f s: %s over slots %d-%d%s", elapsed, sceneTime,
                  rule.threshold, kindName(rule.kind), rule.firstSlot, rule.lastSlot,
                  rule.coinToss ? (fired ? ", coin toss won" : ", coin toss lost: nothing") : "");
      if (fired) std::printf(", %d launched, %d in flight", after - before, after);
      std::printf("\n");
    }
    advanceSceneClock();
    elapsed += frameSeconds;
    if (sceneTime < clockBefore) {
      ++restarts;
      std::printf("%9.3f %9.3f  clock restarts (cycle %d done)\n", elapsed, sceneTime, restarts);
    }
    if (elapsed >= nextReport) {
      std::printf("%9.3f %9.3f  %3d in flight  emitter x %+.2f\n", elapsed, sceneTime, after, emitterX);
      nextReport += 1.0;
    }
  }
  return 0;
}
