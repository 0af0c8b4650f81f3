// Side-by-side costs of the Command window's three kinds of work: a hover-timer tick that
// finds nothing to do (cursor position and window under it), a repaint from the back buffer
// (WM_PAINT), a full recomposition of the face (PaintFace), and the GDI part of that alone
// (gradient and frame pieces into a memory bitmap, no window calls). Rounds alternate so the
// machine's noise hits all three alike; the ratios are the result.
// Run under Wine with a display: wine build/win64/bench/command_bench.exe [iterations]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "host/controls/command.h"
#include "host/controls/face.h"

namespace {

LRESULT CALLBACK containerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

double nanosecondsPer(const std::function<void()>& work, int iterations) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (int i = 0; i < iterations; ++i) work();
  QueryPerformanceCounter(&end);
  return static_cast<double>(end.QuadPart - start.QuadPart) * 1e9 / frequency.QuadPart / iterations;
}

}  // namespace

int main(int argc, char** argv) {
  const int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = containerProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"CommandBenchContainer";
  RegisterClassW(&wc);
  HWND top = CreateWindowExW(0, wc.lpszClassName, L"command bench", WS_POPUP | WS_VISIBLE, 0, 0, 300, 100,
                             nullptr, nullptr, wc.hInstance, nullptr);
  controls::Command* button = controls::createCommand(top, 1, {20, 20, 117, 28, controls::Units::Pixels});
  if (!top || !button) {
    std::fprintf(stderr, "no window\n");
    return 1;
  }
  controls::MemoryPropertyBag bag;
  bag.write(L"Caption", L"設定");
  button->readProperties(bag);
  button->Initialize();
  SetCursorPos(280, 90);  // over the container: every tick checks and finds nothing to do
  HWND hwnd = button->window();

  controls::StateImages images;
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP target = CreateBitmap(117, 28, 1, 32, nullptr);
  HGDIOBJ oldTarget = SelectObject(memory, target);

  const int rounds = 5;
  std::vector<double> tick, repaint, compose, gdiOnly;
  for (int r = 0; r < rounds; ++r) {
    tick.push_back(nanosecondsPer([&] { SendMessageW(hwnd, WM_TIMER, 1, 0); }, iterations));
    repaint.push_back(nanosecondsPer([&] { RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); },
                                     iterations));
    compose.push_back(nanosecondsPer([&] { button->RefreshFace(); }, iterations));
    gdiOnly.push_back(nanosecondsPer(
        [&] {
          controls::composeFace(memory, 117, 28, images.get(controls::FaceImage::Normal), false);
          GdiFlush();
        },
        iterations));
  }
  SelectObject(memory, oldTarget);
  DeleteObject(target);
  DeleteDC(memory);
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  const double t = median(tick), p = median(repaint), c = median(compose), g = median(gdiOnly);
  std::printf("iterations %d x %d rounds (medians)\n", iterations, rounds);
  std::printf("hover tick, nothing to do   %10.0f ns   1.00\n", t);
  std::printf("repaint from back buffer    %10.0f ns   %.2f\n", p, p / t);
  std::printf("face recomposition          %10.0f ns   %.2f\n", c, c / t);
  std::printf("  of which GDI drawing only %10.0f ns   %.2f\n", g, g / t);
  DestroyWindow(top);
  return 0;
}
