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
    bool fps;
    bool help;
    const char* display;
    const char* error;  // a part the message must name, for refusals
  } cases[] = {
      {"", nullptr, true, Own, 0, false, false, "", ""},
      {"--window", nullptr, true, Own, 0, false, false, "", ""},
      {"-root", nullptr, true, Root, 0, false, false, "", ""},
      {"--root --root", nullptr, true, Root, 0, false, false, "", ""},
      {"--fullscreen --fps", nullptr, true, Full, 0, true, false, "", ""},
      {"-fps -display :3", nullptr, true, Own, 0, true, false, ":3", ""},
      // XScreenSaver starts its modules with --root and names its own window in the variable.
      {"--root", "0x1C00007", true, Given, 0x1C00007, false, false, "", ""},
      {"--fullscreen", "4242", true, Given, 4242, false, false, "", ""},
      {"--root", "", true, Root, 0, false, false, "", ""},
      {"--window-id 0x2a", nullptr, true, Given, 42, false, false, "", ""},
      {"-window-id 12345", "0x2a", true, Given, 12345, false, false, "", ""},
      {"--window-id 5", "garbage", true, Given, 5, false, false, "", ""},
      {"--window-id 0X1fffffff", nullptr, true, Given, 0x1FFFFFFF, false, false, "", ""},
      {"--window-id 007", nullptr, true, Given, 7, false, false, "", ""},
      {"--help --bogus", nullptr, true, Own, 0, false, true, "", ""},
      {"--window-id 0x20000000", nullptr, false, Own, 0, false, false, "", "0x20000000"},
      {"--window-id 99999999999999999999", nullptr, false, Own, 0, false, false, "", "9999"},
      {"--window-id 0", nullptr, false, Own, 0, false, false, "", "'0'"},
      {"--window-id 0x", nullptr, false, Own, 0, false, false, "", "'0x'"},
      {"--window-id -5", nullptr, false, Own, 0, false, false, "", "'-5'"},
      {"--window-id 12ab", nullptr, false, Own, 0, false, false, "", "'12ab'"},
      {"--window-id 0x2g", nullptr, false, Own, 0, false, false, "", "'0x2g'"},
      {"--window-id", nullptr, false, Own, 0, false, false, "", "--window-id"},
      {"--display", nullptr, false, Own, 0, false, false, "", "--display"},
      {"--window-id 0x2a --root", nullptr, false, Own, 0, false, false, "", "choose one"},
      {"--window-id 1 --window-id 2", nullptr, false, Own, 0, false, false, "", "choose one"},
      {"--fullscreen --window", nullptr, false, Own, 0, false, false, "", "choose one"},
      {"--fps", "garbage", false, Own, 0, false, false, "", "XSCREENSAVER_WINDOW: 'garbage'"},
      {"--fps", " 42", false, Own, 0, false, false, "", "' 42'"},
      {"--speed 3", nullptr, false, Own, 0, false, false, "", "'--speed'"},
      {"confetti", nullptr, false, Own, 0, false, false, "", "'confetti'"},
      {"-", nullptr, false, Own, 0, false, false, "", "'-'"},
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
    EXPECT_EQ(got.options.showFps, c.fps) << row;
    EXPECT_EQ(got.options.display, c.display) << row;
  }
}

}  // namespace
