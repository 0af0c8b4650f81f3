// Where `pomarel` draws, from its command line and $XSCREENSAVER_WINDOW: the targets and
// their precedence, window ids in decimal and hex with their limits, and the refusals.
#include "renderer/x11/x11_rules.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr DrawTarget Own = DrawTarget::OwnWindow;
constexpr DrawTarget Full = DrawTarget::Fullscreen;
constexpr DrawTarget Root = DrawTarget::Root;
constexpr DrawTarget Given = DrawTarget::GivenWindow;

TEST(X11Arguments, TargetWindowIdAndRefusals) {
  const struct {
    const char* args;  // split at blanks
    const char* env;   // $XSCREENSAVER_WINDOW, null when unset
    bool ok;
    DrawTarget target;
    uint32_t id;
    uint32_t delay;
    bool fps;
    bool help;
    const char* display;
    const char* error;  // a part the message must name, for refusals
  } cases[] = {
      {"", nullptr, true, Own, 0, 0, false, false, "", ""},
      {"--window", nullptr, true, Own, 0, 0, false, false, "", ""},
      {"-root", nullptr, true, Root, 0, 0, false, false, "", ""},
      {"--root --root", nullptr, true, Root, 0, 0, false, false, "", ""},
      {"--fullscreen --fps", nullptr, true, Full, 0, 0, true, false, "", ""},
      {"-fps -display :3", nullptr, true, Own, 0, 0, true, false, ":3", ""},
      // XScreenSaver starts its modules with --root and names its own window in the variable.
      {"--root", "0x1C00007", true, Given, 0x1C00007, 0, false, false, "", ""},
      {"--fullscreen", "4242", true, Given, 4242, 0, false, false, "", ""},
      {"--root", "", true, Root, 0, 0, false, false, "", ""},
      {"--window-id 0x2a", nullptr, true, Given, 42, 0, false, false, "", ""},
      {"-window-id 12345", "0x2a", true, Given, 12345, 0, false, false, "", ""},
      {"--window-id 5", "garbage", true, Given, 5, 0, false, false, "", ""},
      {"--window-id 0X1fffffff", nullptr, true, Given, 0x1FFFFFFF, 0, false, false, "", ""},
      {"--window-id 007", nullptr, true, Given, 7, 0, false, false, "", ""},
      // XScreenSaver's settings tool previews by appending --window-id to the module's line.
      {"--root --window-id 0x4075A4", nullptr, true, Given, 0x4075A4, 0, false, false, "", ""},
      {"-root -window-id 0x4075A4 -fps", "9", true, Given, 0x4075A4, 0, true, false, "", ""},
      {"-window-id 0x2a -window -window-id 42", nullptr, true, Given, 42, 0, false, false, "", ""},
      {"-delay 20000 -fps", nullptr, true, Own, 0, 20000, true, false, "", ""},
      {"--delay 0 --delay 10000000", nullptr, true, Own, 0, 10000000, false, false, "", ""},
      {"--help --bogus", nullptr, true, Own, 0, 0, false, true, "", ""},
      {"--window-id 0x20000000", nullptr, false, Own, 0, 0, false, false, "", "0x20000000"},
      {"--window-id 99999999999999999999", nullptr, false, Own, 0, 0, false, false, "", "9999"},
      {"--window-id 0", nullptr, false, Own, 0, 0, false, false, "", "'0'"},
      {"--window-id 0x", nullptr, false, Own, 0, 0, false, false, "", "'0x'"},
      {"--window-id -5", nullptr, false, Own, 0, 0, false, false, "", "'-5'"},
      {"--window-id 12ab", nullptr, false, Own, 0, 0, false, false, "", "'12ab'"},
      {"--window-id 0x2g", nullptr, false, Own, 0, 0, false, false, "", "'0x2g'"},
      {"--window-id", nullptr, false, Own, 0, 0, false, false, "", "--window-id"},
      {"--display", nullptr, false, Own, 0, 0, false, false, "", "--display"},
      {"--delay", nullptr, false, Own, 0, 0, false, false, "", "--delay needs"},
      {"--delay 10000001", nullptr, false, Own, 0, 0, false, false, "", "'10000001'"},
      {"--delay -1", nullptr, false, Own, 0, 0, false, false, "", "'-1'"},
      {"--delay 0x10", nullptr, false, Own, 0, 0, false, false, "", "'0x10'"},
      {"--delay 1.5", nullptr, false, Own, 0, 0, false, false, "", "'1.5'"},
      {"--window-id 1 --window-id 2", nullptr, false, Own, 0, 0, false, false, "", "two different"},
      {"--root --window", "0x2a", false, Own, 0, 0, false, false, "", "choose one"},
      {"--fullscreen --window", nullptr, false, Own, 0, 0, false, false, "", "choose one"},
      {"--fps", "garbage", false, Own, 0, 0, false, false, "", "XSCREENSAVER_WINDOW: 'garbage'"},
      {"--fps", " 42", false, Own, 0, 0, false, false, "", "' 42'"},
      {"--speed 3", nullptr, false, Own, 0, 0, false, false, "", "'--speed'"},
      {"confetti", nullptr, false, Own, 0, 0, false, false, "", "'confetti'"},
      {"-", nullptr, false, Own, 0, 0, false, false, "", "'-'"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> words{"pomarel"};
    std::istringstream split(c.args);
    for (std::string word; split >> word;) words.push_back(word);
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());

    const X11Arguments got = parseX11Arguments(static_cast<int>(argv.size()), argv.data(), c.env);
    const std::string row = std::string(c.args) + " | " + (c.env ? c.env : "(unset)");
    ASSERT_EQ(got.ok, c.ok) << row << ": " << got.error;
    if (!c.ok) {
      EXPECT_NE(got.error.find(c.error), std::string::npos) << row << ": " << got.error;
      continue;
    }
    EXPECT_EQ(got.options.help, c.help) << row;
    if (c.help) continue;
    EXPECT_EQ(got.options.target, c.target) << row;
    EXPECT_EQ(got.options.windowId, c.id) << row;
    EXPECT_EQ(got.options.delayMicros, c.delay) << row;
    EXPECT_EQ(got.options.showFps, c.fps) << row;
    EXPECT_EQ(got.options.display, c.display) << row;
  }
}

// The period never undercuts one refresh (60 Hz when GLX cannot tell or tells nonsense) nor
// --delay.
TEST(X11Pacing, FramePeriod) {
  const struct {
    uint32_t delay;
    int64_t numerator, denominator;
    uint32_t period;
  } cases[] = {
      {0, 0, 0, 16667},     {0, 60, 1, 16667},     {0, 60000, 1001, 16683},
      {0, 144, 1, 6944},    {0, 1, 0, 16667},      {0, -60, -1, 16667},
      {0, 5, 1, 16667},     {0, 100000, 1, 16667}, {20000, 0, 0, 20000},
      {10000, 60, 1, 16667}, {30000, 144, 1, 30000}, {10000000, 75, 1, 10000000},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(framePeriodMicros(c.delay, c.numerator, c.denominator), c.period)
        << c.delay << " us at " << c.numerator << "/" << c.denominator << " Hz";
  }
}

// A steady cadence: the next frame is due one period after the last one was due, whatever the
// wake-up's lateness, until a frame is a whole period late; then the cadence starts anew.
TEST(X11Pacing, NextFrameDue) {
  const struct {
    uint64_t due, now, next;
  } cases[] = {
      {0, 5000000, 5010000},        // the first frame
      {5010000, 5010000, 5020000},  // on time
      {5010000, 5013000, 5020000},  // woken 3 ms late: the cadence holds
      {5010000, 5019999, 5020000},
      {5010000, 5020000, 5030000},  // a whole period late: no burst to catch up
      {5010000, 9000000, 9010000},  // after a long pause (unmapped)
  };
  for (const auto& c : cases) {
    FramePacer pacer{10000, c.due};
    pacer.frameStarted(c.now);
    EXPECT_EQ(pacer.dueMicros, c.next) << "due " << c.due << ", started " << c.now;
  }
}

}  // namespace
