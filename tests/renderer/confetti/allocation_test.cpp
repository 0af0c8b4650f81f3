// Running the simulation must not touch the heap: every global allocation made while frames
// run is counted by replacing the global operator new.
#include "renderer/confetti/confetti.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

TEST(ConfettiAllocation, ThousandsOfFramesAllocateNothing) {
  resetConfetti();
  seedRandom(17);
  startSceneClock();
  const long before = allocations.load();
  for (int n = 0; n < 5000; ++n) {
    frameSeconds = (n % 3 + 1) / 100.0;
    simulateFrame();
    advanceSceneClock();
  }
  EXPECT_EQ(allocations.load() - before, 0);
}
