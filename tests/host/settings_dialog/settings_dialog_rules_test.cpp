// The settings dialog's platform-free rules: the track text saved on confirmation, the "##"
// form and the list entries, the look of each music choice, the geometry (twips against the
// pixel figures of the layout, hit areas, placement), the gradient and the texture tiling.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/settings_dialog/settings_dialog_rules.h"

namespace dialog {
namespace {

TEST(TrackFromText, SavesNumericTextRoundedHalvesToEvenWithinSixteenBits) {
  const std::vector<std::pair<std::wstring, int>> cases = {
      {L" 12 ", 12},      {L"12.5", 12},       {L"13.5", 14},     {L"abc", 0},       {L"99999", 0},
      {L"", 0},           {L"7", 7},           {L"30", 30},       {L"0.5", 0},       {L"1.5", 2},
      {L"-2.5", -2},      {L"-3", -3},         {L"1e1", 10},      {L"12abc", 0},     {L"1 2", 0},
      {L"32767", 32767},  {L"32767.4", 32767}, {L"32767.5", 0},   {L"-32768.5", -32768},
      {L"-32768.6", 0},   {L"-32769", 0},      {L"1e999", 0},     {L"-1e999", 0},    {L".", 0},
      {L"+4", 4},         {L"12.", 12},        {L".5", 0},        {L"2.5000001", 3},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(trackFromText(text), expected) << "text \"" << std::string(text.begin(), text.end()) << "\"";
  }
}

TEST(FormatHashes, LeavesZeroEmptyAndWritesOtherNumbersPlainly) {
  const std::vector<std::pair<int, std::wstring>> cases = {
      {0, L""}, {1, L"1"}, {7, L"7"}, {30, L"30"}, {100, L"100"}, {-5, L"-5"}, {32767, L"32767"},
  };
  for (const auto& [value, expected] : cases) EXPECT_EQ(formatHashes(value), expected) << value;
}

TEST(TrackEntries, AreTheEmptyEntryThenOneToThirtyAndReadBackAsTheirIndex) {
  const std::vector<std::wstring> entries = trackEntries();
  ASSERT_EQ(entries.size(), 31u);
  EXPECT_EQ(entries.front(), L"");
  EXPECT_EQ(entries[1], L"1");
  EXPECT_EQ(entries.back(), L"30");
  for (size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(trackFromText(entries[i]), static_cast<int>(i));
}

TEST(LookForKind, SelectsTheKindsImageAndEnablesOnlyItsControl) {
  struct Case {
    int kind;
    int selected;
    bool repeat;
    bool file;
  };
  const std::vector<Case> cases = {
      {0, 0, false, false}, {1, 1, true, false},    {2, 2, false, true},
      {3, -1, false, false}, {-1, -1, false, false}, {32767, -1, false, false},
  };
  for (const Case& c : cases) {
    const ChoiceLook look = lookForKind(c.kind);
    EXPECT_EQ(look.selected, c.selected) << c.kind;
    EXPECT_EQ(look.repeatEnabled, c.repeat) << c.kind;
    EXPECT_EQ(look.fileEnabled, c.file) << c.kind;
  }
}

bool samePixels(const PixelRect& r, int x, int y, int w, int h) {
  return r.x == x && r.y == y && r.width == w && r.height == h;
}

TEST(Layout, TwipsGiveThePixelGeometryAtFifteenTwipsPerPixel) {
  auto px = [](const TwipsRect& r) { return toPixels(r, 15, 15); };
  EXPECT_TRUE(samePixels(px({0, 0, kClientWidthTwips, kClientHeightTwips}), 0, 0, 496, 246));
  EXPECT_TRUE(samePixels(px(layout::Pic_C), 12, 16, 469, 165));
  EXPECT_TRUE(samePixels(px(layout::Shape3), 20, 20, 113, 21));
  EXPECT_TRUE(samePixels(px(layout::Img_BGM[1]), 28, 56, 13, 13));
  EXPECT_TRUE(samePixels(px(layout::Img_BGM[0]), 28, 76, 13, 13));
  EXPECT_TRUE(samePixels(px(layout::Img_BGM[2]), 28, 96, 13, 13));
  EXPECT_TRUE(samePixels(px(layout::BGM_Repeat), 112, 52, 41, 20));
  EXPECT_TRUE(samePixels(px(layout::Cmd_File), 28, 116, 41, 21));
  EXPECT_TRUE(samePixels(px(layout::lbl_Fname), 72, 116, 373, 33));
  EXPECT_EQ(px(layout::lblCredit).y, 192);
  EXPECT_EQ(px(layout::lbl_URL).y, 208);
  EXPECT_TRUE(samePixels(px(layout::Cmd_Set), 324, 200, 77, 25));
  EXPECT_TRUE(samePixels(px(layout::Cmd_Can), 404, 200, 77, 25));
}

TEST(Layout, EveryControlStaysInsideItsContainerAtCommonDensities) {
  const std::vector<TwipsRect> onPanel = {layout::Shape3,     layout::lblTitle,   layout::Img_BGM[0], layout::Img_BGM[1],
                                          layout::Img_BGM[2], layout::lbl_BGM[0], layout::lbl_BGM[1], layout::lbl_BGM[2],
                                          layout::BGM_Repeat, layout::lblRepeat,  layout::Cmd_File,   layout::lbl_Fname};
  const std::vector<TwipsRect> onWindow = {layout::Pic_C, layout::lblCredit, layout::lbl_URL, layout::Cmd_Set,
                                           layout::Cmd_Can};
  for (int tpp : {15, 12, 10, 8}) {
    const PixelRect panel = toPixels(layout::Pic_C, tpp, tpp);
    const PixelRect client = toPixels({0, 0, kClientWidthTwips, kClientHeightTwips}, tpp, tpp);
    for (const TwipsRect& r : onPanel) {
      const PixelRect p = toPixels(r, tpp, tpp);
      EXPECT_LE(p.x + p.width, panel.width) << "tpp " << tpp << " at x " << r.x;
      EXPECT_LE(p.y + p.height, panel.height) << "tpp " << tpp << " at y " << r.y;
    }
    for (const TwipsRect& r : onWindow) {
      const PixelRect p = toPixels(r, tpp, tpp);
      EXPECT_LE(p.x + p.width, client.width) << "tpp " << tpp << " at x " << r.x;
      EXPECT_LE(p.y + p.height, client.height) << "tpp " << tpp << " at y " << r.y;
    }
  }
}

TEST(ChoiceAt, FindsTheChoiceUnderImagesAndLabelsAndNothingBetweenThem) {
  struct Case {
    int x, y;
    std::optional<int> choice;
  };
  const std::vector<Case> cases = {
      {34, 62, 1},  {28, 56, 1},  {40, 68, 1},           {41, 62, std::nullopt}, {44, 56, 1},  {86, 68, 1},
      {87, 60, std::nullopt},     {34, 82, 0},           {65, 80, 0},            {66, 80, std::nullopt},
      {34, 100, 2}, {103, 108, 2}, {104, 100, std::nullopt}, {34, 69, std::nullopt}, {50, 89, std::nullopt},
      {27, 62, std::nullopt},     {34, 125, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(choiceAt(c.x, c.y, 15, 15), c.choice) << c.x << "," << c.y;
  }
  // At 120 dots per inch the same twips give larger areas.
  EXPECT_EQ(choiceAt(35, 70, 12, 12), 1);
  EXPECT_EQ(choiceAt(81, 100, 12, 12), 0);
  EXPECT_EQ(choiceAt(82, 100, 12, 12), std::nullopt);
  EXPECT_EQ(choiceAt(36, 120, 12, 12), 2);
}

TEST(DialogPlacement, CentresAcrossAndPutsAThirdOfTheSpaceAbove) {
  struct Case {
    int sw, sh, ww, wh, tpp;
    int x, y;
  };
  const std::vector<Case> cases = {
      {1024, 768, 502, 275, 15, 261, 164},
      {1023, 767, 500, 275, 15, 261, 164},
      {1280, 1024, 626, 340, 12, 327, 228},
      {400, 200, 502, 275, 15, -51, -25},  // larger than the screen: truncated toward zero
      {401, 200, 502, 275, 15, -50, -25},  // -757.5 twips truncates to -757, not -758
      {502, 275, 502, 275, 15, 0, 0},
  };
  for (const Case& c : cases) {
    const Point at = dialogPlacement(c.sw, c.sh, c.ww, c.wh, c.tpp, c.tpp);
    EXPECT_EQ(at.x, c.x) << c.sw << "x" << c.sh;
    EXPECT_EQ(at.y, c.y) << c.sw << "x" << c.sh;
  }
}

TEST(GradientRows, RunFromDarkBlueAtTheEdgesToLightBlueGreyInTheMiddle) {
  const int height = 246;
  const std::vector<Rgb> rows = gradientRows(height);
  ASSERT_EQ(rows.size(), static_cast<size_t>(height + 1));
  EXPECT_EQ(rows.front(), (Rgb{0, 0, 30}));
  EXPECT_LE(rows.back().r, 1);
  EXPECT_LE(rows[height - 1].r, 3);  // the last row inside the client area is still dark
  EXPECT_EQ(rows[height / 2], (Rgb{220, 220, 250}));
  for (size_t y = 0; y < rows.size(); ++y) {
    EXPECT_EQ(rows[y].r, rows[y].g) << y;
    EXPECT_EQ(rows[y].b, rows[y].r + 30) << y;
    EXPECT_LE(std::abs(rows[y].r - rows[height - y].r), 1) << y;  // mirror image about the middle
  }
  for (int y = 1; y <= height / 2; ++y) EXPECT_GE(rows[y].r, rows[y - 1].r) << y;
  for (int y = height / 2 + 1; y <= height; ++y) EXPECT_LE(rows[y].r, rows[y - 1].r) << y;
  EXPECT_TRUE(gradientRows(0).empty());
}

TEST(TilePositions, CoverTheTargetColumnByColumnOvershootingBottomAndRight) {
  struct Case {
    int w, h, tw, th;
    size_t count;
  };
  const std::vector<Case> cases = {
      {469, 165, 556, 20, 20},  // the panel: two columns of ten
      {40, 40, 20, 20, 16},     // exact multiples still add a row below and a column beyond
      {556, 20, 556, 20, 9},
      {1, 1, 556, 20, 4},
  };
  for (const Case& c : cases) {
    const std::vector<Point> at = tilePositions(c.w, c.h, c.tw, c.th);
    ASSERT_EQ(at.size(), c.count) << c.w << "x" << c.h;
    EXPECT_EQ(at.front().x, 0);
    EXPECT_EQ(at.front().y, 0);
    EXPECT_GT(at.back().x, c.w - c.tw);  // the last column starts beyond the right edge
    std::set<std::pair<int, int>> seen;
    for (size_t i = 0; i < at.size(); ++i) {
      EXPECT_TRUE(seen.insert({at[i].x, at[i].y}).second) << "tile copied twice";
      if (i > 0 && at[i].x == at[i - 1].x) {
        EXPECT_EQ(at[i].y, at[i - 1].y + c.th);  // down the column
      }
      if (i > 0 && at[i].x != at[i - 1].x) {
        EXPECT_EQ(at[i].x, at[i - 1].x + c.tw);
        EXPECT_EQ(at[i].y, 0);
        EXPECT_GT(at[i - 1].y, c.h);  // the column ended one tile below the bottom edge
      }
    }
    for (int y = 0; y < c.h; ++y) {
      for (int x = 0; x < c.w; ++x) {
        bool covered = false;
        for (const Point& p : at) covered |= x >= p.x && x < p.x + c.tw && y >= p.y && y < p.y + c.th;
        ASSERT_TRUE(covered) << x << "," << y;
      }
    }
  }
}

TEST(TilePositions, ATileWithoutAreaCopiesNothingInsteadOfLoopingForever) {
  EXPECT_TRUE(tilePositions(469, 165, 0, 0).empty());
  EXPECT_TRUE(tilePositions(469, 165, 556, 0).empty());
  EXPECT_TRUE(tilePositions(469, 165, 0, 20).empty());
  EXPECT_TRUE(tilePositions(469, 165, -5, 20).empty());
}

TEST(ZoomOriginFrom, KeepsThePointOnlyWhenTheCallWorkedAndItFitsSixteenBits) {
  struct Case {
    bool ok;
    long x, y;
    int ex, ey;
  };
  const std::vector<Case> cases = {
      {true, 900, 700, 900, 700}, {false, 900, 700, 0, 0},  {true, -5, -7, -5, -7},
      {true, 40000, 5, 0, 0},     {true, 5, -40000, 0, 0},   {true, 32767, -32768, 32767, -32768},
  };
  for (const Case& c : cases) {
    const Point16 origin = zoomOriginFrom(c.ok, c.x, c.y);
    EXPECT_EQ(origin.x, c.ex) << c.x << "," << c.y;
    EXPECT_EQ(origin.y, c.ey) << c.x << "," << c.y;
  }
}

TEST(GuidePath, PutsTheGuideInTheProgramFolderWithOneBackslash) {
  EXPECT_EQ(guidePath(L"C:\\Program Files\\Pomarel"), L"C:\\Program Files\\Pomarel\\Pomarel.html");
  EXPECT_EQ(guidePath(L"C:\\"), L"C:\\Pomarel.html");
  EXPECT_EQ(guidePath(L""), L"Pomarel.html");
}

}  // namespace
}  // namespace dialog
