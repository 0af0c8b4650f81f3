// The face's geometry (frame pieces, caption place), the gradient literals, and the committed
// state images read back from their BMP files against the frame-colour table.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "host/controls/face_rules.h"

namespace controls {
namespace {

bool same(const PixelRect& a, const PixelRect& b) { return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h; }

TEST(FaceLayout, PiecesOfADefaultSizeFace) {
  const auto pieces = framePieces(117, 28);
  const PixelRect source[8] = {{0, 0, 4, 4},  {4, 0, 56, 4},  {60, 0, 4, 4}, {60, 4, 4, 17},
                               {60, 21, 4, 4}, {4, 21, 56, 4}, {0, 21, 4, 4}, {0, 4, 4, 17}};
  const PixelRect dest[8] = {{0, 0, 4, 4},    {4, 0, 109, 4},  {113, 0, 4, 4}, {113, 4, 4, 20},
                             {113, 24, 4, 4}, {4, 24, 109, 4}, {0, 24, 4, 4},  {0, 4, 4, 20}};
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(same(pieces[i].source, source[i]));
    EXPECT_TRUE(same(pieces[i].dest, dest[i]));
    EXPECT_EQ(pieces[i].stretched, i % 2 == 1);
    EXPECT_TRUE(drawable(pieces[i]));
  }
}

TEST(FaceLayout, SmallFacesDropEdgesWithoutLength) {
  struct Case {
    int w, h;
    int drawableEdges;
  };
  const Case cases[] = {{9, 9, 4}, {8, 9, 2}, {9, 8, 2}, {8, 8, 0}, {5, 3, 0}, {41, 21, 4}, {0, 0, 0}};
  for (const Case& c : cases) {
    int edges = 0, corners = 0;
    for (const FramePiece& p : framePieces(c.w, c.h)) {
      if (p.stretched && drawable(p)) ++edges;
      if (!p.stretched && drawable(p)) ++corners;
    }
    EXPECT_EQ(edges, c.drawableEdges) << c.w << "x" << c.h;
    EXPECT_EQ(corners, 4);
  }
}

TEST(FaceLayout, CaptionTop) {
  EXPECT_EQ(captionTop(28, 13, 15), 7);   // the default size: 102.5 twips
  EXPECT_EQ(captionTop(25, 13, 15), 5);   // the dialog's 77 x 25 buttons
  EXPECT_EQ(captionTop(21, 13, 15), 3);   // the file button
  EXPECT_EQ(captionTop(28, 16, 12), 5);   // 120 dpi: 10 twips is less than a pixel
  EXPECT_EQ(captionTop(10, 13, 15), -2);  // a caption taller than the face
}

TEST(FaceLayout, GradientLiteralsInWrittenOrder) {
  const GradientColour light = gradientColour(GradientLight);
  EXPECT_EQ(light.red, 0xFF00);
  EXPECT_EQ(light.green, 0xFF00);
  EXPECT_EQ(light.blue, 0xFF00);
  const GradientColour dark = gradientColour(GradientDark);
  EXPECT_EQ(dark.red, 0xC600);
  EXPECT_EQ(dark.green, 0xC500);
  EXPECT_EQ(dark.blue, 0xD700);
  for (const char* bad : {"", "&H", "&HC6C5D", "&HC6C5D7F", "#C6C5D7", "&HC6C5DZ"}) {
    const GradientColour c = gradientColour(bad);
    EXPECT_EQ(c.red | c.green | c.blue, 0) << bad;
  }
}

// ---- the committed state images ----

struct Bmp {
  int width = 0, height = 0;
  std::vector<std::uint32_t> rgb;  // 0xRRGGBB, top row first
  std::uint32_t at(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

bool readBmp(const std::string& path, Bmp& out) {
  std::ifstream file(path, std::ios::binary);
  std::vector<unsigned char> d((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  auto u32 = [&](size_t o) { return d[o] | d[o + 1] << 8 | d[o + 2] << 16 | static_cast<std::uint32_t>(d[o + 3]) << 24; };
  auto u16 = [&](size_t o) { return d[o] | d[o + 1] << 8; };
  if (d.size() < 54 || d[0] != 'B' || d[1] != 'M' || u16(28) != 24 || u32(30) != 0) return false;
  out.width = static_cast<int>(u32(18));
  const auto h = static_cast<std::int32_t>(u32(22));
  out.height = h < 0 ? -h : h;
  const size_t stride = (static_cast<size_t>(out.width) * 3 + 3) & ~size_t(3);
  const size_t offset = u32(10);
  if (d.size() < offset + stride * out.height) return false;
  out.rgb.resize(static_cast<size_t>(out.width) * out.height);
  for (int y = 0; y < out.height; ++y) {
    const size_t row = offset + stride * static_cast<size_t>(h < 0 ? y : out.height - 1 - y);
    for (int x = 0; x < out.width; ++x) {
      const unsigned char* p = &d[row + x * 3];
      out.rgb[static_cast<size_t>(y) * out.width + x] = p[2] << 16 | p[1] << 8 | p[0];
    }
  }
  return true;
}

// The frame-colour table: strips from the outer edge inwards, sides at the middle row.
struct Frame {
  const char* file;
  std::uint32_t top[4], bottom[4], left[4], right[4];
  std::uint32_t leftTop[2], leftBottom[2];  // inner pair of the left strip at rows 4 and 20
  int border;                               // depth of the dark (or grey) border
  std::uint32_t blend[2];                   // the rounded corner's blended pixels
};

const Frame Frames[] = {
    {"normal.bmp", {0xDCD6C2, 0x003C74, 0xF3F3EE, 0xF3F3EE}, {0xFAFAF6, 0x003C74, 0xD6D0C5, 0xE2DFD6},
     {0xE2DECB, 0x003C74, 0xF4F4F0, 0xF4F4F0}, {0xF0EEE0, 0x003C74, 0xE8E5DF, 0xEEEDE7},
     {0xF4F4F0, 0xF4F4F0}, {0xECEBE6, 0xECEBE6}, 1, {0x7A95A8, 0x255783}},
    {"highlight.bmp", {0xDCD6C2, 0x003C74, 0xFFF0CF, 0xFDD889}, {0xFAFAF6, 0x003C74, 0xE59700, 0xF8B330},
     {0xE2DECB, 0x003C74, 0xFCCA69, 0xFBCA6A}, {0xF0EEE0, 0x003C74, 0xFCCA69, 0xFBCA6A},
     {0xFEDF9A, 0xFCD279}, {0xF9B435, 0xF8B535}, 1, {0x7A95A8, 0x255783}},
    {"highlightselect.bmp", {0xDCD6C2, 0x003C74, 0xFFF0CF, 0xFDD889}, {0xFAFAF6, 0x003C74, 0xE59700, 0xF8B330},
     {0xE2DECB, 0x003C74, 0xFCCA69, 0xFBCA6A}, {0xF0EEE0, 0x003C74, 0xFCCA69, 0xFBCA6A},
     {0xFEDF9A, 0xFCD279}, {0xF9B435, 0xF8B535}, 1, {0x7A95A8, 0x255783}},
    {"selected.bmp", {0xDCD6C2, 0x003C74, 0xCEE7FF, 0xCEE7FF}, {0xFAFAF6, 0x003C74, 0x6982EE, 0x6982EE},
     {0xE2DECB, 0x003C74, 0xA9C5EF, 0xA9C5EF}, {0xF0EEE0, 0x003C74, 0xA9C5EF, 0xA9C5EF},
     {0xB7D0F4, 0xB7D0F4}, {0x8BADE4, 0x8BADE4}, 1, {0x7A95A8, 0x255783}},
    {"pressed.bmp", {0xECE9D8, 0xDCD6C2, 0x003C74, 0xD1CCC1}, {0xECE9D8, 0xFAFAF6, 0x003C74, 0xF2F1EE},
     {0xECE9D8, 0xE2DECB, 0x003C74, 0xD7D4CB}, {0xECE9D8, 0xF0EEE0, 0x003C74, 0xE4E3DC},
     {0x003C74, 0xD7D4CB}, {0x003C74, 0xD7D4CB}, 2, {0x7A95A8, 0x255783}},
    {"disable.bmp", {0xECE9D8, 0xC9C7BA, 0xF5F4EA, 0xF5F4EA}, {0xECE9D8, 0xC9C7BA, 0xF5F4EA, 0xF5F4EA},
     {0xECE9D8, 0xC9C7BA, 0xF5F4EA, 0xF5F4EA}, {0xECE9D8, 0xC9C7BA, 0xF5F4EA, 0xF5F4EA},
     {0xF5F4EA, 0xF5F4EA}, {0xF5F4EA, 0xF5F4EA}, 1, {0xD8D5C7, 0xCBC9BC}},
};

#ifdef POMAREL_CONTROLS_IMAGES
TEST(StateImages, CommittedBitmapsMatchTheFrameTable) {
  for (const Frame& f : Frames) {
    SCOPED_TRACE(f.file);
    Bmp bmp;
    ASSERT_TRUE(readBmp(std::string(POMAREL_CONTROLS_IMAGES) + "/" + f.file, bmp));
    ASSERT_EQ(bmp.width, 64);
    ASSERT_EQ(bmp.height, 25);
    for (int d = 0; d < 4; ++d) {
      SCOPED_TRACE(d);
      for (int x : {4, 32, 59}) {
        EXPECT_EQ(bmp.at(x, d), f.top[d]);
        EXPECT_EQ(bmp.at(x, 24 - d), f.bottom[d]);
      }
      EXPECT_EQ(bmp.at(d, 12), f.left[d]);
      EXPECT_EQ(bmp.at(63 - d, 12), f.right[d]);
    }
    for (int d = 2; d < 4; ++d) {
      EXPECT_EQ(bmp.at(d, 4), f.leftTop[d - 2]);
      EXPECT_EQ(bmp.at(d, 20), f.leftBottom[d - 2]);
    }
    // Rounded corners: the outermost pixel keeps the outer colour, the border turns through
    // the two blends at each of the four corners.
    const int b = f.border;
    const int xs[2][2] = {{0, 1}, {63, -1}};
    const int ys[2][2] = {{0, 1}, {24, -1}};
    for (const auto& cx : xs) {
      for (const auto& cy : ys) {
        EXPECT_EQ(bmp.at(cx[0] + cx[1] * b, cy[0] + cy[1] * b), f.blend[0]);
        EXPECT_EQ(bmp.at(cx[0] + cx[1] * (b + 1), cy[0] + cy[1] * b), f.blend[1]);
        EXPECT_EQ(bmp.at(cx[0] + cx[1] * b, cy[0] + cy[1] * (b + 1)), f.blend[1]);
      }
    }
    EXPECT_EQ(bmp.at(0, 0), f.top[0]);
    EXPECT_EQ(bmp.at(63, 24), f.bottom[0]);
  }
}
#endif

}  // namespace
}  // namespace controls
