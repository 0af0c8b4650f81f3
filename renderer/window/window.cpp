// Window, display mode, OpenGL context, window procedure and frame loop of the renderer.
// Depends on user32/gdi32/opengl32 through `rendererCalls()`; resizes and draws through the
// SceneHooks its open is given. No heap allocation: everything lives in the two module-level
// blocks.
#include "renderer/window/window.h"

#include <cstddef>
#include <cstring>

RendererSystem& rendererCalls() {
  static RendererSystem calls;
  return calls;
}

namespace {

// Module-level state; handles are null while not held.
struct Shell {
  bool fullscreen = true;    // the display mode was (or is to be) changed
  bool windowActive = true;  // not minimised: frames are drawn only then
  bool keyDown[256] = {};    // by virtual-key code
  HINSTANCE instance = nullptr;
  HWND window = nullptr;
  HDC deviceContext = nullptr;
  HGLRC renderingContext = nullptr;
  SceneHooks scene;  // what the open was given; the window procedure resizes through it
  bool sceneStarted = false;
  int exitCode = 0;  // the wParam of WM_QUIT, once the pump has taken it
};

Shell shell;

// The DEVMODE layout before the panning fields: ChangeDisplaySettings reads only what
// dmSize covers, and every Windows version accepts this older size.
constexpr WORD LegacyDevModeSize = 148;
static_assert(offsetof(DEVMODEA, dmPanningWidth) == LegacyDevModeSize,
              "the 148-byte DEVMODE ends where the panning fields begin");
static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "PIXELFORMATDESCRIPTOR is 40 bytes");

constexpr char RefusedModeText[] =
    "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode "
    "Instead?";
constexpr char RefusedModeCaption[] = "Vexa GL";
constexpr char ReleaseFailedText[] = "Release Of DC And RC Failed.";
constexpr char ReleaseFailedCaption[] = "SHUTDOWN ERROR";

bool switchDisplayMode(int width, int height, int bits) {
  DEVMODEA mode;
  std::memset(&mode, 0, sizeof mode);
  mode.dmSize = LegacyDevModeSize;
  mode.dmPelsWidth = static_cast<DWORD>(width);
  mode.dmPelsHeight = static_cast<DWORD>(height);
  mode.dmBitsPerPel = static_cast<DWORD>(bits);
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  return rendererCalls().changeDisplaySettings(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

PIXELFORMATDESCRIPTOR pixelFormatFor(int bits) {
  PIXELFORMATDESCRIPTOR pfd;
  std::memset(&pfd, 0, sizeof pfd);
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = static_cast<BYTE>(bits);
  pfd.cDepthBits = 16;
  pfd.iLayerType = PFD_MAIN_PLANE;
  return pfd;
}

// The window, its device context, pixel format and GL context, made current; any failure
// leaves the caller to release what was had.
bool createWindowAndContext(const char* title, DWORD style, DWORD exStyle, const RECT& rect,
                            int bits) {
  RendererSystem& sys = rendererCalls();
  Shell& s = shell;
  s.window = sys.createWindowEx(exStyle, RendererClass, title, style, 0, 0,
                                rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                                s.instance, nullptr);
  if (!s.window) return false;
  s.deviceContext = sys.getDC(s.window);
  if (!s.deviceContext) return false;
  const PIXELFORMATDESCRIPTOR pfd = pixelFormatFor(bits);
  const int format = sys.choosePixelFormat(s.deviceContext, &pfd);
  if (format == 0) return false;
  if (!sys.setPixelFormat(s.deviceContext, format, &pfd)) return false;
  s.renderingContext = sys.createContext(s.deviceContext);
  if (!s.renderingContext) return false;
  return sys.makeCurrent(s.deviceContext, s.renderingContext) != FALSE;
}

}  // namespace

bool openRendererWindow(const char* title, int width, int height, int bits, bool fullscreen,
                        const SceneHooks& scene) {
  RendererSystem& sys = rendererCalls();
  Shell& s = shell;
  s = Shell{};
  s.scene = scene;
  s.fullscreen = fullscreen;
  RECT rect = {0, 0, width, height};
  s.instance = sys.getModuleHandle(nullptr);

  WNDCLASSA wc;
  std::memset(&wc, 0, sizeof wc);
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;  // own DC: the GL context is bound to it
  wc.lpfnWndProc = rendererWindowProc;
  wc.hInstance = s.instance;
  wc.hIcon = sys.loadIcon(nullptr, IDI_WINLOGO);
  wc.hCursor = sys.loadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = RendererClass;
  if (!sys.registerClass(&wc)) return false;

  DWORD style = WS_OVERLAPPEDWINDOW;
  DWORD exStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
  if (s.fullscreen) {
    if (switchDisplayMode(width, height, bits)) {
      sys.showCursor(FALSE);
      style = WS_POPUP;
      exStyle = WS_EX_APPWINDOW;
    } else if (sys.messageBox(nullptr, RefusedModeText, RefusedModeCaption,
                              MB_YESNO | MB_ICONEXCLAMATION) == IDYES) {
      s.fullscreen = false;
    } else {
      return false;
    }
  }
  style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  sys.adjustWindowRectEx(&rect, style, FALSE, exStyle);

  if (!createWindowAndContext(title, style, exStyle, rect, bits)) {
    closeRendererWindow();
    return false;
  }
  sys.showWindow(s.window, SW_SHOW);
  sys.setForegroundWindow(s.window);
  sys.setFocus(s.window);
  s.scene.resize(width, height);
  return true;
}

bool closeRendererWindow() {
  RendererSystem& sys = rendererCalls();
  Shell& s = shell;
  if (s.fullscreen) {
    sys.changeDisplaySettings(nullptr, 0);  // back to the mode stored for the desktop
    sys.showCursor(TRUE);
  }
  if (s.renderingContext) {
    if (!sys.makeCurrent(nullptr, nullptr)) {
      sys.messageBox(nullptr, ReleaseFailedText, ReleaseFailedCaption, MB_OK | MB_ICONINFORMATION);
    }
    sys.deleteContext(s.renderingContext);
    s.renderingContext = nullptr;
  }
  // Forgotten once released, so a second close cannot free another owner's handle.
  if (s.deviceContext) {
    sys.releaseDC(s.window, s.deviceContext);
    s.deviceContext = nullptr;
  }
  if (s.window) {
    sys.destroyWindow(s.window);
    s.window = nullptr;
  }
  sys.unregisterClass(RendererClass, s.instance);
  return true;
}

LRESULT CALLBACK rendererWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Shell& s = shell;
  switch (message) {
    case WM_ACTIVATE:
      // The high word is the minimised flag; active/inactive in the low word does not matter.
      s.windowActive = HIWORD(wParam) == 0;
      return 0;
    case WM_SYSCOMMAND:
      // Neither the system's own screensaver nor monitor power-down while we run. The low
      // four bits are the system's own and must be masked off before comparing.
      if ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_MONITORPOWER) return 0;
      break;
    case WM_CLOSE:
      // Alt+F4 and the close box come here too; closeRendererWindow destroys the window.
      rendererCalls().postQuitMessage(0);
      return 0;
    case WM_KEYDOWN:
      if (wParam < 256) s.keyDown[wParam] = true;
      return 0;
    case WM_KEYUP:
      if (wParam < 256) s.keyDown[wParam] = false;
      return 0;
    case WM_SIZE:
      // Also arrives from inside CreateWindowEx before any GL context: harmless no-ops then.
      s.scene.resize(LOWORD(lParam), HIWORD(lParam));
      return 0;
  }
  return rendererCalls().defWindowProc(window, message, wParam, lParam);
}

bool pumpRendererWindow() {
  RendererSystem& sys = rendererCalls();
  Shell& s = shell;
  MSG msg;
  std::memset(&msg, 0, sizeof msg);
  for (;;) {
    if (sys.peekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        s.exitCode = static_cast<int>(msg.wParam);
        return false;
      }
      sys.translateMessage(&msg);
      sys.dispatchMessage(&msg);
      continue;
    }
    // Never waits: while minimised the loop polls the queue back to back.
    if (!s.windowActive) continue;
    // Looked at only when the queue has run dry, so a press and release handled in the
    // same pass are missed: Escape must be held for a moment. It ends with 0 like a close
    // does; the wParam of whatever message came last (the key's own 27) is no exit status.
    return !s.keyDown[VK_ESCAPE];
  }
}

void swapRendererBuffers() { rendererCalls().swapBuffers(shell.deviceContext); }

int runRendererWindow(const SceneHooks& scene) {
  // The full-screen wish starts true: the display mode is asked for first.
  if (!openRendererWindow(RendererTitle, RendererWidth, RendererHeight, RendererBits, true, scene)) {
    return 0;
  }
  while (pumpRendererWindow()) {
    drawSceneFrame(shell.scene, shell.sceneStarted);
    swapRendererBuffers();
  }
  const int exitCode = shell.exitCode;
  closeRendererWindow();
  return exitCode;
}

bool rendererFullscreen() { return shell.fullscreen; }
bool rendererWindowActive() { return shell.windowActive; }
bool rendererKeyDown(WPARAM key) { return key < 256 && shell.keyDown[key]; }
