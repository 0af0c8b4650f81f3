// Where `pomarel` draws, from its command line and $XSCREENSAVER_WINDOW: the targets and
// their precedence, window ids in decimal and hex with their limits, and the refusals; its
// frame pacing; and what GLX's extension list and X's errors mean to it.
#include "renderer/x11/x11_rules.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr DrawTarget Full = DrawTarget::Fullscreen;
constexpr DrawTarget Root = DrawTarget::Root;
constexpr DrawTarget Given = DrawTarget::GivenWindow;

// One row: a command line (split at blanks), $XSCREENSAVER_WINDOW (null when unset) and the
// outcome. The language is C++17, without designated initialisers, so each row names what it
// expects through setters, starting from a plain run in a window of its own.
struct Row {
  const char* args = "";
  const char* variable = nullptr;
  bool ok = true;
  X11Options want;
  const char* error = "";  // a part the message must name, for refusals

  Row& env(const char* value) { variable = value; return *this; }
  Row& target(DrawTarget t) { want.target = t; return *this; }
  Row& window(uint32_t id) { want.target = Given; want.windowId = id; return *this; }
  Row& delay(uint32_t micros) { want.delayMicros = micros; return *this; }
  Row& fps() { want.showFps = true; return *this; }
  Row& help() { want.help = true; return *this; }
  Row& display(const char* name) { want.display = name; return *this; }
};
Row accepts(const char* args) {
  Row row;
  row.args = args;
  return row;
}
Row refuses(const char* args, const char* error) {
  Row row = accepts(args);
  row.ok = false;
  row.error = error;
  return row;
}

TEST(X11Arguments, TargetWindowIdAndRefusals) {
  const Row cases[] = {
      accepts(""),
      accepts("--window"),
      accepts("-root").target(Root),
      accepts("--root --root").target(Root),
      accepts("--fullscreen --fps").target(Full).fps(),
      accepts("-fps -display :3").fps().display(":3"),
      // XScreenSaver starts its modules with --root and names its own window in the variable.
      accepts("--root").env("0x1C00007").window(0x1C00007),
      accepts("--fullscreen").env("4242").window(4242),
      accepts("--root").env("").target(Root),
      accepts("--window-id 0x2a").window(42),
      accepts("-window-id 12345").env("0x2a").window(12345),
      accepts("--window-id 5").env("garbage").window(5),
      accepts("--window-id 0X1fffffff").window(0x1FFFFFFF),
      accepts("--window-id 007").window(7),
      // XScreenSaver's settings tool previews by appending --window-id to the module's line.
      accepts("--root --window-id 0x4075A4").window(0x4075A4),
      accepts("-root -window-id 0x4075A4 -fps").env("9").window(0x4075A4).fps(),
      accepts("-window-id 0x2a -window -window-id 42").window(42),
      accepts("-delay 20000 -fps").delay(20000).fps(),
      accepts("--delay 0 --delay 10000000").delay(10000000),
      accepts("--help --bogus").help(),
      refuses("--window-id 0x20000000", "0x20000000"),
      refuses("--window-id 99999999999999999999", "9999"),
      refuses("--window-id 0", "'0'"),
      refuses("--window-id 0x", "'0x'"),
      refuses("--window-id -5", "'-5'"),
      refuses("--window-id 12ab", "'12ab'"),
      refuses("--window-id 0x2g", "'0x2g'"),
      refuses("--window-id", "--window-id"),
      refuses("--display", "--display"),
      refuses("--delay", "--delay needs"),
      refuses("--delay 10000001", "'10000001'"),
      refuses("--delay -1", "'-1'"),
      refuses("--delay 0x10", "'0x10'"),
      refuses("--delay 1.5", "'1.5'"),
      refuses("--window-id 1 --window-id 2", "two different"),
      refuses("--root --window", "choose one").env("0x2a"),
      refuses("--fullscreen --window", "choose one"),
      refuses("--fps", "XSCREENSAVER_WINDOW: 'garbage'").env("garbage"),
      refuses("--fps", "' 42'").env(" 42"),
      refuses("--speed 3", "'--speed'"),
      refuses("confetti", "'confetti'"),
      refuses("-", "'-'"),
  };
  for (const auto& c : cases) {
    std::vector<std::string> words{"pomarel"};
    std::istringstream split(c.args);
    for (std::string word; split >> word;) words.push_back(word);
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());

    const X11Arguments got =
        parseX11Arguments(static_cast<int>(argv.size()), argv.data(), c.variable);
    const std::string row = std::string(c.args) + " | " + (c.variable ? c.variable : "(unset)");
    ASSERT_EQ(got.ok, c.ok) << row << ": " << got.error;
    if (!c.ok) {
      EXPECT_NE(got.error.find(c.error), std::string::npos) << row << ": " << got.error;
      continue;
    }
    EXPECT_EQ(got.options.help, c.want.help) << row;
    if (c.want.help) continue;
    EXPECT_EQ(got.options.target, c.want.target) << row;
    EXPECT_EQ(got.options.windowId, c.want.windowId) << row;
    EXPECT_EQ(got.options.delayMicros, c.want.delayMicros) << row;
    EXPECT_EQ(got.options.showFps, c.want.showFps) << row;
    EXPECT_EQ(got.options.display, c.want.display) << row;
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

// GLX lists its extensions in one string separated by blanks; only a whole name counts.
TEST(X11Glx, ExtensionNamedWhole) {
  const struct {
    const char* list;
    bool has;  // "GLX_EXT_swap_control"
  } cases[] = {
      {"GLX_EXT_swap_control", true},
      {"GLX_EXT_swap_control GLX_MESA_swap_control", true},
      {"GLX_ARB_multisample GLX_EXT_swap_control", true},
      {"GLX_EXT_swap_control_tear", false},
      {"GLX_ARB_multisample GLX_EXT_swap_control_tear", false},
      {"GLX_EXT_swap_control_tear GLX_EXT_swap_control", true},
      {"XGLX_EXT_swap_control GLX_EXT_swap", false},
      {"", false},
      {nullptr, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(hasExtension(c.list, "GLX_EXT_swap_control"), c.has) << (c.list ? c.list : "null");
  }
}

// Which X errors end a module quietly (the window handed over is gone), which are told once
// and end the program, and that nothing more is told after either.
TEST(X11Errors, WhatAnErrorMeans) {
  constexpr uint64_t Handed = 0x2a;
  constexpr int Glx = 150;  // the GLX error base the server gave
  const XErrorContext handedOver{Handed, Glx, false, false};
  const XErrorContext ownWindow{0, Glx, false, false};
  const XErrorContext afterGone{Handed, Glx, true, false};
  const XErrorContext afterReport{Handed, Glx, false, true};
  constexpr int BadValue = 2, BadMatch = 8;
  using M = XErrorMeaning;
  const struct {
    const char* what;
    int code;
    uint64_t resource;
    XErrorContext context;
    XErrorMeaning meaning;
  } cases[] = {
      {"BadWindow on the window handed over", XBadWindow, Handed, handedOver, M::WindowGone},
      {"BadDrawable on it", XBadDrawable, Handed, handedOver, M::WindowGone},
      {"GLXBadDrawable on it", Glx + 2, Handed, handedOver, M::WindowGone},
      {"GLXBadCurrentDrawable on it", Glx + 11, Handed, handedOver, M::WindowGone},
      {"GLXBadWindow on it", Glx + 12, Handed, handedOver, M::WindowGone},
      {"BadWindow on another window", XBadWindow, Handed + 1, handedOver, M::Report},
      {"BadWindow on a window that only matches in its low 32 bits", XBadWindow,
       Handed | (uint64_t{1} << 32), handedOver, M::Report},
      {"BadWindow on the program's own window", XBadWindow, Handed, ownWindow, M::Report},
      {"BadWindow on None, no window handed over", XBadWindow, 0, ownWindow, M::Report},
      {"BadValue, whose number GLX's errors reuse above their base", BadValue, Handed, handedOver,
       M::Report},
      {"BadMatch on the window handed over", BadMatch, Handed, handedOver, M::Report},
      {"any error once the window is gone", BadMatch, Handed + 1, afterGone, M::Quiet},
      {"a second error", BadMatch, Handed + 1, afterReport, M::Quiet},
      {"the window gone after an error was told", XBadWindow, Handed, afterReport, M::WindowGone},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(classifyXError(c.code, c.resource, c.context), c.meaning) << c.what;
  }
}

}  // namespace
