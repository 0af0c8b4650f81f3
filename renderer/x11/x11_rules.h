// Where the Linux program `pomarel` draws and what it reports, read from its command line and
// from $XSCREENSAVER_WINDOW as XScreenSaver hands them to its modules, and what GLX's extension
// list and X's errors mean to it. Platform-free (no Xlib), so the rules build and are tested
// natively on their own.
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
  uint32_t delayMicros = 0;  // --delay: the least time from one frame's start to the next
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

// A window id in decimal or 0x-hex. X resource ids have 29 bits and 0 is None, so anything
// else (a sign, blanks, a suffix, an overflow) is refused.
bool parseWindowId(const char* text, uint32_t* id);

// Options take one dash or two, as XScreenSaver's own modules do. A window handed over
// overrides --root, --window and --fullscreen: XScreenSaver starts its modules with --root and
// names its own window in $XSCREENSAVER_WINDOW (may be null), and its settings tool previews a
// module by appending --window-id to that same command line. An explicit --window-id overrides
// the variable.
X11Arguments parseX11Arguments(int argc, const char* const* argv, const char* screensaverWindow);

// --delay is XScreenSaver's conventional frame delay in microseconds; up to 10 s is taken.
constexpr uint32_t LongestDelayMicros = 10000000;

// The frame period in microseconds: never shorter than one refresh of the display, whose rate
// is numerator / denominator Hz as GLX reports it (0 / 0 when it cannot tell; a rate outside
// 20 to 1000 Hz is taken as unknown, and unknown as 60 Hz), nor than --delay.
uint32_t framePeriodMicros(uint32_t delayMicros, int64_t rateNumerator, int64_t rateDenominator);

// When the next frame may start, on the monotonic clock in microseconds. Frames keep a steady
// cadence of one period, so that a wake-up a little late does not lower the rate; a frame late
// by a whole period or more (a slow machine, a window unmapped for a while) starts a new
// cadence from itself rather than catching up with a burst.
struct FramePacer {
  uint32_t periodMicros = 0;
  uint64_t dueMicros = 0;  // 0: the first frame is due at once
  void frameStarted(uint64_t nowMicros);
};

// Why the display `name` (as Xlib resolves --display or $DISPLAY) could not be opened: an
// empty name means none was given at all, which Xlib would report as display "".
std::string displayRefusal(const std::string& name);

extern const char X11Usage[];

// Whether `name` is in `list`, GLX's extension names separated by blanks (null: none), as a
// whole name: "GLX_EXT_swap_control" is not in "GLX_EXT_swap_control_tear".
bool hasExtension(const char* list, const char* name);

// X protocol error codes (X.h), and GLX's, which count from the error base the server gives the
// extension (glxproto.h, not shipped by Debian's -dev packages).
constexpr int XBadWindow = 3;
constexpr int XBadDrawable = 9;
constexpr int GLXBadDrawableError = 2;
constexpr int GLXBadCurrentDrawableError = 11;
constexpr int GLXBadWindowError = 12;

// Xlib's default handler ends the process. A window handed over by XScreenSaver may be
// destroyed under us at any time, and the swaps and the context release that follow report it
// as errors on that window: those mean "gone", the normal end of a module, and so does anything
// after it. Any other error would recur every frame (a window that cannot be drawn on floods
// stderr with the same error), so it is told once and ends the program with exit code 1.
enum class XErrorMeaning { WindowGone, Quiet, Report };

struct XErrorContext {
  uint64_t givenWindow = 0;  // the window handed over; 0 when the program draws on its own
  int glxErrorBase = 0;      // as glXQueryExtension gives it
  bool windowGone = false;   // already known
  bool reported = false;     // an error was already told
};

// An error of `code` (XErrorEvent::error_code) on `resource` (its resourceid).
XErrorMeaning classifyXError(int code, uint64_t resource, const XErrorContext& context);
