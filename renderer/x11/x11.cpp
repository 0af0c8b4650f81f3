// The Xlib + GLX shell: one display connection, one drawing window and one GL context, all
// module-level state like the Windows renderer's, released by closeX11Window. Depends on
// Xlib, GLX and POSIX signals; reaches the scene only through its SceneHooks.
#include "renderer/x11/x11.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iterator>

#include "renderer/counter/counter_rules.h"

uint64_t monotonicMicros() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000u +
         static_cast<uint64_t>(now.tv_nsec) / 1000u;
}

namespace {

struct Shell {
  Display* display = nullptr;
  Window window = 0;
  bool ownWindow = false;
  Colormap colormap = 0;
  Cursor blankCursor = 0;
  GLXContext context = nullptr;
  int glxErrorBase = 0;
  Atom deleteWindow = 0;
  int width = 0;
  int height = 0;
  bool mapped = false;
  bool windowGone = false;
  bool ending = false;
  SceneHooks scene;
  bool sceneStarted = false;
};

Shell shell;
// The scene's counter lives as long as the program, not as the window.
SceneCounter counter;
int (*previousErrorHandler)(Display*, XErrorEvent*) = nullptr;
// Outlives the shell's state, since errors of the release arrive while the connection closes.
bool xErrorSeen = false;

// The signals that ask a program to end (a closed terminal sends SIGHUP) set the flag and wake
// a wait on the pipe, so a signal that arrives just before poll() is not slept through; the
// loop then ends as after Escape, which restores the root window.
volatile sig_atomic_t signalled = 0;
int wakePipe[2] = {-1, -1};
constexpr int EndingSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};
struct sigaction previousActions[std::size(EndingSignals)];

void onSignal(int) {
  const int saved = errno;
  signalled = 1;
  if (wakePipe[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(wakePipe[1], &byte, 1);
  }
  errno = saved;
}

void catchSignals() {
  signalled = 0;
  if (pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) wakePipe[0] = wakePipe[1] = -1;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < std::size(EndingSignals); ++i) sigaction(EndingSignals[i], &action, &previousActions[i]);
}

void releaseSignals() {
  for (size_t i = 0; i < std::size(EndingSignals); ++i) sigaction(EndingSignals[i], &previousActions[i], nullptr);
  for (int& fd : wakePipe) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
}

void complain(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::fputs("pomarel: ", stderr);
  std::vfprintf(stderr, format, args);
  std::fputc('\n', stderr);
  va_end(args);
}

// Xlib's default handler ends the process; classifyXError says which errors end it here.
int onXError(Display* display, XErrorEvent* error) {
  const Window given = shell.ownWindow ? 0 : shell.window;
  const XErrorMeaning meaning = classifyXError(
      error->error_code, error->resourceid, {given, shell.glxErrorBase, shell.windowGone, xErrorSeen});
  if (meaning == XErrorMeaning::WindowGone) shell.windowGone = true;
  if (meaning != XErrorMeaning::Report) return 0;
  xErrorSeen = true;
  char text[160];
  XGetErrorText(display, error->error_code, text, sizeof text);
  complain("X error: %s (request %d.%d)", text, error->request_code, error->minor_code);
  return 0;
}

__GLXextFuncPtr address(const char* name) {
  return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name));
}

void setTitle(Display* d, Window w) {
  XStoreName(d, w, X11Title);
  XChangeProperty(d, w, XInternAtom(d, "_NET_WM_NAME", False),
                  XInternAtom(d, "UTF8_STRING", False), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(X11Title),
                  static_cast<int>(std::strlen(X11Title)));
  XClassHint classHint;
  char name[] = "pomarel";
  char className[] = "Pomarel";
  classHint.res_name = name;
  classHint.res_class = className;
  XSetClassHint(d, w, &classHint);
}

void hideCursor(Display* d, Window w) {
  char noBits[1] = {0};
  const Pixmap empty = XCreateBitmapFromData(d, w, noBits, 1, 1);
  XColor black;
  std::memset(&black, 0, sizeof black);
  shell.blankCursor = XCreatePixmapCursor(d, empty, empty, &black, &black, 0, 0);
  XFreePixmap(d, empty);
  XDefineCursor(d, w, shell.blankCursor);
}

// A window of our own: 1024 x 768 titled "Pomarel", or the whole screen. The display mode is
// never changed; the scene fits its view to the window's shape.
XVisualInfo* createOwnWindow(bool fullscreen) {
  Display* d = shell.display;
  const int screen = DefaultScreen(d);
  // No depth buffer: the scene never enables the depth test (pieces are painted in slot
  // order), so one would only be cleared every frame for nothing, which costs software OpenGL
  // about a sixth of its processor time at 60 frames a second.
  int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1,
                      GLX_BLUE_SIZE, 1, None};
  XVisualInfo* visual = glXChooseVisual(d, screen, attributes);
  if (!visual) {
    complain("the display offers no double-buffered OpenGL visual");
    return nullptr;
  }
  const Window root = RootWindow(d, screen);
  shell.width = fullscreen ? DisplayWidth(d, screen) : SceneWidth;
  shell.height = fullscreen ? DisplayHeight(d, screen) : SceneHeight;
  shell.colormap = XCreateColormap(d, root, visual->visual, AllocNone);
  XSetWindowAttributes wa;
  std::memset(&wa, 0, sizeof wa);
  wa.colormap = shell.colormap;
  wa.background_pixel = 0;  // black in any TrueColor visual, until the first frame
  wa.border_pixel = 0;
  wa.event_mask = StructureNotifyMask | KeyPressMask;
  shell.window = XCreateWindow(d, root, 0, 0, static_cast<unsigned>(shell.width),
                               static_cast<unsigned>(shell.height), 0, visual->depth, InputOutput,
                               visual->visual, CWColormap | CWBackPixel | CWBorderPixel | CWEventMask,
                               &wa);
  shell.ownWindow = true;
  setTitle(d, shell.window);
  XWMHints hints;
  std::memset(&hints, 0, sizeof hints);
  hints.flags = InputHint;
  hints.input = True;
  XSetWMHints(d, shell.window, &hints);
  shell.deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(d, shell.window, &shell.deleteWindow, 1);
  if (fullscreen) {
    Atom state = XInternAtom(d, "_NET_WM_STATE_FULLSCREEN", False);
    XChangeProperty(d, shell.window, XInternAtom(d, "_NET_WM_STATE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&state), 1);
    hideCursor(d, shell.window);
  }
  XMapRaised(d, shell.window);
  return visual;
}

// The root or a window someone else made: we draw with its own visual, follow its size and
// notice its end, but never change or destroy it.
XVisualInfo* adoptWindow(Window window) {
  Display* d = shell.display;
  shell.window = window;
  // Selected before the attributes are read: a window that goes after this round trip is
  // reported by DestroyNotify, one that went before it by the failed query.
  XSelectInput(d, window, StructureNotifyMask);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(d, window, &attributes)) {
    complain("there is no window 0x%lx", static_cast<unsigned long>(window));
    return nullptr;
  }
  // Mesa accepts an input-only window for GLX, and every swap then fails in the X server.
  if (attributes.c_class == InputOnly) {
    complain("window 0x%lx is input-only: there is nothing to draw on",
             static_cast<unsigned long>(window));
    return nullptr;
  }
  shell.width = attributes.width;
  shell.height = attributes.height;
  shell.mapped = attributes.map_state != IsUnmapped;
  XVisualInfo wanted;
  std::memset(&wanted, 0, sizeof wanted);
  wanted.visualid = XVisualIDFromVisual(attributes.visual);
  int count = 0;
  XVisualInfo* visual = XGetVisualInfo(d, VisualIDMask, &wanted, &count);
  int gl = 0, rgba = 0, doubleBuffer = 0;
  if (visual) {
    glXGetConfig(d, visual, GLX_USE_GL, &gl);
    glXGetConfig(d, visual, GLX_RGBA, &rgba);
    glXGetConfig(d, visual, GLX_DOUBLEBUFFER, &doubleBuffer);
  }
  if (!gl || !rgba || !doubleBuffer) {
    complain("window 0x%lx has no double-buffered OpenGL visual (visual 0x%lx)",
             static_cast<unsigned long>(window), static_cast<unsigned long>(wanted.visualid));
    if (visual) XFree(visual);
    return nullptr;
  }
  return visual;
}

void handleEvent(const XEvent& event) {
  switch (event.type) {
    case ConfigureNotify:
      if (event.xconfigure.window != shell.window) break;
      if (event.xconfigure.width != shell.width || event.xconfigure.height != shell.height) {
        shell.width = event.xconfigure.width;
        shell.height = event.xconfigure.height;
        shell.scene.resize(shell.width, shell.height);
      }
      break;
    case MapNotify:
      if (event.xmap.window == shell.window) shell.mapped = true;
      break;
    case UnmapNotify:
      if (event.xunmap.window == shell.window) shell.mapped = false;
      break;
    case DestroyNotify:
      if (event.xdestroywindow.window == shell.window) shell.windowGone = true;
      break;
    case ClientMessage:
      if (shell.ownWindow && static_cast<Atom>(event.xclient.data.l[0]) == shell.deleteWindow) {
        shell.ending = true;
      }
      break;
    case KeyPress: {
      XKeyEvent key = event.xkey;
      if (shell.ownWindow && XLookupKeysym(&key, 0) == XK_Escape) shell.ending = true;
      break;
    }
  }
}

// Sleeps until the X connection or the signal pipe has something, or until the monotonic clock
// reaches untilMicros (0: no limit); never spins.
void waitForEvents(uint64_t untilMicros) {
  pollfd fds[2] = {{ConnectionNumber(shell.display), POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
  const nfds_t count = wakePipe[0] >= 0 ? 2 : 1;
  timespec limit{};
  if (untilMicros) {
    const uint64_t now = monotonicMicros();
    const uint64_t left = untilMicros > now ? untilMicros - now : 0;
    limit.tv_sec = static_cast<time_t>(left / 1000000u);
    limit.tv_nsec = static_cast<long>(left % 1000000u * 1000u);
  }
  if (ppoll(fds, count, untilMicros ? &limit : nullptr, nullptr) > 0 &&
      (fds[1].revents & POLLIN)) {
    char drained[16];
    while (read(wakePipe[0], drained, sizeof drained) > 0) {
    }
  }
}

}  // namespace

uint32_t x11ClockMillis() { return counter.read(monotonicMicros()); }

bool openX11Window(const X11Options& options, const SceneHooks& scene) {
  shell = Shell{};
  shell.scene = scene;
  counter.framePeriodMicros = options.delayMicros;  // a slow frame rate is no stop
  xErrorSeen = false;
  // Mesa's software renderer frees and allocates megabytes every frame. With glibc's defaults
  // the top of the heap then goes back to the kernel at each frame and returns as fresh pages
  // that the kernel must zero: under Xvfb at 60 frames a second that was two thirds of the
  // program's processor time. Slack kept at the top of the heap spares it.
  mallopt(M_TOP_PAD, 16 << 20);
  catchSignals();
  const char* name = options.display.empty() ? nullptr : options.display.c_str();
  shell.display = XOpenDisplay(name);
  if (!shell.display) {
    complain("%s", displayRefusal(XDisplayName(name)).c_str());
    closeX11Window();
    return false;
  }
  Display* d = shell.display;
  previousErrorHandler = XSetErrorHandler(onXError);
  int eventBase = 0;
  if (!glXQueryExtension(d, &shell.glxErrorBase, &eventBase)) {
    complain("display \"%s\" has no OpenGL (GLX)", DisplayString(d));
    closeX11Window();
    return false;
  }

  XVisualInfo* visual = nullptr;
  switch (options.target) {
    case DrawTarget::OwnWindow:
    case DrawTarget::Fullscreen:
      visual = createOwnWindow(options.target == DrawTarget::Fullscreen);
      break;
    case DrawTarget::Root:
      visual = adoptWindow(DefaultRootWindow(d));
      break;
    case DrawTarget::GivenWindow:
      visual = adoptWindow(options.windowId);
      break;
  }
  if (!visual) {
    closeX11Window();
    return false;
  }
  shell.context = glXCreateContext(d, visual, nullptr, True);
  XFree(visual);
  if (!shell.context || !glXMakeCurrent(d, shell.window, shell.context)) {
    complain("cannot make an OpenGL context current on window 0x%lx",
             static_cast<unsigned long>(shell.window));
    closeX11Window();
    return false;
  }
  shell.scene.resize(shell.width, shell.height);
  return true;
}

void closeX11Window() {
  if (Display* d = shell.display) {
    if (shell.context) {
      glXMakeCurrent(d, None, nullptr);
      glXDestroyContext(d, shell.context);
    }
    if (shell.ownWindow && shell.window) XDestroyWindow(d, shell.window);
    // Our last frame would stay on the root until something exposes it; a handed-over window
    // is its owner's business.
    if (shell.window == DefaultRootWindow(d)) XClearWindow(d, shell.window);
    if (shell.colormap) XFreeColormap(d, shell.colormap);
    if (shell.blankCursor) XFreeCursor(d, shell.blankCursor);
    // Errors of the release on a vanished window arrive during this final sync, so our
    // handler stays in place until the connection is closed.
    XCloseDisplay(d);
    XSetErrorHandler(previousErrorHandler);
  }
  shell = Shell{};
  releaseSignals();
}

bool pumpX11Window(uint64_t dueMicros) {
  for (;;) {
    while (!shell.ending && !shell.windowGone && !xErrorSeen && XPending(shell.display)) {
      XEvent event;
      XNextEvent(shell.display, &event);
      handleEvent(event);
    }
    if (signalled) shell.ending = true;
    if (shell.ending || shell.windowGone || xErrorSeen) return false;
    if (shell.mapped && (dueMicros == 0 || monotonicMicros() >= dueMicros)) return true;
    waitForEvents(shell.mapped ? dueMicros : 0);
  }
}

void swapX11Buffers() { glXSwapBuffers(shell.display, shell.window); }

bool setX11SwapInterval(int interval) {
  Display* d = shell.display;
  const char* extensions = glXQueryExtensionsString(d, DefaultScreen(d));
  if (hasExtension(extensions, "GLX_EXT_swap_control")) {
    if (auto set = reinterpret_cast<void (*)(Display*, GLXDrawable, int)>(
            address("glXSwapIntervalEXT"))) {
      set(d, shell.window, interval);
      return true;
    }
  }
  if (hasExtension(extensions, "GLX_MESA_swap_control")) {
    if (auto set = reinterpret_cast<int (*)(unsigned)>(address("glXSwapIntervalMESA"))) {
      return set(static_cast<unsigned>(interval)) == 0;
    }
  }
  // SGI's form knows no 0: it can turn the wait on but not off.
  if (interval > 0 && hasExtension(extensions, "GLX_SGI_swap_control")) {
    if (auto set = reinterpret_cast<int (*)(int)>(address("glXSwapIntervalSGI"))) {
      return set(interval) == 0;
    }
  }
  return false;
}

void x11RefreshRate(int64_t* numerator, int64_t* denominator) {
  *numerator = *denominator = 0;
  Display* d = shell.display;
  if (!hasExtension(glXQueryExtensionsString(d, DefaultScreen(d)), "GLX_OML_sync_control")) return;
  auto rate = reinterpret_cast<Bool (*)(Display*, GLXDrawable, int32_t*, int32_t*)>(
      address("glXGetMscRateOML"));
  int32_t n = 0, m = 0;
  if (rate && rate(d, shell.window, &n, &m)) {
    *numerator = n;
    *denominator = m;
  }
}

// Vertical sync alone does not pace the loop where the driver ignores it (software OpenGL,
// Xvfb, many virtual machines and remote desktops), and a screensaver runs for hours; so the
// loop also waits out the rest of each frame period itself. The confetti follows the clock
// either way, but its trickle of single pieces counts frames: at 60 Hz it is what a 60 Hz
// display with vertical sync shows on Windows.
int runX11Window(const X11Options& options, const SceneHooks& scene) {
  if (!openX11Window(options, scene)) return 1;
  setX11SwapInterval(1);
  int64_t rateNumerator = 0, rateDenominator = 0;
  x11RefreshRate(&rateNumerator, &rateDenominator);
  FramePacer pacer{framePeriodMicros(options.delayMicros, rateNumerator, rateDenominator)};
  uint64_t countedSince = monotonicMicros();
  int frames = 0;
  while (pumpX11Window(pacer.dueMicros)) {
    pacer.frameStarted(monotonicMicros());
    drawSceneFrame(shell.scene, shell.sceneStarted);
    swapX11Buffers();
    if (!options.showFps) continue;
    ++frames;
    const uint64_t elapsed = monotonicMicros() - countedSince;
    if (elapsed >= 1000000u) {
      std::fprintf(stderr, "pomarel: %.1f frames per second\n", frames * 1e6 / static_cast<double>(elapsed));
      countedSince += elapsed;
      frames = 0;
    }
  }
  closeX11Window();
  return xErrorSeen ? 1 : 0;
}
