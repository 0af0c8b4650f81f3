// The confetti model: launch, motion and tumbling of one piece, the burst choreography and
// trickle, the emitter's sway and the generator. Depends on <cmath> only; the order of every
// random draw fixes the sequence a seed gives, so draws are never reordered or merged.
#include "renderer/confetti/confetti.h"

#include <cmath>
#include <cstring>

ConfettiPiece pieces[PieceCount];
double sceneTime;
double frameSeconds;
float spawnTimer;
float swayAngle;
float emitterX;
static uint32_t randomState;

namespace {

// The design's constants are single precision; 0.1f etc. keep their float rounding.
constexpr float Tenth = 0.1f;
constexpr float Hundredth = 0.01f;
constexpr float RingDegreesToRadians = 0.017455053f;  // deliberately not exactly pi/180
constexpr float TrickleSeconds = 0.01f;
constexpr float EmitterY = 10.0f;
// Double, unlike the factors: a float 0.325 would round -0.1f - 0.325f to -0.42499998, not -0.425f.
constexpr double PivotBase = 0.325;

int roll(int n) { return nextRandom() % n; }

}  // namespace

bool crossesThisFrame(double threshold) {
  return sceneTime < threshold && sceneTime + frameSeconds > threshold;
}

void seedRandom(uint32_t seed) { randomState = seed; }

int nextRandom() {
  randomState = randomState * 214013u + 2531011u;
  return static_cast<int>((randomState >> 16) & 0x7FFFu);
}

void ConfettiPiece::launch(LaunchKind kind) {
  shape = roll(6);
  z = 0.0f;
  x = emitterX;
  y = EmitterY;
  do {
    red = static_cast<float>(roll(100)) * Hundredth;
    green = static_cast<float>(roll(100)) * Hundredth;
    blue = static_cast<float>(roll(100)) * Hundredth;
  } while (red + green + blue > 1.0);
  spinX = static_cast<float>(roll(400) - 200);
  spinY = static_cast<float>(roll(400) - 200);
  spinZ = static_cast<float>(roll(400) - 200);
  pivotX = static_cast<float>(static_cast<float>(roll(2) - 1) * Tenth - PivotBase);
  pivotY = static_cast<float>(static_cast<float>(roll(2) - 1) * Tenth - PivotBase);
  pivotZ = static_cast<float>(static_cast<float>(roll(2) - 1) * Tenth - PivotBase);
  angleX = static_cast<float>(roll(360));
  angleY = static_cast<float>(roll(360));
  angleZ = static_cast<float>(roll(360));
  const int heading = roll(360);  // drawn for every kind, used by Ring only
  active = 1;
  switch (kind) {
    case LaunchKind::Fountain:
      velocityY = static_cast<float>(roll(50) + 50) * Tenth;
      velocityX = static_cast<float>(roll(100) - 50) * Tenth;
      velocityZ = static_cast<float>(roll(50)) * Tenth;
      gravity = static_cast<float>(roll(30) + 30) * Tenth;
      break;
    case LaunchKind::Ring: {
      // (1, 6) turned by the heading: every ring piece leaves at sqrt(37) in the screen plane.
      const double theta = static_cast<double>(static_cast<float>(heading) * RingDegreesToRadians);
      velocityY = static_cast<float>(std::sin(theta) + 6.0 * std::cos(theta));
      velocityX = static_cast<float>(std::cos(theta) - 6.0 * std::sin(theta));
      velocityZ = static_cast<float>(roll(10) + 20) * Tenth;
      gravity = static_cast<float>(roll(10) + 20) * Tenth;
      break;
    }
    case LaunchKind::Scatter:
      velocityY = static_cast<float>(roll(160) - 80) * Tenth;
      velocityX = static_cast<float>(roll(160) - 80) * Tenth;
      velocityZ = static_cast<float>(roll(160) - 80) * Tenth;
      gravity = static_cast<float>(roll(20) + 30) * Tenth;
      break;
  }
}

namespace {
// Only an angle at or above 360 wraps, and it wraps to 0; negative spins run on unbounded.
float tumble(float angle, float spin, float seconds) {
  return angle < 360.0f ? angle + seconds * spin : 0.0f;
}
}  // namespace

void ConfettiPiece::advance(float seconds) {
  if (active != 1) return;
  x += seconds * velocityX;
  z += seconds * velocityZ;
  velocityY -= seconds * gravity;
  y += seconds * velocityY;
  if (y < -9.0f || x > 15.0f || x < -15.0f) active = 0;
  // The tumble still runs on the step that frees the piece.
  angleX = tumble(angleX, spinX, seconds);
  angleY = tumble(angleY, spinY, seconds);
  angleZ = tumble(angleZ, spinZ, seconds);
}

void spawnPieces(ConfettiPiece (&pool)[PieceCount], float seconds) {
  spawnTimer += seconds;
  for (const BurstRule& rule : BurstRules) {
    if (!crossesThisFrame(rule.threshold)) continue;
    if (rule.coinToss && roll(2) != 0) continue;
    for (int i = rule.firstSlot; i <= rule.lastSlot; ++i) {
      if (pool[i].active == 0) {
        pool[i].launch(rule.kind);
        spawnTimer = 0.0f;
      }
    }
  }
  if (spawnTimer > TrickleSeconds) {
    for (ConfettiPiece& piece : pool) {
      if (piece.active == 0) {
        piece.launch(LaunchKind::Fountain);
        spawnTimer = 0.0f;
        break;
      }
    }
  }
}

void advanceSway(float seconds) {
  float a = swayAngle + seconds;
  if (a >= 360.0f) a = 0.0f;  // restarts at 360, not at 2*pi, as designed
  swayAngle = a;
  emitterX = static_cast<float>(3.0 * std::sin(static_cast<double>(a)));
}

void simulateFrame(void (*show)(const ConfettiPiece&)) {
  const float step = static_cast<float>(frameSeconds);
  for (ConfettiPiece& piece : pieces) {
    if (show) show(piece);
    piece.advance(step);
  }
  spawnPieces(pieces, step);
  advanceSway(step);
}

void startSceneClock() { sceneTime = SceneStartSeconds; }

void advanceSceneClock() {
  sceneTime += frameSeconds;
  if (sceneTime > SceneWrapSeconds) sceneTime = SceneStartSeconds;
}

void resetConfetti() {
  std::memset(pieces, 0, sizeof pieces);
  sceneTime = 0.0;
  frameSeconds = 0.0;
  spawnTimer = 0.0f;
  swayAngle = 0.0f;
  emitterX = 0.0f;
  randomState = 0;
}
