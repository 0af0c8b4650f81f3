// Frame pieces of the face and the caption's place. Platform-free.
#include "host/controls/face_rules.h"

#include <cmath>

namespace controls {

std::array<FramePiece, 8> framePieces(int W, int H) {
  constexpr int c = CornerSize;
  constexpr int right = ImageWidth - c;    // 60
  constexpr int bottom = ImageHeight - c;  // 21
  return {{
      {{0, 0, c, c}, {0, 0, c, c}, false},                                             // top-left
      {{c, 0, EdgeSourceWidth, c}, {c, 0, W - 2 * c, c}, true},                      // top
      {{right, 0, c, c}, {W - c, 0, c, c}, false},                                     // top-right
      {{right, c, c, EdgeSourceHeight}, {W - c, c, c, H - 2 * c}, true},              // right
      {{right, bottom, c, c}, {W - c, H - c, c, c}, false},                            // bottom-right
      {{c, bottom, EdgeSourceWidth, c}, {c, H - c, W - 2 * c, c}, true},              // bottom
      {{0, bottom, c, c}, {0, H - c, c, c}, false},                                    // bottom-left
      {{0, c, c, EdgeSourceHeight}, {0, c, c, H - 2 * c}, true},                      // left
  }};
}

bool drawable(const FramePiece& piece) { return piece.dest.w > 0 && piece.dest.h > 0; }

int captionTop(int faceHeight, int captionHeight, int twipsPerPixelY) {
  const int tpp = twipsPerPixelY > 0 ? twipsPerPixelY : 15;
  const double twips = (static_cast<double>(faceHeight - captionHeight) * tpp - 2.0 * CaptionRaiseTwips) / 2.0;
  return static_cast<int>(std::floor(twips / tpp + 0.5));
}

GradientColour gradientColour(const char* literal) {
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  if (!literal || literal[0] != '&' || (literal[1] != 'H' && literal[1] != 'h')) return {};
  int channels[3];
  for (int i = 0; i < 3; ++i) {
    const int high = hex(literal[2 + 2 * i]);
    const int low = high < 0 ? -1 : hex(literal[3 + 2 * i]);
    if (high < 0 || low < 0) return {};
    channels[i] = high * 16 + low;
  }
  if (literal[8] != '\0') return {};
  return {static_cast<unsigned short>(channels[0] << 8), static_cast<unsigned short>(channels[1] << 8),
          static_cast<unsigned short>(channels[2] << 8)};
}

}  // namespace controls
