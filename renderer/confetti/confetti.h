// The paper-piece pool, the choreography clock, the swaying emitter and the renderer's own
// random generator. Pure logic with no window, OpenGL or system call: the scene draws the
// pieces (ConfettiPiece::draw lives in renderer/scene) and the frame loop supplies the time.
#pragma once

#include <cstdint>

enum class LaunchKind : int32_t {
  Fountain = 0,  // the steady trickle, thrown upward from the emitter
  Ring = 1,      // burst at fixed speed in the screen plane, drifting towards the viewer
  Scatter = 2,   // burst with random velocity on all three axes
};

// Field order and widths are part of the design; keep them.
struct ConfettiPiece {
  float x, y, z;
  uint8_t active;  // 1 while flying, 0 when the slot is free
  float angleX, angleY, angleZ;           // degrees
  float spinX, spinY, spinZ;              // degrees per second
  float velocityX, velocityY, velocityZ;  // units per second
  float red, green, blue;                 // 0 to 0.99
  float pivotX, pivotY, pivotZ;           // shape offset applied after the rotations
  float gravity;                          // units per second squared
  int32_t shape;                          // 0 dot, 1-3 square, 4-5 triangle

  void launch(LaunchKind kind);
  void advance(float seconds);
  void draw() const;  // renderer/scene
};

constexpr int PieceCount = 400;

// Choreography clock: 0 means "not started" (the frame loop initialises the graphics then).
constexpr double SceneStartSeconds = 0.3;
constexpr double SceneWrapSeconds = 21.0;

// The choreography's bursts, fired in this order in the frame whose step crosses the
// threshold; a coin-tossed rule goes on only when a fresh draw r % 2 gives 0. Thresholds
// other than 10.5 are float literals widened to double, as the timing was tuned with them.
struct BurstRule {
  double threshold;
  bool coinToss;
  int firstSlot;
  int lastSlot;
  LaunchKind kind;
};
constexpr BurstRule BurstRules[] = {
    {static_cast<double>(7.3f), false, 0, 399, LaunchKind::Scatter},
    {10.5, true, 0, 299, LaunchKind::Scatter},
    {static_cast<double>(16.3f), false, 0, 399, LaunchKind::Ring},
    {static_cast<double>(19.3f), true, 0, 399, LaunchKind::Ring},
};

// Module-level state, zero at program start like any static storage.
extern ConfettiPiece pieces[PieceCount];
extern double sceneTime;     // seconds into the choreography
extern double frameSeconds;  // the current frame's step, set by the frame loop
extern float spawnTimer;     // seconds since the last launch of any piece
extern float swayAngle;      // emitter phase
extern float emitterX;       // 3 * sin(swayAngle); the emitter is at (emitterX, 10, 0)

// True when this frame's step carries the clock over the threshold: sceneTime (before the
// frame's advance) < t < sceneTime + frameSeconds, in double precision.
bool crossesThisFrame(double threshold);

void seedRandom(uint32_t seed);
int nextRandom();  // 0 to 32767

void spawnPieces(ConfettiPiece (&pool)[PieceCount], float seconds);
void advanceSway(float seconds);

// The frame's pass over the pool: each slot in index order is shown (when `show` is given)
// and then advanced by frameSeconds; then bursts and trickle, then the sway. The scene
// passes its drawing here, a headless run passes nothing.
void simulateFrame(void (*show)(const ConfettiPiece&) = nullptr);

// Clock rules: start at 0.3; after each shown frame add frameSeconds and restart at 0.3
// once above 21 (the overshoot is dropped).
void startSceneClock();
void advanceSceneClock();

// Everything back to its program-start state (all zero), for tests and headless runs.
void resetConfetti();
