// The settings dialog's platform-free rules: the track text saved on confirmation, the "##"
// form and the list entries, the look of each music choice, the geometry (twips against the
// pixel figures of the layout, hit areas, placement), the gradient and the texture tiling, and
// the handlers' steps against a recording port.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/settings/settings_rules.h"
#include "host/settings_dialog/settings_dialog_rules.h"

namespace settings_dialog {
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

bool overlap(const PixelRect& a, const PixelRect& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// What the user sees at any common density: no control covers another (the title stands in its
// frame), the choices read CD, none, file from the top with each label beside its image, the
// repeat box and its label on the CD row, the file name beside its button below the choices,
// the credit above the link, and Cmd_Set left of Cmd_Can on one row.
TEST(Layout, KeepsEveryControlApartAndInItsPlaceAtCommonDensities) {
  using namespace layout;
  const std::vector<std::pair<const char*, TwipsRect>> onPanel = {
      {"Shape3", Shape3},          {"Img_BGM(1)", Img_BGM[1]}, {"lbl_BGM(1)", lbl_BGM[1]}, {"BGM_Repeat", BGM_Repeat},
      {"lbl(14)", lblRepeat},      {"Img_BGM(0)", Img_BGM[0]}, {"lbl_BGM(0)", lbl_BGM[0]}, {"Img_BGM(2)", Img_BGM[2]},
      {"lbl_BGM(2)", lbl_BGM[2]},  {"Cmd_File", Cmd_File},     {"lbl_Fname", lbl_Fname}};
  const std::vector<std::pair<const char*, TwipsRect>> onWindow = {
      {"Pic_C", Pic_C}, {"lbl(7)", lblCredit}, {"lbl_URL", lbl_URL}, {"Cmd_Set", Cmd_Set}, {"Cmd_Can", Cmd_Can}};
  for (int tpp : {15, 12, 10, 8}) {
    SCOPED_TRACE("twips per pixel " + std::to_string(tpp));
    auto px = [tpp](const TwipsRect& r) { return toPixels(r, tpp, tpp); };
    for (const auto* controls : {&onPanel, &onWindow}) {
      for (size_t i = 0; i < controls->size(); ++i) {
        for (size_t j = i + 1; j < controls->size(); ++j) {
          EXPECT_FALSE(overlap(px((*controls)[i].second), px((*controls)[j].second)))
              << (*controls)[i].first << " and " << (*controls)[j].first;
        }
      }
    }
    const PixelRect frame = px(Shape3), title = px(lblTitle);
    EXPECT_TRUE(frame.contains(title.x, title.y) && frame.contains(title.x + title.width - 1, title.y + title.height - 1));
    int rowAbove = -1;
    for (int kind : {1, 0, 2}) {
      const PixelRect image = px(Img_BGM[kind]), label = px(lbl_BGM[kind]);
      EXPECT_GT(image.y, rowAbove) << "choice " << kind;
      EXPECT_EQ(label.y, image.y) << "choice " << kind;
      EXPECT_GE(label.x, image.x + image.width) << "choice " << kind;
      rowAbove = image.y + image.height - 1;
    }
    const PixelRect cd = px(Img_BGM[1]), box = px(BGM_Repeat), boxLabel = px(lblRepeat);
    EXPECT_GE(box.x, px(lbl_BGM[1]).x + px(lbl_BGM[1]).width);
    EXPECT_TRUE(box.y <= cd.y && box.y + box.height >= cd.y + cd.height) << "the box spans the CD row";
    EXPECT_EQ(boxLabel.y, cd.y);
    EXPECT_GE(boxLabel.x, box.x + box.width);
    const PixelRect fileButton = px(Cmd_File), fileName = px(lbl_Fname);
    EXPECT_GT(fileButton.y, rowAbove);
    EXPECT_EQ(fileName.y, fileButton.y);
    EXPECT_GE(fileName.x, fileButton.x + fileButton.width);
    EXPECT_LE(px(lblCredit).y + px(lblCredit).height, px(lbl_URL).y);
    const PixelRect set = px(Cmd_Set), cancel = px(Cmd_Can);
    EXPECT_EQ(set.y, cancel.y);
    EXPECT_GE(cancel.x, set.x + set.width);
  }
}

TEST(Layout, EveryControlStaysInsideItsContainerAtCommonDensities) {
  const std::vector<TwipsRect> onPanel = {layout::Shape3,     layout::lblTitle,   layout::Img_BGM[0], layout::Img_BGM[1],
                                          layout::Img_BGM[2], layout::lbl_BGM[0], layout::lbl_BGM[1], layout::lbl_BGM[2],
                                          layout::BGM_Repeat, layout::lblRepeat,  layout::Cmd_File,   layout::lbl_Fname};
  const std::vector<TwipsRect> onWindow = {layout::Pic_C, layout::lblCredit, layout::lbl_URL, layout::Cmd_Set,
                                           layout::Cmd_Can};
  for (int tpp : {15, 12, 10, 8}) {
    const PixelRect panel = toPixels(layout::Pic_C, tpp, tpp);
    const PixelRect client = toPixels({0, 0, ClientWidthTwips, ClientHeightTwips}, tpp, tpp);
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

// ---- the handlers ----

using Log = std::vector<std::wstring>;

// The window and the settings file in one log; a save step named `failAt` fails. Its code
// page is like 1252: "ł" has a look-alike, anything else beyond it is lost.
struct RecordingDialog : DialogViewPort, settings::SettingsSavePort {
  Log log;
  size_t entries = 0;
  int32_t cursorResult = 1, chooserResult = 1;
  std::wstring answer, typed, failAt, failAt2, message;
  std::map<std::wstring, std::wstring> shortNames;
  uint32_t error = 5;
  std::wstring linkTarget;  // where the settings file's link leads; none when empty
  std::wstring copyPath = L"C:\\Saver\\Swirlbloom.new";
  bool folderRefused = false;

  void note(const std::wstring& what) { log.push_back(what); }
  bool step(const std::wstring& what) { return note(what), what != failAt && what != failAt2; }
  static std::wstring at(Point16 o) { return std::to_wstring(o.x) + L"," + std::to_wstring(o.y); }

  void placeWindow() override { note(L"place"); }
  void InitButtons() override { note(L"init buttons"); }
  void TileTexture() override { note(L"tile"); }
  void enableRepeat(bool on) override { note(on ? L"repeat on" : L"repeat off"); }
  void enableFileButton(bool on) override { note(on ? L"file on" : L"file off"); }
  void showChoice(int selected) override { note(L"choice " + std::to_wstring(selected)); }
  void setRepeatText(const std::wstring& text) override { note(L"track [" + text + L"]"); }
  void addRepeatEntry(const std::wstring&) override { entries++ == 0 ? note(L"entries") : void(); }
  void showFile(const std::wstring& file) override { note(L"label [" + file + L"]"); }
  int32_t cursorPos(long& x, long& y) override { return x = 900, y = 700, cursorResult; }
  void ZoomOpen(Point16 o) override { note(L"zoom from " + at(o)); }
  void ZoomClose(Point16 o) override { note(L"zoom to " + at(o)); }
  void arrowPointer() override { note(L"arrow"); }
  int32_t chooseFile(const std::wstring& folder, std::wstring& chosen) override {
    note(L"chooser at [" + folder + L"]");
    if (chooserResult > 0) chosen = answer;
    return chooserResult;
  }
  std::wstring throughAnsi(const std::wstring& path) override {
    std::wstring out;
    for (wchar_t c : path) out += c == L'ł' ? L'l' : c > 0xFF ? L'?' : c;
    return out;
  }
  std::wstring shortPath(const std::wstring& path) override { return shortNames[path]; }
  std::wstring repeatText() override { return typed; }
  std::wstring settingsPath() override { return L"C:\\Saver\\Swirlbloom.ini"; }
  std::wstring finalPath(const std::wstring& path) override { return linkTarget.empty() ? path : linkTarget; }
  bool checkWritable(const std::wstring& path) override { return step(L"check " + path); }
  bool makeCopy(const std::wstring&, const std::wstring& copy) override { return step(L"copy to " + copy); }
  bool folderRefusedCopy() override { return folderRefused; }
  std::wstring in(const std::wstring& file) { return file == copyPath ? L"" : L" in " + file; }
  int32_t writeValue(const wchar_t* key, const std::wstring& value, const std::wstring& file) override {
    return step(std::wstring(key) + L"=" + value + in(file));
  }
  bool complete(const std::wstring& file) override { return step(L"complete" + in(file)); }
  bool replaceWith(const std::wstring& copy, const std::wstring& path) override {
    return step(L"replace" + (path == settingsPath() ? L"" : L" in " + path));
  }
  void removeFile(const std::wstring& path) override { note(L"remove " + path); }
  uint32_t lastError() override { return error; }
  std::wstring reason(uint32_t code) override { return code ? L"reason " + std::to_wstring(code) : L""; }
  void showMessage(const std::wstring& text) override { note(L"report"), message = text; }
  void unloadWindow() override { note(L"unload"); }
};

void setVariables(int kind, int track, const std::wstring& file, const std::wstring& folder = L"C:\\Old") {
  settings::BGMKind = static_cast<int16_t>(kind);
  settings::BGMRepeatTrack = static_cast<int16_t>(track);
  settings::BGMFile = file;
  settings::BGMFolder = folder;
}

TEST(DialogLoad, ShowsTheStoredChoiceTrackAndFileThenZoomsFromTheCursor) {
  const struct {
    int kind, track;
    const wchar_t* file;
    int32_t cursorResult;
    Log look;
    const wchar_t* zoom;
  } cases[] = {
      {1, 0, L"", 1, {L"choice 1", L"repeat on", L"file off", L"track []"}, L"zoom from 900,700"},
      {2, 7, L"C:\\m\\a.mp3", 1, {L"choice 2", L"file on", L"track [7]"}, L"zoom from 900,700"},
      {0, 3, L"", 0, {L"choice 0", L"file off", L"track [3]"}, L"zoom from 0,0"},
      {5, 0, L"", 1, {L"choice -1", L"file off", L"track []"}, L"zoom from 900,700"},
  };
  for (const auto& c : cases) {
    setVariables(c.kind, c.track, c.file);
    RecordingDialog port;
    port.cursorResult = c.cursorResult;
    DialogSteps(port, port).load();
    Log want = {L"place", L"init buttons", L"tile", L"repeat off"};
    want.insert(want.end(), c.look.begin(), c.look.end());
    want.insert(want.end(), {L"entries", L"label [" + std::wstring(c.file) + L"]", c.zoom, L"arrow"});
    EXPECT_EQ(port.log, want) << c.kind;
    EXPECT_EQ(port.entries, 31u);
    EXPECT_EQ(settings::BGMKind, c.kind) << "opening changes nothing";
  }
}

TEST(DialogChooseKind, TakesTheKindAtOnceAndEnablesOnlyItsControl) {
  const Log off = {L"file off", L"repeat off"};
  const struct {
    int start, chosen, kindAfter;
    Log look;
  } cases[] = {
      {0, 1, 1, {L"choice 1", L"repeat on", L"file off"}}, {1, 2, 2, {L"choice 2", L"file on"}},
      {5, 0, 0, {L"choice 0", L"file off"}},             {2, 3, 2, {}},
      {2, -1, 2, {}},
  };
  for (const auto& c : cases) {
    setVariables(c.start, 0, L"");
    RecordingDialog port;
    DialogSteps(port, port).chooseKind(c.chosen);
    Log want = c.look.empty() ? Log{} : off;
    want.insert(want.end(), c.look.begin(), c.look.end());
    EXPECT_EQ(port.log, want) << c.chosen;
    EXPECT_EQ(settings::BGMKind, c.kindAfter) << c.chosen;
  }
}

// A name the code page cannot hold is stored by its 8.3 name, or refused with a message that
// names the file; a cancelled chooser changes nothing.
TEST(DialogChooseFile, TakesAStorableNameAndItsFolderAndKeepsThePreviousOtherwise) {
  const struct {
    int32_t result;
    const wchar_t *answer, *shortName, *file, *folder;
  } cases[] = {
      {1, L"D:\\Music\\b.wav", L"", L"D:\\Music\\b.wav", L"D:\\Music"},
      {1, L"D:\\b.mp3", L"", L"D:\\b.mp3", L"D:"},
      {0, L"", L"", nullptr, nullptr},
      {-1, L"D:\\x.wav", L"", nullptr, nullptr},
      {1, L"D:\\Музыка\\Музыка.wav", L"D:\\A1B2~1\\C3D4~1.WAV", L"D:\\A1B2~1\\C3D4~1.WAV", L"D:\\A1B2~1"},
      {1, L"D:\\łza.mp3", L"D:\\ZA~1.MP3", L"D:\\ZA~1.MP3", L"D:"},
      {1, L"D:\\m\\Музыка.wav", L"D:\\m\\Музыка.wav", nullptr, nullptr},  // a volume without 8.3 names
      {1, L"D:\\m\\\U0001F3B5.mp3", L"", nullptr, nullptr},               // not found
  };
  for (const auto& c : cases) {
    setVariables(2, 0, L"C:\\Old\\a.mp3");
    RecordingDialog port;
    port.chooserResult = c.result;
    port.answer = c.answer;
    port.shortNames[c.answer] = c.shortName;
    DialogSteps(port, port).chooseFile();
    const bool refused = c.result > 0 && !c.file;
    Log want = {L"chooser at [C:\\Old]"};
    if (c.file) want.push_back(L"label [" + std::wstring(c.file) + L"]");
    if (refused) want.push_back(L"report");
    EXPECT_EQ(port.log, want) << c.answer;
    EXPECT_EQ(settings::BGMFile, c.file ? c.file : L"C:\\Old\\a.mp3");
    EXPECT_EQ(settings::BGMFolder, c.folder ? c.folder : L"C:\\Old");
    EXPECT_EQ(!port.message.empty() && port.message.find(c.answer) != std::wstring::npos, refused) << c.answer;
  }
}

TEST(DialogConfirm, WritesKindTrackAndFileInOrderIntoACopyThatReplacesTheFileThenCloses) {
  const struct {
    int kind;
    const wchar_t *typed, *file;
    int track;
  } cases[] = {
      {2, L"7", L"C:\\Music\\song.mp3", 7}, {0, L" 12 ", L"C:\\a.wav", 12}, {1, L"abc", L"", 0},
      {5, L"13.5", L"", 14},                 {-1, L"-3", L"x", -3},
  };
  for (const auto& c : cases) {
    setVariables(c.kind, 4, c.file);
    RecordingDialog port;
    port.typed = c.typed;
    DialogSteps(port, port).confirm();
    const Log want = {L"check C:\\Saver\\Swirlbloom.ini", L"copy to C:\\Saver\\Swirlbloom.new",
                      std::wstring(settings::KeyKind) + L"=" + settings::formatIniNumber(c.kind),
                      std::wstring(settings::KeyRepeat) + L"=" + settings::formatIniNumber(c.track),
                      std::wstring(settings::KeyFile) + L"=" + c.file, L"complete", L"replace", L"unload"};
    EXPECT_EQ(port.log, want) << c.typed;
    EXPECT_EQ(settings::BGMRepeatTrack, c.track);
  }
}

// A settings file that is a link is saved where the link leads, its copy beside it; one in a
// folder that takes no new file gets the values in place, as before there was a copy.
TEST(DialogConfirm, SavesThroughALinkAndInPlaceWhereTheFolderTakesNoCopy) {
  setVariables(1, 0, L"");
  RecordingDialog linked;
  linked.linkTarget = L"D:\\Real\\settings.ini";
  linked.copyPath = L"D:\\Real\\Swirlbloom.new";
  DialogSteps(linked, linked).confirm();
  EXPECT_EQ(linked.log, (Log{L"check D:\\Real\\settings.ini", L"copy to D:\\Real\\Swirlbloom.new",
                             std::wstring(settings::KeyKind) + L"= 1", std::wstring(settings::KeyRepeat) + L"= 0",
                             std::wstring(settings::KeyFile) + L"=", L"complete", L"replace in D:\\Real\\settings.ini",
                             L"unload"}));

  const std::wstring in = L" in C:\\Saver\\Swirlbloom.ini";
  const Log inPlace = {std::wstring(settings::KeyKind) + L"= 1" + in, std::wstring(settings::KeyRepeat) + L"= 0" + in,
                       std::wstring(settings::KeyFile) + L"=" + in, L"complete" + in};
  for (size_t failing = 0; failing <= inPlace.size(); ++failing) {
    RecordingDialog port;
    port.failAt = L"copy to C:\\Saver\\Swirlbloom.new";
    port.folderRefused = true;
    if (failing < inPlace.size()) port.failAt2 = inPlace[failing];
    DialogSteps(port, port).confirm();
    Log want = {L"check C:\\Saver\\Swirlbloom.ini", L"copy to C:\\Saver\\Swirlbloom.new"};
    want.insert(want.end(), inPlace.begin(), inPlace.begin() + static_cast<std::ptrdiff_t>(std::min(failing + 1, inPlace.size())));
    want.push_back(failing < inPlace.size() ? L"report" : L"unload");  // nothing to remove either way
    EXPECT_EQ(port.log, want) << failing;
    if (failing < inPlace.size()) EXPECT_EQ(port.message.find(L"C:\\Saver\\Swirlbloom.ini\n"), 16u) << failing;
  }
}

// Whichever step fails: nothing further is written, the copy goes once it may exist, the user
// is told what, on which file (the copy for the copy's own steps) and why (the reason left out
// when the system gives none), and the dialog stays open.
TEST(DialogConfirm, AFailedStepRemovesTheCopyReportsAndKeepsTheDialogOpen) {
  setVariables(2, 0, L"");
  RecordingDialog saved;
  DialogSteps(saved, saved).confirm();
  const Log steps(saved.log.begin(), saved.log.end() - 1);  // all but the unload
  for (const uint32_t error : {5u, 0u}) {
    for (size_t i = 0; i < steps.size(); ++i) {
      RecordingDialog port;
      port.failAt = steps[i];
      port.error = error;
      DialogSteps(port, port).confirm();
      Log want(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(i) + 1);
      if (i > 0) want.push_back(L"remove C:\\Saver\\Swirlbloom.new");
      want.push_back(L"report");
      EXPECT_EQ(port.log, want) << steps[i];
      const bool ofTheFile = i == 0 || i + 1 == steps.size();  // the check and the replacement
      const std::wstring named = ofTheFile ? L"C:\\Saver\\Swirlbloom.ini" : L"C:\\Saver\\Swirlbloom.new";
      EXPECT_EQ(port.message.find(L"設定を保存できませんでした。\n\n" + named + L"\n\n"), 0u) << steps[i];
      EXPECT_EQ(port.message.find(L"reason 5") != std::wstring::npos, error != 0) << steps[i];
    }
  }
}

// ---- the keyboard ----

const wchar_t* stopName(FocusStop stop) {
  const wchar_t* const names[] = {L"none", L"choices", L"repeat", L"file", L"set", L"cancel", L"link"};
  return names[static_cast<int>(stop)];
}

TEST(NextStop, VisitsTheFocusableStopsInReadingOrderAndWrapsRound) {
  using F = FocusStop;
  const struct {
    F from;
    bool forward;
    std::set<F> unfocusable;
    std::optional<F> to;
  } cases[] = {
      {F::None, true, {}, F::Choices},           {F::None, false, {}, F::Link},
      {F::Choices, true, {}, F::Repeat},         {F::Choices, true, {F::Repeat}, F::File},
      {F::Choices, true, {F::Repeat, F::File}, F::Set},
      {F::Set, false, {F::Repeat, F::File}, F::Choices},
      {F::Link, true, {}, F::Choices},           {F::Choices, false, {}, F::Link},
      {F::Repeat, true, {F::Repeat}, F::File},   // disabled while it had the focus
      {F::Cancel, false, {F::Set}, F::File},
      {F::Set, true, {F::Choices, F::Repeat, F::File, F::Set, F::Cancel, F::Link}, std::nullopt},
  };
  for (const auto& c : cases) {
    const auto to = nextStop(c.from, c.forward, [&](F s) { return c.unfocusable.count(s) == 0; });
    EXPECT_EQ(to, c.to) << "from " << static_cast<int>(c.from) << (c.forward ? " forward" : " back");
  }
}

TEST(NextChoice, WalksCdNoneFileAsOnScreenAndWrapsRound) {
  const struct {
    int kind;
    bool forward;
    int next;
  } cases[] = {{1, true, 0}, {0, true, 2}, {2, true, 1},  {1, false, 2},
               {0, false, 1}, {2, false, 0}, {5, true, 1}, {-1, false, 2}};
  for (const auto& c : cases) EXPECT_EQ(nextChoice(c.kind, c.forward), c.next) << c.kind << " " << c.forward;
}

// The dialog's window as the keyboard sees it: the focus at one stop, a list that may be open.
struct RecordingKeys : RecordingDialog, DialogFocusPort {
  FocusStop at = FocusStop::None;
  bool listOpen = false;
  FocusStop focusedStop() override { return at; }
  bool canFocus(FocusStop) override { return true; }
  void focus(FocusStop stop) override { note(std::wstring(L"focus ") + stopName(at = stop)); }
  bool repeatListOpen() override { return listOpen; }
  void openLink() override { note(L"link"); }
};

// A key does what its click or press does, on the same steps; or it goes on to the control.
TEST(DialogKeyboard, EachKeyDoesWhatItsClickOrPressDoesWhereTheFocusIs) {
  using F = FocusStop;
  using K = DialogKey;
  enum class Effect { Pass, Focus, Choose, Confirm, Cancel, Link };
  const struct {
    K key;
    F at;
    bool listOpen;
    Effect effect;
    int detail;  // the stop focused, or the choice made
  } cases[] = {
      {K::Tab, F::None, false, Effect::Focus, static_cast<int>(F::Choices)},
      {K::ShiftTab, F::Choices, false, Effect::Focus, static_cast<int>(F::Link)},
      {K::Tab, F::Repeat, true, Effect::Focus, static_cast<int>(F::File)},
      {K::Down, F::Choices, false, Effect::Choose, 2},  // from none (kind 0)
      {K::Right, F::Choices, false, Effect::Choose, 2},
      {K::Up, F::Choices, false, Effect::Choose, 1},
      {K::Left, F::Choices, false, Effect::Choose, 1},
      {K::Return, F::None, false, Effect::Confirm, 0},
      {K::Return, F::Cancel, false, Effect::Confirm, 0},  // a focused button too: Space clicks it
      {K::Return, F::Repeat, false, Effect::Confirm, 0},
      {K::Return, F::Repeat, true, Effect::Pass, 0},  // the open list takes its choice
      {K::Escape, F::Repeat, true, Effect::Pass, 0},  // and closes
      {K::Escape, F::Repeat, false, Effect::Cancel, 0},
      {K::Return, F::Link, false, Effect::Link, 0},
      {K::Down, F::Repeat, false, Effect::Pass, 0},  // the box's own entries
      {K::Up, F::None, false, Effect::Pass, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.key)) + " at " + std::to_string(static_cast<int>(c.at)) +
                 (c.listOpen ? " list open" : ""));
    setVariables(0, 0, L"");
    RecordingKeys port;
    port.at = c.at;
    port.listOpen = c.listOpen;
    DialogSteps steps(port, port);
    const bool used = DialogKeyboard(port, steps).key(c.key);
    EXPECT_EQ(used, c.effect != Effect::Pass);
    const Log byKey = port.log;

    setVariables(0, 0, L"");
    RecordingDialog clicked;
    DialogSteps clickSteps(clicked, clicked);
    Log want;
    switch (c.effect) {
      case Effect::Pass: break;
      case Effect::Focus: want = {std::wstring(L"focus ") + stopName(static_cast<F>(c.detail))}; break;
      case Effect::Choose: clickSteps.chooseKind(c.detail), want = clicked.log; break;
      case Effect::Confirm: clickSteps.confirm(), want = clicked.log; break;
      case Effect::Cancel: clickSteps.cancel(), want = clicked.log; break;
      case Effect::Link: want = {L"link"}; break;
    }
    EXPECT_EQ(byKey, want);
  }
}

}  // namespace
}  // namespace settings_dialog
