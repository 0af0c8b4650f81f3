// The renderer program's shell: display mode, the "Swirlbloom_VC" window with its OpenGL
// context, the window procedure and the frame loop. Windows only (user32, gdi32, opengl32);
// draws through the SceneHooks main.cpp hands it. Every system call goes through
// `rendererCalls()` so the tests can replace single calls and watch the order.
#pragma once

#include <windows.h>

#include "common/contract.h"
#include "renderer/scene_hooks.h"

struct RendererSystem {
  decltype(&GetModuleHandleA) getModuleHandle = GetModuleHandleA;
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

// Module-level state; handles are null while not held.
struct RendererWindowState {
  bool fullscreen = true;    // the display mode was (or is to be) changed
  bool windowActive = true;  // not minimised: frames are drawn only then
  bool keyDown[256] = {};    // by virtual-key code
  HINSTANCE instance = nullptr;
  HWND window = nullptr;
  HDC deviceContext = nullptr;
  HGLRC renderingContext = nullptr;
  SceneHooks scene;  // what runRenderer was given; the window procedure resizes through it
};

// The calls in use, the system's own by default. Tests swap single calls with ScopedSeam.
RendererSystem& rendererCalls();
extern RendererWindowState rendererWindow;

constexpr const char* RendererTitle = contract::RendererWindowTitle;
constexpr char RendererClass[] = "OpenGL";
constexpr int RendererWidth = 1024;
constexpr int RendererHeight = 768;
constexpr int RendererBits = 16;

bool openRendererWindow(const char* title, int width, int height, int bits, bool fullscreen);
bool closeRendererWindow();
LRESULT CALLBACK rendererWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The program: open, loop until WM_QUIT or a held Escape, close. Returns the exit code.
int runRenderer(const SceneHooks& scene);
