// The renderer shell against faked system calls that keep a small model of what the system
// holds (window, device context, GL context, display mode, cursor count): what the opening
// and closing leave behind and what must never overlap, the display mode, pixel format and
// styles asked for, the refused-mode question, the window procedure and the frame loop.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "common/scoped_seam.h"
#include "renderer/window/window.h"

using ::testing::ElementsAre;

namespace {

const HWND FakeWindow = reinterpret_cast<HWND>(0x1111);
const HDC FakeDC = reinterpret_cast<HDC>(0x2222);
const HGLRC FakeRC = reinterpret_cast<HGLRC>(0x3333);
const HINSTANCE FakeInstance = reinterpret_cast<HINSTANCE>(0x4444);

// What the system holds, and every moment the shell asked for something at the wrong time.
struct World {
  bool classRegistered = false;
  bool windowExists = false;
  bool dcHeld = false;
  bool contextCurrent = false;
  bool contextAlive = false;
  bool modeChanged = false;
  int cursorCount = 0;  // ShowCursor's display counter, 0 = shown
  bool shown = false;
  bool focused = false;
  std::vector<std::string> faults;
};

// What the fakes saw and how they answer.
struct Fakes {
  World world;
  std::vector<std::string> log;
  LONG displayResult = DISP_CHANGE_SUCCESSFUL;
  int answer = IDYES;
  std::string failAt;  // name of the step that fails, if any
  bool releaseFails = false;
  WNDCLASSA wndClass{};
  std::vector<unsigned char> devMode;  // bytes of the DEVMODE passed (dmSize of them)
  DWORD displayFlags = 0;
  std::vector<std::string> boxes;      // "caption|text|flags"
  DWORD style = 0, exStyle = 0;
  int createdWidth = 0, createdHeight = 0;
  std::string createdClass, createdTitle;
  PIXELFORMATDESCRIPTOR pfd{};
  std::vector<std::pair<int, int>> resizes;
  bool resizedWithContext = false;  // the last resize had a current GL context
  std::deque<MSG> queue;   // a message with message == 0 means "queue empty" for one peek
  int frames = 0;
  std::vector<LRESULT> defaults;
};
Fakes fake;

void note(const std::string& s) { fake.log.push_back(s); }
void fault(bool broken, const char* what) {
  if (broken) fake.world.faults.push_back(what);
}
bool fails(const char* step) { return fake.failAt == step; }

HMODULE WINAPI fakeGetModuleHandle(LPCSTR) { note("GetModuleHandle"); return FakeInstance; }
ATOM WINAPI fakeRegisterClass(const WNDCLASSA* wc) {
  note("RegisterClass");
  fake.wndClass = *wc;
  if (fails("RegisterClass")) return 0;
  fake.world.classRegistered = true;
  return 0xC001;
}
BOOL WINAPI fakeUnregisterClass(LPCSTR name, HINSTANCE) {
  note(std::string("UnregisterClass ") + name);
  fault(fake.world.windowExists, "class unregistered under a live window");
  fake.world.classRegistered = false;
  return TRUE;
}
LONG WINAPI fakeChangeDisplaySettings(DEVMODEA* mode, DWORD flags) {
  if (!mode) {
    note("ChangeDisplaySettings(NULL)");
    fake.world.modeChanged = false;
    return DISP_CHANGE_SUCCESSFUL;
  }
  note("ChangeDisplaySettings");
  // The host watches for the window's title: it must not exist while the mode is switched.
  fault(fake.world.windowExists, "display mode switched while the window exists");
  fake.world.modeChanged = fake.displayResult == DISP_CHANGE_SUCCESSFUL;
  const auto* bytes = reinterpret_cast<const unsigned char*>(mode);
  fake.devMode.assign(bytes, bytes + mode->dmSize);
  fake.displayFlags = flags;
  return fake.displayResult;
}
int WINAPI fakeShowCursor(BOOL show) {
  note(show ? "ShowCursor(TRUE)" : "ShowCursor(FALSE)");
  fake.world.cursorCount += show ? 1 : -1;
  return fake.world.cursorCount;
}
int WINAPI fakeMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
  note("MessageBox");
  fault(fake.world.windowExists && std::strstr(text, "Fullscreen"),
        "refused-mode question asked while the window exists");
  fake.boxes.push_back(std::string(caption) + "|" + text + "|" + std::to_string(flags) +
                       (owner ? "|owned" : ""));
  return fake.answer;
}
BOOL WINAPI fakeAdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  note("AdjustWindowRectEx");
  return AdjustWindowRectEx(rect, style, menu, exStyle);  // pure arithmetic on the metrics
}
HWND WINAPI fakeCreateWindowEx(DWORD exStyle, LPCSTR cls, LPCSTR title, DWORD style, int x, int y,
                               int w, int h, HWND parent, HMENU, HINSTANCE, LPVOID) {
  note("CreateWindowEx");
  fake.exStyle = exStyle;
  fake.style = style;
  fake.createdClass = cls;
  fake.createdTitle = title;
  fake.createdWidth = w;
  fake.createdHeight = h;
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(parent, nullptr);
  fault(!fake.world.classRegistered, "window created without its class");
  if (fails("CreateWindowEx")) return nullptr;
  fake.world.windowExists = true;
  return FakeWindow;
}
BOOL WINAPI fakeDestroyWindow(HWND) {
  note("DestroyWindow");
  fault(fake.world.dcHeld || fake.world.contextAlive, "window destroyed before its DC and GL context");
  fake.world.windowExists = fake.world.shown = fake.world.focused = false;
  return TRUE;
}
HDC WINAPI fakeGetDC(HWND) {
  note("GetDC");
  if (fails("GetDC")) return nullptr;
  fake.world.dcHeld = true;
  return FakeDC;
}
int WINAPI fakeReleaseDC(HWND w, HDC) {
  note("ReleaseDC");
  EXPECT_EQ(w, FakeWindow);
  fault(fake.world.contextAlive, "DC released under a live GL context");
  fake.world.dcHeld = false;
  return 1;
}
int WINAPI fakeChoosePixelFormat(HDC, const PIXELFORMATDESCRIPTOR* pfd) {
  note("ChoosePixelFormat");
  fake.pfd = *pfd;
  return fails("ChoosePixelFormat") ? 0 : 7;
}
BOOL WINAPI fakeSetPixelFormat(HDC, int format, const PIXELFORMATDESCRIPTOR*) {
  note("SetPixelFormat");
  EXPECT_EQ(format, 7);
  return !fails("SetPixelFormat");
}
HGLRC WINAPI fakeCreateContext(HDC) {
  note("wglCreateContext");
  if (fails("wglCreateContext")) return nullptr;
  fake.world.contextAlive = true;
  return FakeRC;
}
BOOL WINAPI fakeMakeCurrent(HDC dc, HGLRC rc) {
  if (!rc) {
    note("wglMakeCurrent(NULL)");
    if (fake.releaseFails) return FALSE;
    fake.world.contextCurrent = false;
    return TRUE;
  }
  note("wglMakeCurrent");
  if (fails("wglMakeCurrent")) return FALSE;
  fake.world.contextCurrent = true;
  return TRUE;
}
BOOL WINAPI fakeDeleteContext(HGLRC) {
  note("wglDeleteContext");
  fake.world.contextAlive = fake.world.contextCurrent = false;
  return TRUE;
}
BOOL WINAPI fakeShowWindow(HWND, int cmd) {
  note("ShowWindow " + std::to_string(cmd));
  // Its first paint draws with GL, so the context must be current by then.
  fault(!fake.world.contextCurrent, "window shown before its GL context is current");
  fake.world.shown = cmd == SW_SHOW;
  return TRUE;
}
BOOL WINAPI fakeSetForegroundWindow(HWND) { note("SetForegroundWindow"); return TRUE; }
HWND WINAPI fakeSetFocus(HWND) {
  note("SetFocus");
  fake.world.focused = fake.world.shown;
  return nullptr;
}
LRESULT WINAPI fakeDefWindowProc(HWND, UINT msg, WPARAM, LPARAM) {
  note("DefWindowProc " + std::to_string(msg));
  return 77;
}
void WINAPI fakePostQuitMessage(int code) {
  note("PostQuitMessage " + std::to_string(code));
  MSG quit{};
  quit.message = WM_QUIT;
  quit.wParam = static_cast<WPARAM>(code);
  fake.queue.push_front(quit);
}
BOOL WINAPI fakePeekMessage(LPMSG msg, HWND, UINT, UINT, UINT remove) {
  EXPECT_EQ(remove, static_cast<UINT>(PM_REMOVE));
  if (fake.queue.empty()) {  // script ran out: end the loop with a code no test expects
    msg->message = WM_QUIT;
    msg->wParam = 999;
    return TRUE;
  }
  MSG next = fake.queue.front();
  fake.queue.pop_front();
  if (next.message == 0) return FALSE;
  *msg = next;
  return TRUE;
}
BOOL WINAPI fakeTranslateMessage(const MSG*) { return TRUE; }
LRESULT WINAPI fakeDispatchMessage(const MSG* msg) {
  return rendererWindowProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
BOOL WINAPI fakeSwapBuffers(HDC) { note("SwapBuffers"); return TRUE; }
void fakeResize(int w, int h) {
  note("resizeViewport");
  fake.resizes.emplace_back(w, h);
  fake.resizedWithContext = fake.world.contextCurrent;
}
void fakeFrame() {
  note("frame");
  ++fake.frames;
}

MSG message(UINT id, WPARAM w = 0, LPARAM l = 0) {
  MSG m{};
  m.hwnd = FakeWindow;
  m.message = id;
  m.wParam = w;
  m.lParam = l;
  return m;
}
const MSG Empty{};

void fakeStart() { note("start"); }

const SceneHooks Hooks{fakeResize, fakeStart, fakeFrame};

class WindowTest : public ::testing::Test {
 protected:
  ScopedSeam<RendererSystem> calls_{rendererCalls()};

  void SetUp() override {
    fake = Fakes{};
    RendererSystem& s = rendererCalls();
    s.getModuleHandle = fakeGetModuleHandle;
    s.registerClass = fakeRegisterClass;
    s.unregisterClass = fakeUnregisterClass;
    s.changeDisplaySettings = fakeChangeDisplaySettings;
    s.showCursor = fakeShowCursor;
    s.messageBox = fakeMessageBox;
    s.adjustWindowRectEx = fakeAdjustWindowRectEx;
    s.createWindowEx = fakeCreateWindowEx;
    s.destroyWindow = fakeDestroyWindow;
    s.getDC = fakeGetDC;
    s.releaseDC = fakeReleaseDC;
    s.choosePixelFormat = fakeChoosePixelFormat;
    s.setPixelFormat = fakeSetPixelFormat;
    s.createContext = fakeCreateContext;
    s.makeCurrent = fakeMakeCurrent;
    s.deleteContext = fakeDeleteContext;
    s.showWindow = fakeShowWindow;
    s.setForegroundWindow = fakeSetForegroundWindow;
    s.setFocus = fakeSetFocus;
    s.defWindowProc = fakeDefWindowProc;
    s.postQuitMessage = fakePostQuitMessage;
    s.peekMessage = fakePeekMessage;
    s.translateMessage = fakeTranslateMessage;
    s.dispatchMessage = fakeDispatchMessage;
    s.swapBuffers = fakeSwapBuffers;
  }
  static bool open() {
    return openRendererWindow(RendererTitle, RendererWidth, RendererHeight, RendererBits, true, Hooks);
  }
};

const char RefusedBox[] =
    "Vexa GL|The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed "
    "Mode Instead?|52";  // MB_YESNO | MB_ICONEXCLAMATION

TEST_F(WindowTest, FullScreenOpeningLeavesAShownCurrentWindowAndClosingLeavesNothing) {
  ASSERT_TRUE(open());
  const World& w = fake.world;
  EXPECT_THAT(w.faults, ElementsAre());
  EXPECT_TRUE(w.modeChanged && w.windowExists && w.dcHeld && w.contextCurrent);
  EXPECT_TRUE(w.shown && w.focused);
  EXPECT_EQ(w.cursorCount, -1);
  EXPECT_THAT(fake.resizes, ElementsAre(std::make_pair(1024, 768)));
  EXPECT_TRUE(fake.resizedWithContext) << "the opening's viewport needs a current context";
  EXPECT_TRUE(rendererFullscreen());
  closeRendererWindow();
  EXPECT_THAT(w.faults, ElementsAre());
  EXPECT_FALSE(w.modeChanged || w.windowExists || w.dcHeld || w.contextAlive || w.classRegistered);
  EXPECT_EQ(w.cursorCount, 0);
}

TEST_F(WindowTest, FullScreenOpeningAsksForTheModeFormatAndClass) {
  ASSERT_TRUE(open());
  // The class.
  EXPECT_STREQ(fake.wndClass.lpszClassName, "OpenGL");
  EXPECT_EQ(fake.wndClass.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW | CS_OWNDC));
  EXPECT_EQ(fake.wndClass.lpfnWndProc, &rendererWindowProc);
  EXPECT_EQ(fake.wndClass.hInstance, FakeInstance);
  EXPECT_EQ(fake.wndClass.hIcon, LoadIcon(nullptr, IDI_WINLOGO));
  EXPECT_EQ(fake.wndClass.hCursor, LoadCursor(nullptr, IDC_ARROW));
  EXPECT_EQ(fake.wndClass.hbrBackground, nullptr);
  EXPECT_EQ(fake.wndClass.lpszMenuName, nullptr);
  EXPECT_EQ(fake.wndClass.cbClsExtra + fake.wndClass.cbWndExtra, 0);
  // The older 148-byte DEVMODE, zero but for the mode.
  ASSERT_EQ(fake.devMode.size(), 148u);
  DEVMODEA expected;
  std::memset(&expected, 0, sizeof expected);
  expected.dmSize = 148;
  expected.dmPelsWidth = 1024;
  expected.dmPelsHeight = 768;
  expected.dmBitsPerPel = 16;
  expected.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  EXPECT_EQ(std::memcmp(fake.devMode.data(), &expected, 148), 0);
  EXPECT_EQ(fake.displayFlags, static_cast<DWORD>(CDS_FULLSCREEN));
  // A borderless popup exactly the size of the mode.
  EXPECT_EQ(fake.style, static_cast<DWORD>(WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
  EXPECT_EQ(fake.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
  EXPECT_EQ(fake.createdClass, "OpenGL");
  EXPECT_EQ(fake.createdTitle, "Swirlbloom_VC");
  EXPECT_EQ(fake.createdWidth, 1024);
  EXPECT_EQ(fake.createdHeight, 768);
  // The pixel format.
  PIXELFORMATDESCRIPTOR pfd;
  std::memset(&pfd, 0, sizeof pfd);
  pfd.nSize = 40;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = 16;
  pfd.cDepthBits = 16;
  pfd.iLayerType = PFD_MAIN_PLANE;
  EXPECT_EQ(std::memcmp(&fake.pfd, &pfd, sizeof pfd), 0);
}

TEST_F(WindowTest, RefusedModeAnsweredYesOpensAnOverlappedWindowWithTheClientSize) {
  fake.displayResult = DISP_CHANGE_BADMODE;
  fake.answer = IDYES;
  ASSERT_TRUE(open());
  EXPECT_THAT(fake.boxes, ElementsAre(RefusedBox));
  EXPECT_FALSE(rendererFullscreen());
  EXPECT_EQ(fake.style,
            static_cast<DWORD>(WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
  EXPECT_EQ(fake.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW | WS_EX_WINDOWEDGE));
  RECT client = {0, 0, 1024, 768};
  AdjustWindowRectEx(&client, fake.style, FALSE, fake.exStyle);
  EXPECT_EQ(fake.createdWidth, client.right - client.left);
  EXPECT_GT(fake.createdHeight, 768);
  EXPECT_EQ(fake.world.cursorCount, 0);
  // Windowed: closing neither restores a mode nor touches the cursor.
  fake.log.clear();
  closeRendererWindow();
  EXPECT_THAT(fake.world.faults, ElementsAre());
  EXPECT_FALSE(fake.world.windowExists || fake.world.contextAlive || fake.world.classRegistered);
  EXPECT_EQ(fake.world.cursorCount, 0);
  EXPECT_EQ(std::count(fake.log.begin(), fake.log.end(), "ChangeDisplaySettings(NULL)"), 0);
}

TEST_F(WindowTest, RefusedModeAnsweredNoEndsWithZeroAndNeverMakesAWindow) {
  fake.displayResult = DISP_CHANGE_BADMODE;
  for (int answer : {IDNO, 0, IDCANCEL}) {
    fake.log.clear();
    fake.answer = answer;
    EXPECT_EQ(runRendererWindow(Hooks), 0);
    EXPECT_EQ(fake.createdTitle, "") << "answer " << answer;
    EXPECT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.world.cursorCount, 0);
    fake.boxes.clear();
  }
}

TEST_F(WindowTest, FailureWhileCreatingReleasesWhatWasHadAndRestoresTheDisplay) {
  for (const char* step : {"CreateWindowEx", "GetDC", "ChoosePixelFormat", "SetPixelFormat",
                           "wglCreateContext", "wglMakeCurrent"}) {
    SCOPED_TRACE(step);
    fake = Fakes{};
    fake.failAt = step;
    EXPECT_FALSE(open());
    const World& w = fake.world;
    EXPECT_THAT(w.faults, ElementsAre());
    EXPECT_FALSE(w.windowExists || w.dcHeld || w.contextAlive || w.classRegistered || w.modeChanged);
    EXPECT_EQ(w.cursorCount, 0);
    EXPECT_TRUE(fake.boxes.empty());
  }
}

TEST_F(WindowTest, RegisterFailureEndsSilently) {
  fake.failAt = "RegisterClass";
  EXPECT_EQ(runRendererWindow(Hooks), 0);
  EXPECT_THAT(fake.log, ElementsAre("GetModuleHandle", "RegisterClass"));
}

TEST_F(WindowTest, ContextThatCannotBeReleasedIsReportedAndStillDeleted) {
  ASSERT_TRUE(open());
  fake.log.clear();
  fake.releaseFails = true;
  closeRendererWindow();
  EXPECT_THAT(fake.boxes, ElementsAre("SHUTDOWN ERROR|Release Of DC And RC Failed.|64"));
  // The shutdown goes on: nothing is left held and the display is back.
  EXPECT_FALSE(fake.world.windowExists || fake.world.dcHeld || fake.world.contextAlive ||
               fake.world.classRegistered || fake.world.modeChanged);
  EXPECT_EQ(fake.world.cursorCount, 0);
}

TEST_F(WindowTest, WindowProcedureReactions) {
  struct Case {
    UINT msg;
    WPARAM w;
    LPARAM l;
    LRESULT result;
    const char* logged;  // the one call expected, or "" for none
  };
  const Case cases[] = {
      {WM_SYSCOMMAND, SC_SCREENSAVE, 0, 0, ""},
      {WM_SYSCOMMAND, SC_MONITORPOWER, 2, 0, ""},
      {WM_SYSCOMMAND, SC_SCREENSAVE | 0x2, 0, 0, ""},  // low bits are the system's own
      {WM_SYSCOMMAND, SC_MONITORPOWER | 0xF, 2, 0, ""},
      {WM_SYSCOMMAND, SC_MINIMIZE | 0x3, 0, 77, "DefWindowProc 274"},
      {WM_SYSCOMMAND, SC_MINIMIZE, 0, 77, "DefWindowProc 274"},
      {WM_CLOSE, 0, 0, 0, "PostQuitMessage 0"},
      {WM_SIZE, 0, MAKELPARAM(800, 600), 0, "resizeViewport"},
      {WM_MOUSEMOVE, 0, MAKELPARAM(5, 5), 77, "DefWindowProc 512"},
      {WM_LBUTTONDOWN, MK_LBUTTON, 0, 77, "DefWindowProc 513"},
      {WM_KEYDOWN, 'A', 0, 0, ""},
      {WM_KEYDOWN, 300, 0, 0, ""},
      {WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0, 0, ""},
  };
  for (const Case& c : cases) {
    fake.log.clear();
    EXPECT_EQ(rendererWindowProc(FakeWindow, c.msg, c.w, c.l), c.result) << c.msg;
    if (*c.logged) {
      EXPECT_THAT(fake.log, ElementsAre(c.logged)) << c.msg;
    } else {
      EXPECT_TRUE(fake.log.empty()) << c.msg;
    }
  }
  EXPECT_THAT(fake.resizes, ElementsAre(std::make_pair(800, 600)));
  EXPECT_TRUE(rendererKeyDown('A'));
  rendererWindowProc(FakeWindow, WM_KEYUP, 'A', 0);
  EXPECT_FALSE(rendererKeyDown('A'));
  EXPECT_EQ(rendererWindowProc(FakeWindow, WM_KEYUP, 0x10000, 0), 0);  // no stray write

  // Minimised wins over active: only the high word counts.
  rendererWindowProc(FakeWindow, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1), 0);
  EXPECT_FALSE(rendererWindowActive());
  rendererWindowProc(FakeWindow, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
  EXPECT_TRUE(rendererWindowActive());
}

TEST_F(WindowTest, LoopDrawsWhenIdleAndEndsOnQuitWithItsCode) {
  fake.queue = {message(WM_MOUSEMOVE), message(WM_KEYDOWN, 'Q'), Empty, Empty,
                message(WM_QUIT, 3)};
  EXPECT_EQ(runRendererWindow(Hooks), 3);
  EXPECT_EQ(fake.frames, 2);
  // Each frame is followed by its swap, and the close comes last.
  const auto first = std::find(fake.log.begin(), fake.log.end(), "frame");
  ASSERT_NE(first, fake.log.end());
  EXPECT_EQ(*(first + 1), "SwapBuffers");
  // The scene starts once, right before its first frame.
  EXPECT_EQ(std::count(fake.log.begin(), fake.log.end(), "start"), 1);
  EXPECT_EQ(*(first - 1), "start");
  EXPECT_EQ(fake.log.back(), "UnregisterClass OpenGL");
}

TEST_F(WindowTest, CloseWhileMinimisedEndsWithZeroWithoutDrawing) {
  fake.queue = {message(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1)), Empty, Empty,
                message(WM_KEYDOWN, VK_ESCAPE), Empty, message(WM_CLOSE), Empty};
  EXPECT_EQ(runRendererWindow(Hooks), 0);
  EXPECT_EQ(fake.frames, 0);
  EXPECT_EQ(std::count(fake.log.begin(), fake.log.end(), "start"), 0) << "nothing drawn, nothing started";
  EXPECT_EQ(fake.queue.size(), 1u) << "Escape held while minimised must not end it";
  EXPECT_NE(std::find(fake.log.begin(), fake.log.end(), "PostQuitMessage 0"), fake.log.end());
  EXPECT_NE(std::find(fake.log.begin(), fake.log.end(), "ChangeDisplaySettings(NULL)"),
            fake.log.end());
}

TEST_F(WindowTest, HeldEscapeEndsWithZeroButAPressReleasedInOnePassIsMissed) {
  fake.queue = {message(WM_KEYDOWN, VK_ESCAPE), message(WM_KEYUP, VK_ESCAPE), Empty,
                message(WM_KEYDOWN, VK_ESCAPE), message(WM_CHAR, VK_ESCAPE), Empty, Empty};
  EXPECT_EQ(runRendererWindow(Hooks), 0);
  EXPECT_EQ(fake.frames, 1);
  EXPECT_EQ(fake.queue.size(), 1u) << "left at the first idle pass with Escape held";
  EXPECT_EQ(fake.log.back(), "UnregisterClass OpenGL");
}

}  // namespace
