// Checksum of the confetti pool and its clocks, field by field so that struct padding never
// enters it. Depends on renderer/confetti.
#include "renderer/confetti/replay_rules.h"

#include <cstdio>
#include <cstring>

#include "renderer/confetti/confetti.h"

namespace {

struct Fnv {
  uint64_t hash = 1469598103934665603ull;
  template <typename T>
  void add(const T& value) {
    unsigned char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    for (unsigned char b : bytes) hash = (hash ^ b) * 1099511628211ull;
  }
};

}  // namespace

std::string simulationChecksum() {
  Fnv f;
  for (const ConfettiPiece& p : pieces) {
    for (float v : {p.x, p.y, p.z, p.angleX, p.angleY, p.angleZ, p.spinX, p.spinY, p.spinZ,
                    p.velocityX, p.velocityY, p.velocityZ, p.red, p.green, p.blue, p.pivotX,
                    p.pivotY, p.pivotZ, p.gravity}) {
      f.add(v);
    }
    f.add(p.active);
    f.add(p.shape);
  }
  f.add(sceneTime);
  f.add(frameSeconds);
  f.add(spawnTimer);
  f.add(swayAngle);
  f.add(emitterX);
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(f.hash));
  return text;
}
