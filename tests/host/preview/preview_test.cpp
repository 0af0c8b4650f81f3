// The preview for real under Wine: started by the start routine into a pane of several sizes
// and styles, its still read back from the screen, and its end when the pane goes.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>

#include "host/preview/preview.h"
#include "host/start/start.h"

#include "tests/host/support/support.h"

namespace preview {

namespace {

// What the image control shows: the distinct colours and the share of near-black pixels, read
// back from the window's own surface.
struct Shown {
  size_t colours;
  double dark;
  double grey;  // the form's background showing where the picture does not reach
};

Shown shownIn(HWND hwnd, int width, int height) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  HDC window = GetDC(hwnd);
  HDC memory = CreateCompatibleDC(window);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP target = CreateDIBSection(window, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, target);
  BitBlt(memory, 0, 0, width, height, window, 0, 0, SRCCOPY);
  GdiFlush();
  std::set<uint32_t> colours;
  size_t dark = 0, grey = 0;
  const uint32_t* pixels = static_cast<const uint32_t*>(bits);
  for (int i = 0; i < width * height; ++i) {
    const uint32_t p = pixels[i] & 0xFFFFFF;
    colours.insert(p);
    const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    if (r + g + b < 45) ++dark;
    if (p == 0xC0C0C0) ++grey;
  }
  SelectObject(memory, old);
  DeleteObject(target);
  DeleteDC(memory);
  ReleaseDC(hwnd, window);
  const double all = static_cast<double>(width) * height;
  return {colours.size(), dark / all, grey / all};
}

TEST(StartProgram, PreviewCoversThePaneAndEndsWithIt) {
  struct PaneCase {
    DWORD style;
    int width, height;
  };
  for (const PaneCase& c : {PaneCase{WS_POPUP | WS_VISIBLE, 152, 112}, PaneCase{WS_OVERLAPPEDWINDOW | WS_VISIBLE, 152, 112},
                            PaneCase{WS_POPUP | WS_VISIBLE, 456, 336}}) {
    const DWORD style = c.style;
    const HWND pane = support::makeWindow("Pomarel test pane", style, c.width, c.height);
    ASSERT_NE(pane, nullptr);
    const int before = support::cursorCount();
    const std::wstring arguments = L"/p " + std::to_wstring(reinterpret_cast<intptr_t>(pane));
    ASSERT_EQ(start::startProgram(arguments), start::AfterStart::RunPreview);
    PreviewWindow& preview = *start::startModule().Swirlbloom_R;
    ASSERT_TRUE(preview.loaded());
    // WS_CHILD joins the form's WS_POPUP, so GetParent would name the (absent) owner.
    EXPECT_EQ(GetAncestor(preview.hwnd(), GA_PARENT), pane);
    EXPECT_TRUE(GetWindowLongA(preview.hwnd(), GWL_STYLE) & WS_CHILD);
    EXPECT_TRUE(IsWindowVisible(preview.hwnd()));
    RECT rect = {};
    GetWindowRect(preview.hwnd(), &rect);
    MapWindowPoints(nullptr, pane, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, c.width);
    EXPECT_EQ(rect.bottom, c.height);
    RECT image = {};
    GetClientRect(preview.Img_Prev.hwnd(), &image);
    EXPECT_EQ(image.right, c.width);
    EXPECT_EQ(image.bottom, c.height);
    EXPECT_NE(preview.Img_Prev.picture(), nullptr);
    const int perPixel = 1440 / GetDeviceCaps(GetDC(nullptr), LOGPIXELSX);
    EXPECT_EQ(start::startModule().PreviewRect.width, c.width * perPixel);
    EXPECT_EQ(start::startModule().PreviewRect.height, c.height * perPixel);
    // The still, stretched over the whole pane: confetti on black, no grey form showing.
    const Shown shown = shownIn(preview.Img_Prev.hwnd(), c.width, c.height);
    EXPECT_GT(shown.colours, 40u);
    EXPECT_GT(shown.dark, 0.5);
    EXPECT_EQ(shown.grey, 0.0);

    DestroyWindow(pane);
    EXPECT_EQ(start::runMessageLoop(), 0);
    EXPECT_FALSE(preview.loaded());
    EXPECT_EQ(support::cursorCount(), before);
  }
}

// A pane in another process takes its children along only if the system does so across
// processes, and under Wine it goes without a message to this one: the program's loop watches
// the pane and ends the instance either way. Here the preview is taken out of the pane first,
// so only the watch can notice.
HWND watchedPane = nullptr;
bool paneDestroyed = false;
void CALLBACK destroyPane(HWND, UINT, UINT_PTR, DWORD) {
  if (!paneDestroyed) DestroyWindow(watchedPane);
  paneDestroyed = true;
}

TEST(StartProgram, PreviewEndsOnceThePaneIsGoneEvenWhereItsWindowSurvives) {
  const HWND pane = watchedPane = support::makeWindow("Pomarel test pane", WS_POPUP | WS_VISIBLE, 152, 112);
  ASSERT_EQ(start::startProgram(L"/p " + std::to_wstring(reinterpret_cast<intptr_t>(pane))), start::AfterStart::RunPreview);
  PreviewWindow& preview = *start::startModule().Swirlbloom_R;
  SetParent(preview.hwnd(), nullptr);
  // The pane goes only after the loop has run for a while with it there.
  paneDestroyed = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 600, destroyPane);
  std::atomic<bool> returned{false}, rescued{false};
  const DWORD loopThread = GetCurrentThreadId();
  std::thread rescuer([&] {  // a watch that fails would leave the loop waiting for ever
    for (int i = 0; i < 1000 && !returned; ++i) Sleep(10);
    if (!returned) {
      rescued = true;
      PostThreadMessageW(loopThread, WM_QUIT, 0, 0);
    }
  });
  EXPECT_EQ(start::runMessageLoop(), 0);
  returned = true;
  rescuer.join();
  KillTimer(nullptr, timer);
  EXPECT_TRUE(paneDestroyed) << "the loop ended while the pane was there";
  EXPECT_FALSE(rescued) << "the loop did not notice the pane had gone";
  preview.unload();
  MSG quit;
  while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

}  // namespace

}  // namespace preview
