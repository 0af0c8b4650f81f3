// Where the face's pieces go: the eight frame pieces cut from a 64 x 25 state image and the
// caption element's place. Platform-free; pixels in, pixels out.
#pragma once

#include <array>

namespace controls {

struct PixelRect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
};

struct FramePiece {
  PixelRect source;  // in the state image
  PixelRect dest;    // on the face
  bool stretched;    // an edge (stretched along its length) or a corner (copied 1:1)
};

constexpr int ImageWidth = 64;   // 960 twips at 15 twips per pixel
constexpr int ImageHeight = 25;  // 375 twips
constexpr int CornerSize = 4;    // 60 twips
constexpr int EdgeSourceWidth = ImageWidth - 2 * CornerSize;    // 56 px, 840 twips
constexpr int EdgeSourceHeight = ImageHeight - 2 * CornerSize;  // 17 px, 255 twips
constexpr int CaptionRaiseTwips = 10;

// The eight pieces in painting order, clockwise from the top-left corner. The frame is cut in
// image pixels at every screen density (the images are pixel art; scaling them would blur the
// one-pixel border). On a face narrower or lower than 8 px an edge has no length and is left
// out (`drawable` false); the corners are still copied and overlap, clipped by the face.
std::array<FramePiece, 8> framePieces(int faceWidth, int faceHeight);
bool drawable(const FramePiece& piece);

// Top of the caption element: (face height - caption height - 10 twips * 2) / 2 in twips,
// to the nearest pixel. For a 28-px face and a 13-px caption at 15 twips per pixel: 7.
int captionTop(int faceHeight, int captionHeight, int twipsPerPixelY);

// One end of the face gradient as 16-bit channels (the 8-bit value in the high byte).
struct GradientColour {
  unsigned short red = 0;
  unsigned short green = 0;
  unsigned short blue = 0;
};

constexpr char GradientLight[] = "&HFFFFFF";  // white
constexpr char GradientDark[] = "&HC6C5D7";   // lavender grey (198, 197, 215)

// The hex digit pairs of a "&HRRGGBB" literal in written order as red, green and blue.
// Anything that is not such a literal gives black.
GradientColour gradientColour(const char* literal);

}  // namespace controls
