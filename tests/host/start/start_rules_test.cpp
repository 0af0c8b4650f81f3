// The start routine's rules: mode letters (the shared rule of common/text_rules, checked here
// with the modes they choose), the preview handle read from the argument text,
// PreviewRect, and the order of the start steps for each mode, against a recording port.
#include "host/start/start_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "common/text_rules.h"

namespace start {

namespace {


TEST(StartMode, SecondCharacterUpperCasedDecides) {
  const struct {
    const wchar_t* arguments;
    wchar_t letter;
    StartMode mode;
  } cases[] = {
      {L"", L'\0', StartMode::SaverWithoutSwitch}, {L"/", L'\0', StartMode::Quit},
      {L"/s", L'S', StartMode::Saver},             {L"/S", L'S', StartMode::Saver},
      {L"-s", L'S', StartMode::Saver},             {L"xs", L'S', StartMode::Saver},
      {L"/p 1234", L'P', StartMode::Preview},      {L"/P:1234", L'P', StartMode::Preview},
      {L"/c:1234", L'C', StartMode::Settings},     {L"/C", L'C', StartMode::Settings},
      {L"/a", L'A', StartMode::Quit},              {L"/x", L'X', StartMode::Quit},
      {L"s", L'\0', StartMode::Quit},              {L"/screensaver", L'S', StartMode::Saver},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text::modeLetter(c.arguments), c.letter) << c.arguments;
    EXPECT_EQ(startModeFor(c.arguments), c.mode) << c.arguments;
  }
}

TEST(LeadingNumber, ReadsAsFarAsTheNumberGoes) {
  const struct {
    const wchar_t* text;
    double value;
  } cases[] = {
      {L"1234", 1234},   {L"   42abc", 42}, {L"\t9", 9},       {L"abc", 0},      {L"", 0},
      {L"-5", -5},       {L"+7", 7},        {L"12.5x", 12.5},  {L".5", 0.5},     {L"1e3", 1000},
      {L"2E+2z", 200},   {L"12e", 12},      {L"12e-", 12},     {L"1 2", 1},      {L"-", 0},
      {L".", 0},         {L"0x1F", 0},      {L"007", 7},       {L"3-4", 3},      {L" - 5", 0},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(readLeadingNumber(c.text), c.value) << c.text;
}

TEST(PreviewHandle, FromTheFourthCharacterRoundedToThirtyTwoBits) {
  const struct {
    const wchar_t* arguments;
    bool fits;
    uint32_t bits;
  } cases[] = {
      {L"/p 1234", true, 1234},
      {L"/P:1234", true, 1234},
      {L"/p1234", true, 234},  // the fourth character is the first one read
      {L"/p", true, 0},
      {L"/p ", true, 0},
      {L"/p    77 trailing", true, 77},
      {L"/p junk", true, 0},
      {L"/p 12.5", true, 12},  // halves go to the even neighbour
      {L"/p 13.5", true, 14},
      {L"/p 12.51", true, 13},
      {L"/p -1", true, 0xFFFFFFFFu},
      {L"/p 2147483647", true, 0x7FFFFFFFu},
      {L"/p -2147483648", true, 0x80000000u},
      {L"/p 4294967295", true, 0xFFFFFFFFu},
      {L"/p 4294967296", false, 0},
      {L"/p -2147483649", false, 0},
      {L"/p 99999999999999999999999", false, 0},
      {L"/p 1e300", false, 0},
      {L"/p 1e999", false, 0},  // infinity
  };
  for (const auto& c : cases) {
    const auto handle = previewHandle(c.arguments);
    EXPECT_EQ(handle.has_value(), c.fits) << c.arguments;
    if (handle && c.fits) {
      EXPECT_EQ(*handle, c.bits) << c.arguments;
    }
  }
}

TEST(PreviewRect, TwipsOfThePaneWithoutSixteenBitLimit) {
  const struct {
    int32_t width, height;
    int perX, perY;
    int32_t twipsWidth, twipsHeight;
  } cases[] = {
      {152, 112, 15, 15, 2280, 1680},
      {152, 112, 12, 12, 1824, 1344},  // 120 dpi
      {2184, 100, 15, 15, 32760, 1500},
      {2185, 1600, 15, 15, 32775, 24000},  // past 16 bits: still exact
      {3840, 2160, 15, 15, 57600, 32400},
      {0, 0, 15, 15, 0, 0},
      {-20, 10, 15, 15, 0, 150},  // a rectangle upside down is no size at all
      {200, 100, 0, 0, 200, 100},  // no density known: one twip per pixel
      {INT32_MAX, 1, 15, 15, INT32_MAX, 15},
  };
  for (const auto& c : cases) {
    const PreviewRectTwips rect = previewRectFor(c.width, c.height, c.perX, c.perY);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.width, c.twipsWidth) << c.width;
    EXPECT_EQ(rect.height, c.twipsHeight) << c.height;
    if (c.width >= 0 && c.width < 100000 && c.perX > 0) {
      EXPECT_EQ(twipsToPixels(rect.width, c.perX), c.width);
    }
  }
}

// Records every step the start routine takes, in order.
class RecordingStart : public StartPort {
 public:
  std::set<std::string> windows;  // titles that exist
  std::set<uint32_t> panes;       // handles that are windows
  int32_t paneWidth = 152, paneHeight = 112;
  int perPixel = 15;
  bool sessionLoads = true;
  bool lockFree = true;
  std::vector<std::string> log;
  std::vector<std::string> locks;  // lock steps, each with the number of steps before it

  bool lockInstance() override {
    locks.push_back("lock@" + std::to_string(log.size()));
    return lockFree;
  }
  void unlockInstance() override { locks.push_back("unlock@" + std::to_string(log.size())); }

  bool windowExists(const char* title) override {
    log.push_back(std::string("find ") + title);
    return windows.count(title) != 0;
  }
  void loadSettings() override { log.push_back("settings"); }
  void showSettingsDialog() override { log.push_back("dialog"); }
  void hideCursor() override { log.push_back("hide cursor"); }
  bool loadSession() override {
    log.push_back("session");
    return sessionLoads;
  }
  bool isWindow(uint32_t handle) override {
    log.push_back("is window " + std::to_string(handle));
    return panes.count(handle) != 0;
  }
  void paneSize(uint32_t handle, int32_t& width, int32_t& height) override {
    log.push_back("pane size");
    width = paneWidth;
    height = paneHeight;
  }
  int twipsPerPixelX() override { return perPixel; }
  int twipsPerPixelY() override { return perPixel; }
  bool createPreview() override {
    log.push_back("create preview");
    return true;
  }
  void addChildStyle() override { log.push_back("child style"); }
  void setPreviewParent(uint32_t handle) override { log.push_back("parent " + std::to_string(handle)); }
  void placePreview(int32_t width, int32_t height) override {
    log.push_back("place " + std::to_string(width) + "x" + std::to_string(height));
  }
  void sizePreviewImage(int32_t width, int32_t height) override {
    log.push_back("image " + std::to_string(width) + "x" + std::to_string(height));
  }
  void showPreview() override { log.push_back("show preview"); }
};

using Log = std::vector<std::string>;
const Log InstanceTest = {"find Swirlbloom_Main", "find <Pomarel>"};

Log join(Log head, const Log& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

TEST(StartRoutine, EachModeTakesItsSteps) {
  const Log embed = {"pane size", "create preview", "child style", "parent 1234", "place 152x112",
                     "image 152x112", "show preview"};
  const struct {
    const wchar_t* arguments;
    AfterStart after;
    Log steps;
  } cases[] = {
      {L"/s", AfterStart::RunSession, join(InstanceTest, {"settings", "hide cursor", "session"})},
      {L"-S", AfterStart::RunSession, join(InstanceTest, {"settings", "hide cursor", "session"})},
      {L"", AfterStart::RunSession, join(InstanceTest, {"settings", "session"})},
      {L"/c:1234", AfterStart::End, join(InstanceTest, {"settings", "dialog"})},
      {L"/c", AfterStart::End, join(InstanceTest, {"settings", "dialog"})},
      {L"/a", AfterStart::End, join(InstanceTest, {"settings"})},
      {L"/x", AfterStart::End, join(InstanceTest, {"settings"})},
      {L"/", AfterStart::End, join(InstanceTest, {"settings"})},
      {L"/p 1234", AfterStart::RunPreview, join(InstanceTest, join({"is window 1234"}, embed))},
      {L"/P:1234", AfterStart::RunPreview, join(InstanceTest, join({"is window 1234"}, embed))},
      {L"/p11234", AfterStart::RunPreview, join(InstanceTest, join({"is window 1234"}, embed))},
      // Handles that name no window end the preview quietly, before anything is created.
      {L"/p 999", AfterStart::End, join(InstanceTest, {"is window 999"})},
      {L"/p", AfterStart::End, InstanceTest},
      {L"/p 0", AfterStart::End, InstanceTest},
      {L"/p 99999999999", AfterStart::End, InstanceTest},
  };
  for (const auto& c : cases) {
    RecordingStart port;
    port.panes = {1234};
    PreviewRectTwips rect;
    EXPECT_EQ(runStart(c.arguments, port, rect), c.after) << c.arguments;
    EXPECT_EQ(port.log, c.steps) << c.arguments;
  }
}

TEST(StartRoutine, AnotherInstanceEndsEveryModeBeforeAnythingElse) {
  for (const char* existing : {"Swirlbloom_Main", "<Pomarel>"}) {
    for (const wchar_t* arguments : {L"/s", L"", L"/c", L"/p 1234", L"/a"}) {
      RecordingStart port;
      port.panes = {1234};
      port.windows = {existing};
      PreviewRectTwips rect;
      EXPECT_EQ(runStart(arguments, port, rect), AfterStart::End) << arguments;
      const Log expected =
          std::string(existing) == "Swirlbloom_Main" ? Log{"find Swirlbloom_Main"} : InstanceTest;
      EXPECT_EQ(port.log, expected) << existing << " " << arguments;
    }
  }
}

// Two copies started together both pass the title test; the lock, taken before it, lets one
// through. A preview lets go at once so a session may still start beside it.
TEST(StartRoutine, InstanceLockComesFirstAndOnlyAPreviewLetsGo) {
  const struct {
    const wchar_t* arguments;
    bool lockFree;
    AfterStart after;
    std::vector<std::string> locks;
    size_t steps;
  } cases[] = {
      {L"/s", true, AfterStart::RunSession, {"lock@0"}, 5},
      {L"", true, AfterStart::RunSession, {"lock@0"}, 4},
      {L"/c", true, AfterStart::End, {"lock@0"}, 4},
      {L"/p 1234", true, AfterStart::RunPreview, {"lock@0", "unlock@2"}, 10},
      {L"/a", true, AfterStart::End, {}, 3},  // nothing to guard
      {L"/s", false, AfterStart::End, {"lock@0"}, 0},
      {L"", false, AfterStart::End, {"lock@0"}, 0},
      {L"/c:99", false, AfterStart::End, {"lock@0"}, 0},
      {L"/p 1234", false, AfterStart::End, {"lock@0"}, 0},
  };
  for (const auto& c : cases) {
    RecordingStart port;
    port.panes = {1234};
    port.lockFree = c.lockFree;
    PreviewRectTwips rect;
    EXPECT_EQ(runStart(c.arguments, port, rect), c.after) << c.arguments;
    EXPECT_EQ(port.locks, c.locks) << c.arguments;
    EXPECT_EQ(port.log.size(), c.steps) << c.arguments;
  }
}

TEST(StartRoutine, PreviewRectCoversLargePanesAtTheScreenDensity) {
  const struct {
    int32_t width, height;
    int perPixel;
    std::string place;
  } cases[] = {
      {152, 112, 15, "place 152x112"},
      {152, 112, 12, "place 152x112"},
      {2500, 1800, 15, "place 2500x1800"},  // 37500 twips wide
  };
  for (const auto& c : cases) {
    RecordingStart port;
    port.panes = {77};
    port.paneWidth = c.width;
    port.paneHeight = c.height;
    port.perPixel = c.perPixel;
    PreviewRectTwips rect;
    ASSERT_EQ(runStart(L"/p 77", port, rect), AfterStart::RunPreview);
    EXPECT_EQ(rect.width, c.width * c.perPixel);
    EXPECT_EQ(rect.height, c.height * c.perPixel);
    EXPECT_NE(std::find(port.log.begin(), port.log.end(), c.place), port.log.end()) << c.place;
  }
}

TEST(StartRoutine, SessionThatCannotBeCreatedEndsTheProgram) {
  RecordingStart port;
  port.sessionLoads = false;
  PreviewRectTwips rect;
  EXPECT_EQ(runStart(L"/s", port, rect), AfterStart::End);
}

}  // namespace

}  // namespace start
