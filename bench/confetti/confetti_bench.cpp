// Cost of one simulation frame (advance all 400, bursts, trickle search, sway) with a full
// pool, beside an empty-pool frame and a bare pass over the array for scale.
#include <benchmark/benchmark.h>

#include "renderer/confetti/confetti.h"

namespace {

void fillAndPin() {
  resetConfetti();
  seedRandom(1);
  for (ConfettiPiece& p : pieces) {
    p.launch(LaunchKind::Scatter);
    p.velocityX = p.velocityY = p.velocityZ = 0.0f;  // stays in bounds: the pool stays full
    p.gravity = 0.0f;
  }
  startSceneClock();
  frameSeconds = 1.0 / 60.0;
}

void FullPoolFrame(benchmark::State& state) {
  fillAndPin();
  for (auto _ : state) {
    simulateFrame();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(FullPoolFrame);

void EmptyPoolFrame(benchmark::State& state) {
  resetConfetti();
  seedRandom(1);
  startSceneClock();
  frameSeconds = 0.0;  // nothing launches, nothing moves
  for (auto _ : state) {
    simulateFrame();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(EmptyPoolFrame);

void LaunchOnePiece(benchmark::State& state) {
  resetConfetti();
  seedRandom(1);
  for (auto _ : state) {
    pieces[0].launch(LaunchKind::Fountain);
    benchmark::DoNotOptimize(pieces[0]);
  }
}
BENCHMARK(LaunchOnePiece);

}  // namespace

BENCHMARK_MAIN();
