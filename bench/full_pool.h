// The heaviest picture the choreography allows, shared by the renderer benches (Windows, X11,
// browser): every slot launched, then held still inside the bounds so all 400 stay active and
// keep tumbling. Depends on the confetti model only.
#pragma once

#include "renderer/confetti/confetti.h"

inline void fillPool() {
  for (ConfettiPiece& p : pieces) {
    p.launch(LaunchKind::Scatter);
    p.velocityX = p.velocityY = p.velocityZ = 0.0f;
    p.gravity = 0.0f;
    p.x = -12.0f + 24.0f * static_cast<float>(nextRandom()) / 32767.0f;
    p.y = -6.0f + 22.0f * static_cast<float>(nextRandom()) / 32767.0f;
  }
}
