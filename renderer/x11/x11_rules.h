// Where the Linux program `pomarel` draws and what it reports, read from its command line and
// from $XSCREENSAVER_WINDOW as XScreenSaver hands them to its modules. Platform-free (no
// Xlib), so the rules build and are tested natively on their own.
#pragma once

#include <cstdint>
#include <string>

enum class DrawTarget {
  OwnWindow,    // a 1024 x 768 window titled "Pomarel"
  Fullscreen,   // a window of its own covering the screen
  Root,         // the root window
  GivenWindow,  // a window someone else created: --window-id or $XSCREENSAVER_WINDOW
};

struct X11Options {
  DrawTarget target = DrawTarget::OwnWindow;
  uint32_t windowId = 0;  // GivenWindow only
  bool showFps = false;
  bool help = false;
  std::string display;  // --display; empty means $DISPLAY
};

struct X11Arguments {
  bool ok = false;
  X11Options options;
  std::string error;  // for the user, when not ok
};

constexpr char X11Title[] = "Pomarel";
constexpr int X11Width = 1024;
constexpr int X11Height = 768;

// A window id in decimal or 0x-hex. X resource ids have 29 bits and 0 is None, so anything
// else (a sign, blanks, a suffix, an overflow) is refused.
bool parseWindowId(const char* text, uint32_t* id);

// Options take one dash or two, as XScreenSaver's own modules do. $XSCREENSAVER_WINDOW (may be
// null) overrides --root, --window and --fullscreen, since XScreenSaver starts its modules with
// --root and names its own window there; an explicit --window-id overrides it.
X11Arguments parseX11Arguments(int argc, const char* const* argv, const char* screensaverWindow);

extern const char X11Usage[];
