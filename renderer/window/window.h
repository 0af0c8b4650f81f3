// The renderer program's shell: display mode, the "Swirlbloom_VC" window with its OpenGL
// context, the window procedure and the frame loop. Windows only (user32, gdi32, opengl32);
// draws through the SceneHooks its open is given. Every system call goes through
// `rendererCalls()` so the tests can replace single calls and watch the order.
#pragma once

#include <windows.h>

#include "common/contract.h"
#include "renderer/scene_hooks.h"

struct RendererSystem {
  decltype(&GetModuleHandleA) getModuleHandle = GetModuleHandleA;
  decltype(&LoadIconA) loadIcon = LoadIconA;
  decltype(&LoadCursorA) loadCursor = LoadCursorA;
  decltype(&RegisterClassA) registerClass = RegisterClassA;
  decltype(&UnregisterClassA) unregisterClass = UnregisterClassA;
  decltype(&ChangeDisplaySettingsA) changeDisplaySettings = ChangeDisplaySettingsA;
  decltype(&ShowCursor) showCursor = ShowCursor;
  decltype(&MessageBoxA) messageBox = MessageBoxA;
  decltype(&AdjustWindowRectEx) adjustWindowRectEx = AdjustWindowRectEx;
  decltype(&CreateWindowExA) createWindowEx = CreateWindowExA;
  decltype(&DestroyWindow) destroyWindow = DestroyWindow;
  decltype(&GetDC) getDC = GetDC;
  decltype(&ReleaseDC) releaseDC = ReleaseDC;
  decltype(&ChoosePixelFormat) choosePixelFormat = ChoosePixelFormat;
  decltype(&SetPixelFormat) setPixelFormat = SetPixelFormat;
  decltype(&wglCreateContext) createContext = wglCreateContext;
  decltype(&wglMakeCurrent) makeCurrent = wglMakeCurrent;
  decltype(&wglDeleteContext) deleteContext = wglDeleteContext;
  decltype(&ShowWindow) showWindow = ShowWindow;
  decltype(&SetForegroundWindow) setForegroundWindow = SetForegroundWindow;
  decltype(&SetFocus) setFocus = SetFocus;
  decltype(&DefWindowProcA) defWindowProc = DefWindowProcA;
  decltype(&PostQuitMessage) postQuitMessage = PostQuitMessage;
  decltype(&PeekMessageA) peekMessage = PeekMessageA;
  decltype(&TranslateMessage) translateMessage = TranslateMessage;
  decltype(&DispatchMessageA) dispatchMessage = DispatchMessageA;
  decltype(&SwapBuffers) swapBuffers = SwapBuffers;
};

// The calls in use, the system's own by default. Tests swap single calls with ScopedSeam.
RendererSystem& rendererCalls();

constexpr const char* RendererTitle = contract::RendererWindowTitle;
constexpr char RendererClass[] = "OpenGL";
constexpr int RendererWidth = SceneWidth;
constexpr int RendererHeight = SceneHeight;
constexpr int RendererBits = 16;

// The four steps every window layer has. Open: the display mode, the window and its current
// GL context, resizing through `scene`; false, having released what it had, when one is
// missing. Pump: handles every waiting message; true when a frame is due (the queue is empty
// and the window not minimised), false once the program is to end (WM_QUIT, or Escape held).
// Run: the program, open, pump and frames until the end, close; returns the exit code.
bool openRendererWindow(const char* title, int width, int height, int bits, bool fullscreen,
                        const SceneHooks& scene);
bool pumpRendererWindow();
void swapRendererBuffers();
int runRendererWindow(const SceneHooks& scene);
bool closeRendererWindow();
LRESULT CALLBACK rendererWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// What the module state holds, for the tests and the bench: the display mode changed, the
// window not minimised, a key held down.
bool rendererFullscreen();
bool rendererWindowActive();
bool rendererKeyDown(WPARAM key);
