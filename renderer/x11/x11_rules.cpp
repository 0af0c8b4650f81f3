// Command-line and environment rules of the Linux program, and what its GLX extensions and X
// errors mean. Depends on the C++ library only.
#include "renderer/x11/x11_rules.h"

#include <cmath>
#include <cstring>

const char X11Usage[] =
    "usage: pomarel [--window | --fullscreen | --root] [--window-id ID] [--fps]\n"
    "               [--delay MICROSECONDS] [--display NAME]\n"
    "Three-dimensional paper confetti. Draws in a window of its own (Escape ends it), on\n"
    "the whole screen, on the root window, or in the window named by --window-id or by\n"
    "$XSCREENSAVER_WINDOW (decimal or 0x-hex), as a module of XScreenSaver.\n"
    "  --fps     report frames per second on standard error\n"
    "  --delay   at least this long from one frame to the next (default 0: as often as\n"
    "            the display refreshes, 60 times a second where that is unknown)\n";

namespace {

constexpr uint32_t LargestResourceId = 0x1FFFFFFF;

int digitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return v < base ? v : -1;
}

bool parseDelay(const char* text, uint32_t* micros) {
  if (*text == '\0') return false;
  uint64_t value = 0;
  for (; *text; ++text) {
    const int d = digitValue(*text, 10);
    if (d < 0) return false;
    value = value * 10u + static_cast<uint64_t>(d);
    if (value > LongestDelayMicros) return false;
  }
  *micros = static_cast<uint32_t>(value);
  return true;
}

// "--name" and "-name" both give "name"; anything else gives null.
const char* optionName(const char* arg) {
  if (arg[0] != '-') return nullptr;
  return arg[1] == '-' ? arg + 2 : arg + 1;
}

}  // namespace

bool parseWindowId(const char* text, uint32_t* id) {
  if (!text) return false;
  int base = 10;
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text += 2;
  }
  if (*text == '\0') return false;
  uint64_t value = 0;
  for (; *text; ++text) {
    const int d = digitValue(*text, base);
    if (d < 0) return false;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    if (value > LargestResourceId) return false;
  }
  if (value == 0) return false;
  *id = static_cast<uint32_t>(value);
  return true;
}

X11Arguments parseX11Arguments(int argc, const char* const* argv, const char* screensaverWindow) {
  X11Arguments result;
  X11Options& o = result.options;
  bool placeGiven = false;
  DrawTarget place = DrawTarget::OwnWindow;
  uint32_t givenId = 0;
  auto fail = [&result](const std::string& why) {
    result.ok = false;
    result.error = why;
    return result;
  };

  for (int i = 1; i < argc; ++i) {
    const char* name = optionName(argv[i]);
    if (!name) return fail(std::string("unexpected argument '") + argv[i] + "'");
    const bool hasValue = i + 1 < argc;
    DrawTarget chosen = DrawTarget::GivenWindow;  // none of the three places
    if (!std::strcmp(name, "help") || !std::strcmp(name, "h")) {
      o.help = true;
      result.ok = true;
      return result;
    } else if (!std::strcmp(name, "fps")) {
      o.showFps = true;
    } else if (!std::strcmp(name, "window")) {
      chosen = DrawTarget::OwnWindow;
    } else if (!std::strcmp(name, "fullscreen")) {
      chosen = DrawTarget::Fullscreen;
    } else if (!std::strcmp(name, "root")) {
      chosen = DrawTarget::Root;
    } else if (!std::strcmp(name, "window-id")) {
      uint32_t id = 0;
      if (!hasValue) return fail("--window-id needs a window id");
      if (!parseWindowId(argv[++i], &id)) {
        return fail(std::string("--window-id: '") + argv[i] + "' is not a window id");
      }
      if (givenId && givenId != id) return fail("--window-id names two different windows");
      givenId = id;
    } else if (!std::strcmp(name, "delay")) {
      if (!hasValue) return fail("--delay needs a number of microseconds");
      if (!parseDelay(argv[++i], &o.delayMicros)) {
        return fail(std::string("--delay: '") + argv[i] +
                    "' is not a number of microseconds from 0 to 10000000");
      }
    } else if (!std::strcmp(name, "display")) {
      if (!hasValue) return fail("--display needs a display name");
      o.display = argv[++i];
    } else {
      return fail(std::string("unknown option '") + argv[i] + "'");
    }
    if (chosen != DrawTarget::GivenWindow) {
      if (placeGiven && place != chosen) {
        return fail("choose one of --window, --fullscreen and --root");
      }
      placeGiven = true;
      place = chosen;
    }
  }

  o.target = place;
  if (givenId) {
    o.target = DrawTarget::GivenWindow;
    o.windowId = givenId;
  } else if (screensaverWindow && *screensaverWindow) {
    if (!parseWindowId(screensaverWindow, &o.windowId)) {
      return fail(std::string("XSCREENSAVER_WINDOW: '") + screensaverWindow +
                  "' is not a window id");
    }
    o.target = DrawTarget::GivenWindow;
  }
  result.ok = true;
  return result;
}

std::string displayRefusal(const std::string& name) {
  if (name.empty()) return "no display is set: set DISPLAY or give --display";
  return "cannot open display \"" + name + "\"";
}

uint32_t framePeriodMicros(uint32_t delayMicros, int64_t rateNumerator, int64_t rateDenominator) {
  double hertz = 60.0;
  if (rateNumerator > 0 && rateDenominator > 0) {
    const double reported =
        static_cast<double>(rateNumerator) / static_cast<double>(rateDenominator);
    if (reported >= 20.0 && reported <= 1000.0) hertz = reported;
  }
  const auto refresh = static_cast<uint32_t>(std::lround(1e6 / hertz));
  return delayMicros > refresh ? delayMicros : refresh;
}

void FramePacer::frameStarted(uint64_t nowMicros) {
  if (dueMicros == 0 || nowMicros >= dueMicros + periodMicros) {
    dueMicros = nowMicros + periodMicros;
  } else {
    dueMicros += periodMicros;
  }
}

bool hasExtension(const char* list, const char* name) {
  const size_t n = std::strlen(name);
  for (const char* p = list; p && (p = std::strstr(p, name)) != nullptr; p += n) {
    const bool starts = p == list || p[-1] == ' ';
    if (starts && (p[n] == ' ' || p[n] == '\0')) return true;
  }
  return false;
}

XErrorMeaning classifyXError(int code, uint64_t resource, const XErrorContext& context) {
  const int glx = context.glxErrorBase;
  const bool badWindow = code == XBadWindow || code == XBadDrawable ||
                         code == glx + GLXBadDrawableError ||
                         code == glx + GLXBadCurrentDrawableError ||
                         code == glx + GLXBadWindowError;
  if (badWindow && context.givenWindow && resource == context.givenWindow) {
    return XErrorMeaning::WindowGone;
  }
  if (context.windowGone || context.reported) return XErrorMeaning::Quiet;
  return XErrorMeaning::Report;
}
