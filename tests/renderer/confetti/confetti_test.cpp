// Tests of the confetti model: the generator, the launch draws, motion and tumbling, bursts,
// the trickle, the sway and the clock, driven frame by frame as the renderer's loop drives
// them. A reference generator in the test checks the order of the draws.
#include "renderer/confetti/confetti.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <vector>

namespace {

// The linear congruential generator the choreography was tuned with (multiplier 214013,
// increment 2531011, bits 16 to 30), kept independent of the module so a change shows here.
struct ReferenceRandom {
  uint32_t state;
  int next() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
  }
};

class Confetti : public ::testing::Test {
 protected:
  void SetUp() override { resetConfetti(); }

  static int activeCount() {
    int n = 0;
    for (const ConfettiPiece& p : pieces) n += p.active == 1;
    return n;
  }

  static void fillPool() {
    for (ConfettiPiece& p : pieces) {
      p.launch(LaunchKind::Fountain);
      p.velocityX = p.velocityY = p.velocityZ = 0.0f;  // keep them in bounds
      p.gravity = 0.0f;
    }
  }

  // One frame as the loop runs it: every slot advanced, bursts and trickle, the sway, then
  // the clock.
  static void frame(double seconds) {
    frameSeconds = seconds;
    simulateFrame();
    advanceSceneClock();
  }
};

bool isHundredths(float value) {
  for (int k = 0; k < 100; ++k)
    if (value == static_cast<float>(k) * 0.01f) return true;
  return false;
}

TEST_F(Confetti, GeneratorGivesTheTunedSequence) {
  seedRandom(1);
  const int expected[] = {41, 18467, 6334, 26500, 19169};
  for (int value : expected) EXPECT_EQ(nextRandom(), value);

  seedRandom(0xFFFFFFFFu);  // the state wraps modulo 2^32
  ReferenceRandom reference{0xFFFFFFFFu};
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(nextRandom(), reference.next());
}

TEST_F(Confetti, LaunchTakesItsDrawsInTheDocumentedOrder) {
  seedRandom(12345);
  emitterX = 1.5f;
  ReferenceRandom r{12345};
  ConfettiPiece piece{};
  piece.launch(LaunchKind::Fountain);

  EXPECT_EQ(piece.shape, r.next() % 6);
  float red, green, blue;
  do {
    red = static_cast<float>(r.next() % 100) * 0.01f;
    green = static_cast<float>(r.next() % 100) * 0.01f;
    blue = static_cast<float>(r.next() % 100) * 0.01f;
  } while (red + green + blue > 1.0);
  EXPECT_EQ(piece.red, red);
  EXPECT_EQ(piece.green, green);
  EXPECT_EQ(piece.blue, blue);
  EXPECT_EQ(piece.spinX, r.next() % 400 - 200);
  EXPECT_EQ(piece.spinY, r.next() % 400 - 200);
  EXPECT_EQ(piece.spinZ, r.next() % 400 - 200);
  EXPECT_EQ(piece.pivotX, r.next() % 2 == 0 ? -0.425f : -0.325f);
  EXPECT_EQ(piece.pivotY, r.next() % 2 == 0 ? -0.425f : -0.325f);
  EXPECT_EQ(piece.pivotZ, r.next() % 2 == 0 ? -0.425f : -0.325f);
  EXPECT_EQ(piece.angleX, r.next() % 360);
  EXPECT_EQ(piece.angleY, r.next() % 360);
  EXPECT_EQ(piece.angleZ, r.next() % 360);
  r.next();  // the heading, drawn even for the trickle
  EXPECT_EQ(piece.velocityY, static_cast<float>(r.next() % 50 + 50) * 0.1f);
  EXPECT_EQ(piece.velocityX, static_cast<float>(r.next() % 100 - 50) * 0.1f);
  EXPECT_EQ(piece.velocityZ, static_cast<float>(r.next() % 50) * 0.1f);
  EXPECT_EQ(piece.gravity, static_cast<float>(r.next() % 30 + 30) * 0.1f);
  EXPECT_EQ(nextRandom(), r.next()) << "launch drew more or fewer numbers than the tuned order";

  EXPECT_EQ(piece.active, 1);
  EXPECT_EQ(piece.x, 1.5f);
  EXPECT_EQ(piece.y, 10.0f);
  EXPECT_EQ(piece.z, 0.0f);
}

TEST_F(Confetti, RingLeavesAtRootThirtySevenInTheDirectionOfItsHeading) {
  seedRandom(777);
  ReferenceRandom r{777};
  ConfettiPiece piece{};
  piece.launch(LaunchKind::Ring);
  r.next();  // shape
  float sum;
  do {
    sum = 0;
    for (int c = 0; c < 3; ++c) sum += static_cast<float>(r.next() % 100) * 0.01f;
  } while (sum > 1.0f);
  for (int i = 0; i < 9; ++i) r.next();  // spins, pivots, angles
  const int heading = r.next() % 360;
  const double theta = static_cast<float>(heading) * 0.017455053f;
  EXPECT_FLOAT_EQ(piece.velocityX, static_cast<float>(std::cos(theta) - 6 * std::sin(theta)));
  EXPECT_FLOAT_EQ(piece.velocityY, static_cast<float>(std::sin(theta) + 6 * std::cos(theta)));
  EXPECT_EQ(piece.velocityZ, static_cast<float>(r.next() % 10 + 20) * 0.1f);
  EXPECT_EQ(piece.gravity, static_cast<float>(r.next() % 10 + 20) * 0.1f);
  EXPECT_EQ(nextRandom(), r.next());
}

struct KindRanges {
  LaunchKind kind;
  float minVY, maxVY, minVX, maxVX, minVZ, maxVZ, minG, maxG;
};

TEST_F(Confetti, EveryLaunchStaysInsideItsKindsRanges) {
  const KindRanges table[] = {
      {LaunchKind::Fountain, 5.0f, 9.9f, -5.0f, 4.9f, 0.0f, 4.9f, 3.0f, 5.9f},
      {LaunchKind::Ring, -6.09f, 6.09f, -6.09f, 6.09f, 2.0f, 2.9f, 2.0f, 2.9f},
      {LaunchKind::Scatter, -8.0f, 7.9f, -8.0f, 7.9f, -8.0f, 7.9f, 3.0f, 4.9f},
  };
  seedRandom(4242);
  std::set<int> shapes;
  std::set<float> pivots;
  for (const KindRanges& k : table) {
    for (int i = 0; i < 3000; ++i) {
      ConfettiPiece p{};
      p.launch(k.kind);
      SCOPED_TRACE(static_cast<int>(k.kind));
      ASSERT_LE(p.red + p.green + p.blue, 1.0f);
      ASSERT_TRUE(isHundredths(p.red) && isHundredths(p.green) && isHundredths(p.blue));
      for (float spin : {p.spinX, p.spinY, p.spinZ}) {
        ASSERT_EQ(spin, std::floor(spin));
        ASSERT_GE(spin, -200.0f);
        ASSERT_LE(spin, 199.0f);
      }
      for (float angle : {p.angleX, p.angleY, p.angleZ}) {
        ASSERT_EQ(angle, std::floor(angle));
        ASSERT_GE(angle, 0.0f);
        ASSERT_LE(angle, 359.0f);
      }
      for (float pivot : {p.pivotX, p.pivotY, p.pivotZ}) pivots.insert(pivot);
      shapes.insert(p.shape);
      ASSERT_GE(p.velocityY, k.minVY - 1e-5f);
      ASSERT_LE(p.velocityY, k.maxVY + 1e-5f);
      ASSERT_GE(p.velocityX, k.minVX - 1e-5f);
      ASSERT_LE(p.velocityX, k.maxVX + 1e-5f);
      ASSERT_GE(p.velocityZ, k.minVZ - 1e-5f);
      ASSERT_LE(p.velocityZ, k.maxVZ + 1e-5f);
      ASSERT_GE(p.gravity, k.minG - 1e-5f);
      ASSERT_LE(p.gravity, k.maxG + 1e-5f);
      if (k.kind == LaunchKind::Ring) {
        ASSERT_NEAR(std::hypot(p.velocityX, p.velocityY), std::sqrt(37.0), 1e-4);
      }
    }
  }
  EXPECT_EQ(shapes, (std::set<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(pivots, (std::set<float>{-0.425f, -0.325f}));
}

TEST_F(Confetti, AdvanceMovesWithTheNewVelocityAndFreesOnlyAtTheThreeBounds) {
  struct Case {
    const char* name;
    float x, y, vx, vy, vz, g, step;
    bool staysActive;
  };
  const Case cases[] = {
      {"ballistic step", 0, 0, 1, 2, 3, 4, 0.5f, true},
      {"below the floor", 0, -8.9f, 0, 0, 0, 1, 1.0f, false},
      {"exactly at the floor stays", 0, -9.0f, 0, 0, 0, 0, 1.0f, true},
      {"right bound", 14.9f, 0, 1, 0, 0, 0, 1.0f, false},
      {"left bound", -14.9f, 0, -1, 0, 0, 0, 1.0f, false},
      {"far in z stays", 0, 0, 0, 0, 1000, 0, 10.0f, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConfettiPiece p{};
    p.active = 1;
    p.x = c.x;
    p.y = c.y;
    p.velocityX = c.vx;
    p.velocityY = c.vy;
    p.velocityZ = c.vz;
    p.gravity = c.g;
    p.angleX = 10;
    p.spinX = 20;
    p.advance(c.step);
    EXPECT_FLOAT_EQ(p.x, c.x + c.step * c.vx);
    EXPECT_FLOAT_EQ(p.z, c.step * c.vz);
    EXPECT_FLOAT_EQ(p.velocityY, c.vy - c.step * c.g);
    EXPECT_FLOAT_EQ(p.y, c.y + c.step * (c.vy - c.step * c.g));
    EXPECT_EQ(p.active, c.staysActive ? 1 : 0);
    EXPECT_FLOAT_EQ(p.angleX, 10 + c.step * 20) << "the tumble runs even on the freeing step";
  }

  ConfettiPiece freeSlot{};
  freeSlot.velocityX = 5;
  freeSlot.spinX = 5;
  freeSlot.advance(1.0f);
  EXPECT_EQ(freeSlot.x, 0.0f);
  EXPECT_EQ(freeSlot.angleX, 0.0f);
}

TEST_F(Confetti, AnglesResetOnlyAtOrAbove360AndNegativeSpinsRunOn) {
  ConfettiPiece p{};
  p.active = 1;
  p.angleX = 359.5f;
  p.spinX = 100;
  p.angleY = 360.0f;
  p.spinY = 100;
  p.angleZ = 5.0f;
  p.spinZ = -200;
  p.advance(0.01f);  // 360.5 after this step, not wrapped yet
  EXPECT_FLOAT_EQ(p.angleX, 360.5f);
  EXPECT_EQ(p.angleY, 0.0f) << "reset to 0 and no spin added in that advance";
  EXPECT_FLOAT_EQ(p.angleZ, 3.0f);
  p.advance(0.01f);
  EXPECT_EQ(p.angleX, 0.0f) << "reset to 0, not reduced by 360";
  EXPECT_FLOAT_EQ(p.angleY, 1.0f);
  for (int i = 0; i < 1000; ++i) p.advance(0.01f);
  EXPECT_LT(p.angleZ, -1990.0f) << "negative angles are never wrapped";
}

TEST_F(Confetti, TrickleLaunchesOnePieceOnceMoreThanAHundredthHasGathered) {
  seedRandom(1);
  startSceneClock();
  frame(0.0);
  EXPECT_EQ(activeCount(), 0) << "a zero step launches nothing";
  EXPECT_EQ(spawnTimer, 0.0f);

  frame(0.004);
  frame(0.004);
  EXPECT_EQ(activeCount(), 0);
  frame(0.004);  // 0.012 gathered
  EXPECT_EQ(activeCount(), 1);
  EXPECT_EQ(pieces[0].active, 1);
  EXPECT_EQ(spawnTimer, 0.0f);

  frame(0.5);  // a long frame still launches only one
  EXPECT_EQ(activeCount(), 2);
  EXPECT_EQ(pieces[1].active, 1);

  pieces[0].active = 0;  // the lowest free slot is taken next
  frame(0.02);
  EXPECT_EQ(pieces[0].active, 1);
  EXPECT_EQ(pieces[2].active, 0);
}

TEST_F(Confetti, ANewPieceIsFirstShownInTheNextFrameInItsLaunchState) {
  seedRandom(99);
  startSceneClock();
  static std::vector<ConfettiPiece> shown;
  shown.clear();
  auto record = [](const ConfettiPiece& p) {
    if (&p == &pieces[0]) shown.push_back(p);
  };
  frameSeconds = 0.02;
  simulateFrame(record);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].active, 0);
  const ConfettiPiece launched = pieces[0];
  simulateFrame(record);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(std::memcmp(&shown[1], &launched, sizeof launched), 0);
  EXPECT_NE(pieces[0].y, launched.y) << "advanced after it was shown";
}

TEST_F(Confetti, AFullPoolMakesBurstsAndTheTrickleWait) {
  seedRandom(5);
  fillPool();
  ConfettiPiece before[PieceCount];
  std::memcpy(before, pieces, sizeof pieces);
  sceneTime = 7.2;
  spawnTimer = 0.005f;
  frameSeconds = 0.2;  // crosses 7.3
  spawnPieces(pieces, 0.2f);
  EXPECT_EQ(std::memcmp(before, pieces, sizeof pieces), 0) << "flying pieces are never relaunched";
  EXPECT_FLOAT_EQ(spawnTimer, 0.205f);

  spawnPieces(pieces, 0.1f);
  EXPECT_FLOAT_EQ(spawnTimer, 0.305f) << "the trickle waits and the timer keeps growing";
  pieces[123].active = 0;
  sceneTime = 1.0;
  spawnPieces(pieces, 0.0f);
  EXPECT_EQ(pieces[123].active, 1) << "first frame after a slot frees";
  EXPECT_EQ(spawnTimer, 0.0f);
}

struct BurstCase {
  double from;
  double step;
  LaunchKind kind;
};

TEST_F(Confetti, BurstsFillEveryFreeSlotWithTheirKindAtTheirThresholds) {
  const BurstCase cases[] = {
      {7.29, 0.02, LaunchKind::Scatter},
      {16.29, 0.02, LaunchKind::Ring},
  };
  for (const BurstCase& c : cases) {
    resetConfetti();
    seedRandom(2024);
    fillPool();
    for (int i = 0; i < PieceCount; i += 3) pieces[i].active = 0;
    ConfettiPiece keep = pieces[1];
    sceneTime = c.from;
    frameSeconds = c.step;
    spawnPieces(pieces, static_cast<float>(c.step));
    EXPECT_EQ(activeCount(), PieceCount);
    EXPECT_EQ(std::memcmp(&keep, &pieces[1], sizeof keep), 0);
    EXPECT_EQ(spawnTimer, 0.0f);
    for (int i = 0; i < PieceCount; i += 3) {
      const ConfettiPiece& p = pieces[i];
      if (c.kind == LaunchKind::Ring) {
        ASSERT_NEAR(std::hypot(p.velocityX, p.velocityY), std::sqrt(37.0), 1e-4) << i;
      } else {
        ASSERT_GE(p.gravity, 3.0f - 1e-5f);
        ASSERT_LE(p.gravity, 4.9f + 1e-5f);
      }
    }
  }
}

TEST_F(Confetti, ThresholdsAreTheWidenedFloatValues) {
  // 7.3f widens to 7.300000190734863: a clock at exactly 7.3 (double) is still before it.
  seedRandom(3);
  sceneTime = 7.3;
  frameSeconds = 0.001;
  spawnPieces(pieces, 0.001f);
  EXPECT_EQ(activeCount(), PieceCount);

  resetConfetti();
  sceneTime = static_cast<double>(7.3f);
  frameSeconds = 0.001;
  spawnPieces(pieces, 0.001f);
  EXPECT_EQ(activeCount(), 0) << "starting on the threshold is not crossing it";
}

TEST_F(Confetti, TheCoinTossedScatterNeverTakesTheLastHundredSlots) {
  bool wentOn = false, stopped = false;
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    resetConfetti();
    seedRandom(seed);
    ReferenceRandom reference{seed};
    const bool coinSaysGo = reference.next() % 2 == 0;
    sceneTime = 10.4;
    frameSeconds = 0.2;
    spawnPieces(pieces, 0.2f);
    if (coinSaysGo) {
      wentOn = true;
      EXPECT_EQ(activeCount(), 300);
      for (int i = 300; i < PieceCount; ++i) ASSERT_EQ(pieces[i].active, 0) << i;
    } else {
      stopped = true;
      EXPECT_EQ(activeCount(), 1) << "only the trickle";
    }
  }
  EXPECT_TRUE(wentOn && stopped);
}

TEST_F(Confetti, OneLongFrameFiresEveryRuleInsideItOnceAndTheClockRestarts) {
  fillPool();
  seedRandom(31337);
  ReferenceRandom reference{31337};
  sceneTime = 7.0;
  frameSeconds = 15.0;  // over 7.3, 10.5, 16.3 and 19.3, and past 21
  simulateFrame();
  // Every piece moved in the one step; with a full pool the bursts launched nothing, but the
  // two coin tosses were still drawn, once each.
  for (int i = 0; i < 2; ++i) reference.next();
  EXPECT_EQ(nextRandom(), reference.next());
  advanceSceneClock();
  EXPECT_EQ(sceneTime, 0.3);

  resetConfetti();
  seedRandom(8);
  sceneTime = 20.9;
  frameSeconds = 20.0;  // a restart never fires the skipped part of the next cycle
  simulateFrame();
  EXPECT_EQ(activeCount(), 1) << "the trickle only";
  advanceSceneClock();
  EXPECT_EQ(sceneTime, 0.3);
}

TEST_F(Confetti, SwaySwingsBetweenMinusThreeAndThreeAndRestartsAt360) {
  float low = 0, high = 0;
  for (int i = 0; i < 700; ++i) {
    advanceSway(0.01f);
    low = std::min(low, emitterX);
    high = std::max(high, emitterX);
    ASSERT_FLOAT_EQ(emitterX, static_cast<float>(3.0 * std::sin(swayAngle)));
  }
  EXPECT_NEAR(low, -3.0f, 1e-3);
  EXPECT_NEAR(high, 3.0f, 1e-3);

  swayAngle = 359.99f;
  advanceSway(0.02f);
  EXPECT_EQ(swayAngle, 0.0f);
  EXPECT_EQ(emitterX, 0.0f);
}

TEST_F(Confetti, TwoCyclesAtSixtyFramesASecondKeepEveryInvariant) {
  seedRandom(20261207);
  startSceneClock();
  int restarts = 0;
  bool sawFullPoolAfterFirstBurst = false;
  for (int n = 0; n < 2600 && restarts < 2; ++n) {
    const double before = sceneTime;
    frame(1.0 / 60.0);
    if (sceneTime < before) {
      ++restarts;
      EXPECT_EQ(sceneTime, 0.3);
    }
    if (before < static_cast<double>(7.3f) && before + frameSeconds > static_cast<double>(7.3f)) {
      // the burst filled every free slot, then the frame's motion may have freed a few
      sawFullPoolAfterFirstBurst = activeCount() >= PieceCount - 5;
    }
    for (const ConfettiPiece& p : pieces) {
      if (p.active != 1) continue;
      ASSERT_LE(p.red + p.green + p.blue, 1.0f);
      ASSERT_TRUE(p.pivotX == -0.425f || p.pivotX == -0.325f);
      ASSERT_GE(p.y, -9.0f);
      ASSERT_LE(std::fabs(p.x), 15.0f);
    }
  }
  EXPECT_EQ(restarts, 2);
  EXPECT_TRUE(sawFullPoolAfterFirstBurst);
}

TEST_F(Confetti, SameSeedAndFrameTimesGiveTheSameLaunches) {
  const double steps[] = {0.016, 0.033, 0.001, 0.25, 0.016, 0.0, 0.05};
  std::vector<unsigned char> runs[2];
  for (auto& run : runs) {
    resetConfetti();
    seedRandom(6);
    startSceneClock();
    for (int n = 0; n < 1500; ++n) frame(steps[n % 7]);
    run.assign(reinterpret_cast<unsigned char*>(pieces),
               reinterpret_cast<unsigned char*>(pieces) + sizeof pieces);
  }
  EXPECT_EQ(runs[0], runs[1]);
}

}  // namespace
