// The renderer shell against faked system calls: the order of the opening and closing steps,
// the display mode, pixel format and styles asked for, the refused-mode question, the
// failure paths, the window procedure's reactions and the frame loop's exits.
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

// What the fakes saw and how they answer.
struct Fakes {
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
  std::deque<MSG> queue;   // a message with message == 0 means "queue empty" for one peek
  int frames = 0;
  std::vector<LRESULT> defaults;
};
Fakes fake;

void note(const std::string& s) { fake.log.push_back(s); }
bool fails(const char* step) { return fake.failAt == step; }

HMODULE WINAPI fakeGetModuleHandle(LPCSTR) { note("GetModuleHandle"); return FakeInstance; }
ATOM WINAPI fakeRegisterClass(const WNDCLASSA* wc) {
  note("RegisterClass");
  fake.wndClass = *wc;
  return fails("RegisterClass") ? 0 : 0xC001;
}
BOOL WINAPI fakeUnregisterClass(LPCSTR name, HINSTANCE) {
  note(std::string("UnregisterClass ") + name);
  return TRUE;
}
LONG WINAPI fakeChangeDisplaySettings(DEVMODEA* mode, DWORD flags) {
  if (!mode) {
    note("ChangeDisplaySettings(NULL)");
    return DISP_CHANGE_SUCCESSFUL;
  }
  note("ChangeDisplaySettings");
  const auto* bytes = reinterpret_cast<const unsigned char*>(mode);
  fake.devMode.assign(bytes, bytes + mode->dmSize);
  fake.displayFlags = flags;
  return fake.displayResult;
}
int WINAPI fakeShowCursor(BOOL show) { note(show ? "ShowCursor(TRUE)" : "ShowCursor(FALSE)"); return 0; }
int WINAPI fakeMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
  note("MessageBox");
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
  return fails("CreateWindowEx") ? nullptr : FakeWindow;
}
BOOL WINAPI fakeDestroyWindow(HWND) { note("DestroyWindow"); return TRUE; }
HDC WINAPI fakeGetDC(HWND) { note("GetDC"); return fails("GetDC") ? nullptr : FakeDC; }
int WINAPI fakeReleaseDC(HWND w, HDC) {
  note("ReleaseDC");
  EXPECT_EQ(w, FakeWindow);
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
  return fails("wglCreateContext") ? nullptr : FakeRC;
}
BOOL WINAPI fakeMakeCurrent(HDC dc, HGLRC rc) {
  if (!rc) {
    note("wglMakeCurrent(NULL)");
    return !fake.releaseFails;
  }
  note("wglMakeCurrent");
  return !fails("wglMakeCurrent");
}
BOOL WINAPI fakeDeleteContext(HGLRC) { note("wglDeleteContext"); return TRUE; }
BOOL WINAPI fakeShowWindow(HWND, int cmd) { note("ShowWindow " + std::to_string(cmd)); return TRUE; }
BOOL WINAPI fakeSetForegroundWindow(HWND) { note("SetForegroundWindow"); return TRUE; }
HWND WINAPI fakeSetFocus(HWND) { note("SetFocus"); return nullptr; }
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

const SceneHooks Hooks{fakeResize, fakeFrame};

class WindowTest : public ::testing::Test {
 protected:
  ScopedSeam<RendererSystem> calls_{rendererCalls()};

  void SetUp() override {
    fake = Fakes{};
    rendererWindow = RendererWindowState{};
    rendererWindow.scene = Hooks;  // what runRenderer sets; the opening alone needs it too
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
  void TearDown() override { rendererWindow = RendererWindowState{}; }
  static bool open() {
    return openRendererWindow(RendererTitle, RendererWidth, RendererHeight, RendererBits, true);
  }
};

const char RefusedBox[] =
    "Vexa GL|The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed "
    "Mode Instead?|52";  // MB_YESNO | MB_ICONEXCLAMATION

TEST_F(WindowTest, FullScreenOpeningAsksForTheModeAndFormatInOrder) {
  ASSERT_TRUE(open());
  EXPECT_THAT(fake.log,
              ElementsAre("GetModuleHandle", "RegisterClass", "ChangeDisplaySettings",
                          "ShowCursor(FALSE)", "AdjustWindowRectEx", "CreateWindowEx", "GetDC",
                          "ChoosePixelFormat", "SetPixelFormat", "wglCreateContext",
                          "wglMakeCurrent", "ShowWindow 5", "SetForegroundWindow", "SetFocus",
                          "resizeViewport"));
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
  EXPECT_THAT(fake.resizes, ElementsAre(std::make_pair(1024, 768)));
  EXPECT_TRUE(rendererWindow.fullscreen);
}

TEST_F(WindowTest, RefusedModeAnsweredYesOpensAnOverlappedWindowWithTheClientSize) {
  fake.displayResult = DISP_CHANGE_BADMODE;
  fake.answer = IDYES;
  ASSERT_TRUE(open());
  EXPECT_THAT(fake.boxes, ElementsAre(RefusedBox));
  EXPECT_FALSE(rendererWindow.fullscreen);
  EXPECT_EQ(fake.style,
            static_cast<DWORD>(WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
  EXPECT_EQ(fake.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW | WS_EX_WINDOWEDGE));
  RECT client = {0, 0, 1024, 768};
  AdjustWindowRectEx(&client, fake.style, FALSE, fake.exStyle);
  EXPECT_EQ(fake.createdWidth, client.right - client.left);
  EXPECT_GT(fake.createdHeight, 768);
  EXPECT_EQ(std::count(fake.log.begin(), fake.log.end(), "ShowCursor(FALSE)"), 0);
  // Windowed: closing neither restores a mode nor touches the cursor.
  fake.log.clear();
  closeRendererWindow();
  EXPECT_THAT(fake.log, ElementsAre("wglMakeCurrent(NULL)", "wglDeleteContext", "ReleaseDC",
                                    "DestroyWindow", "UnregisterClass OpenGL"));
}

TEST_F(WindowTest, RefusedModeAnsweredNoEndsWithZeroAndNeverMakesAWindow) {
  fake.displayResult = DISP_CHANGE_BADMODE;
  for (int answer : {IDNO, 0, IDCANCEL}) {
    fake.log.clear();
    fake.answer = answer;
    rendererWindow = RendererWindowState{};
    EXPECT_EQ(runRenderer(Hooks), 0);
    EXPECT_THAT(fake.log, ElementsAre("GetModuleHandle", "RegisterClass", "ChangeDisplaySettings",
                                      "MessageBox"))
        << "answer " << answer;
  }
}

TEST_F(WindowTest, FailureWhileCreatingReleasesWhatWasHadAndRestoresTheDisplay) {
  const std::vector<std::string> tail = {"ChangeDisplaySettings(NULL)", "ShowCursor(TRUE)"};
  struct Case {
    const char* step;
    std::vector<std::string> released;
  };
  const Case cases[] = {
      {"CreateWindowEx", {"UnregisterClass OpenGL"}},
      {"GetDC", {"DestroyWindow", "UnregisterClass OpenGL"}},
      {"ChoosePixelFormat", {"ReleaseDC", "DestroyWindow", "UnregisterClass OpenGL"}},
      {"SetPixelFormat", {"ReleaseDC", "DestroyWindow", "UnregisterClass OpenGL"}},
      {"wglCreateContext", {"ReleaseDC", "DestroyWindow", "UnregisterClass OpenGL"}},
      {"wglMakeCurrent",
       {"wglMakeCurrent(NULL)", "wglDeleteContext", "ReleaseDC", "DestroyWindow",
        "UnregisterClass OpenGL"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    fake = Fakes{};
    fake.failAt = c.step;
    rendererWindow = RendererWindowState{};
    EXPECT_FALSE(open());
    auto at = std::find(fake.log.begin(), fake.log.end(), c.step);
    if (std::string(c.step) == "wglMakeCurrent") at = std::find(at, fake.log.end(), c.step);
    ASSERT_NE(at, fake.log.end());
    std::vector<std::string> after(at + 1, fake.log.end());
    std::vector<std::string> expected = tail;
    expected.insert(expected.end(), c.released.begin(), c.released.end());
    EXPECT_EQ(after, expected);
    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_EQ(rendererWindow.window, nullptr);
    EXPECT_EQ(rendererWindow.renderingContext, nullptr);
  }
}

TEST_F(WindowTest, RegisterFailureEndsSilently) {
  fake.failAt = "RegisterClass";
  EXPECT_EQ(runRenderer(Hooks), 0);
  EXPECT_THAT(fake.log, ElementsAre("GetModuleHandle", "RegisterClass"));
}

TEST_F(WindowTest, ContextThatCannotBeReleasedIsReportedAndStillDeleted) {
  ASSERT_TRUE(open());
  fake.log.clear();
  fake.releaseFails = true;
  closeRendererWindow();
  EXPECT_THAT(fake.log, ElementsAre("ChangeDisplaySettings(NULL)", "ShowCursor(TRUE)",
                                    "wglMakeCurrent(NULL)", "MessageBox", "wglDeleteContext",
                                    "ReleaseDC", "DestroyWindow", "UnregisterClass OpenGL"));
  EXPECT_THAT(fake.boxes, ElementsAre("SHUTDOWN ERROR|Release Of DC And RC Failed.|64"));
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
  EXPECT_TRUE(rendererWindow.keyDown['A']);
  rendererWindowProc(FakeWindow, WM_KEYUP, 'A', 0);
  EXPECT_FALSE(rendererWindow.keyDown['A']);
  EXPECT_EQ(rendererWindowProc(FakeWindow, WM_KEYUP, 0x10000, 0), 0);  // no stray write

  // Minimised wins over active: only the high word counts.
  rendererWindowProc(FakeWindow, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1), 0);
  EXPECT_FALSE(rendererWindow.windowActive);
  rendererWindowProc(FakeWindow, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
  EXPECT_TRUE(rendererWindow.windowActive);
}

TEST_F(WindowTest, LoopDrawsWhenIdleAndEndsOnQuitWithItsCode) {
  fake.queue = {message(WM_MOUSEMOVE), message(WM_KEYDOWN, 'Q'), Empty, Empty,
                message(WM_QUIT, 3)};
  EXPECT_EQ(runRenderer(Hooks), 3);
  EXPECT_EQ(fake.frames, 2);
  // Each frame is followed by its swap, and the close comes last.
  const auto first = std::find(fake.log.begin(), fake.log.end(), "frame");
  ASSERT_NE(first, fake.log.end());
  EXPECT_EQ(*(first + 1), "SwapBuffers");
  EXPECT_EQ(fake.log.back(), "UnregisterClass OpenGL");
}

TEST_F(WindowTest, CloseWhileMinimisedEndsWithZeroWithoutDrawing) {
  fake.queue = {message(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1)), Empty, Empty,
                message(WM_KEYDOWN, VK_ESCAPE), Empty, message(WM_CLOSE), Empty};
  EXPECT_EQ(runRenderer(Hooks), 0);
  EXPECT_EQ(fake.frames, 0);
  EXPECT_EQ(fake.queue.size(), 1u) << "Escape held while minimised must not end it";
  EXPECT_NE(std::find(fake.log.begin(), fake.log.end(), "PostQuitMessage 0"), fake.log.end());
  EXPECT_NE(std::find(fake.log.begin(), fake.log.end(), "ChangeDisplaySettings(NULL)"),
            fake.log.end());
}

TEST_F(WindowTest, HeldEscapeEndsWithZeroButAPressReleasedInOnePassIsMissed) {
  fake.queue = {message(WM_KEYDOWN, VK_ESCAPE), message(WM_KEYUP, VK_ESCAPE), Empty,
                message(WM_KEYDOWN, VK_ESCAPE), message(WM_CHAR, VK_ESCAPE), Empty, Empty};
  EXPECT_EQ(runRenderer(Hooks), 0);
  EXPECT_EQ(fake.frames, 1);
  EXPECT_EQ(fake.queue.size(), 1u) << "left at the first idle pass with Escape held";
  EXPECT_EQ(fake.log.back(), "UnregisterClass OpenGL");
}

}  // namespace
