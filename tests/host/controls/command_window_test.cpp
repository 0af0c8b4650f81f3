// The Command window under Wine: a test container hosts real buttons, real pointer, focus and
// timer messages drive them (sent messages, SendInput and the real 100 ms timer), and the face
// is read back from the back buffer and from the window's own device context.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "host/controls/command.h"
#include "host/controls/face_rules.h"
#include "host/ui/twips.h"

namespace controls {
namespace {

// ---- the container ----

struct Container {
  HWND top = nullptr;   // one top-level window for the suite (destroying one costs Wine seconds)
  HWND hwnd = nullptr;  // this test's stage, a child filling it
  std::vector<std::pair<int, int>> commands;  // (control id, notification code)
  std::vector<HWND> senders;
};
Container g_container;

LRESULT CALLBACK containerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    g_container.commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
    g_container.senders.push_back(reinterpret_cast<HWND>(lParam));
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void pump(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  } while (GetTickCount() - start < ms);
}

// Pumps until `done` holds; the bound is generous (a shared machine), never a timing claim.
bool pumpUntil(const std::function<bool()>& done, DWORD limitMs = 5000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > limitMs) return false;
    pump(10);
  }
  return true;
}

POINT screenPoint(HWND hwnd, int x, int y) {
  POINT p = {x, y};
  ClientToScreen(hwnd, &p);
  return p;
}

void mouseTo(POINT screen) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof(input));
  SetCursorPos(screen.x, screen.y);
}

void mouseButton(DWORD flags) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof(input));
}

LPARAM at(int x, int y) { return MAKELPARAM(x, y); }

// ---- colours ----

std::uint32_t channelDistance(std::uint32_t a, std::uint32_t b) {
  std::uint32_t worst = 0;
  for (int shift : {0, 8, 16}) {
    const int d = std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    worst = std::max<std::uint32_t>(worst, static_cast<std::uint32_t>(d));
  }
  return worst;
}

std::string hex(std::uint32_t c) {
  char text[8];
  wsprintfA(text, "%06X", c);
  return text;
}

struct Face {
  std::vector<std::uint32_t> px;
  int w = 0, h = 0;
  std::uint32_t at(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
};

Face faceOf(const Command& command) {
  Face f;
  EXPECT_TRUE(command.copyFace(f.px, f.w, f.h));
  return f;
}

// What the window's own device context shows (the screen surface), as 0xRRGGBB.
Face windowPixels(HWND hwnd) {
  Face f;
  RECT rc;
  GetClientRect(hwnd, &rc);
  f.w = rc.right;
  f.h = rc.bottom;
  HDC windowDc = GetDC(hwnd);
  HDC memory = CreateCompatibleDC(windowDc);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = f.w;
  info.bmiHeader.biHeight = -f.h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, f.w, f.h, windowDc, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* p = static_cast<const std::uint32_t*>(bits);
  f.px.assign(p, p + static_cast<size_t>(f.w) * f.h);
  for (auto& v : f.px) v &= 0x00FFFFFF;
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(hwnd, windowDc);
  return f;
}

// The frame-colour table: strips from the outer edge inwards; side strips at the top and the
// bottom of the side edge (the inner pair shades between them).
struct FrameColours {
  FaceImage image;
  std::uint32_t top[4], bottom[4];
  std::uint32_t leftTop[4], leftBottom[4], rightTop[4], rightBottom[4];
};

const FrameColours Table[] = {
    {FaceImage::Normal, {0xDCD6C2, 0x003C74, 0xF3F3EE, 0xF3F3EE}, {0xFAFAF6, 0x003C74, 0xD6D0C5, 0xE2DFD6},
     {0xE2DECB, 0x003C74, 0xF4F4F0, 0xF4F4F0}, {0xE2DECB, 0x003C74, 0xECEBE6, 0xECEBE6},
     {0xF0EEE0, 0x003C74, 0xE8E5DF, 0xEEEDE7}, {0xF0EEE0, 0x003C74, 0xE8E5DF, 0xEEEDE7}},
    {FaceImage::HighLight, {0xDCD6C2, 0x003C74, 0xFFF0CF, 0xFDD889}, {0xFAFAF6, 0x003C74, 0xE59700, 0xF8B330},
     {0xE2DECB, 0x003C74, 0xFEDF9A, 0xFCD279}, {0xE2DECB, 0x003C74, 0xF9B435, 0xF8B535},
     {0xF0EEE0, 0x003C74, 0xFEDF9A, 0xFCD279}, {0xF0EEE0, 0x003C74, 0xF9B435, 0xF8B535}},
    {FaceImage::HighLightSelect, {0xDCD6C2, 0x003C74, 0xFFF0CF, 0xFDD889}, {0xFAFAF6, 0x003C74, 0xE59700, 0xF8B330},
     {0xE2DECB, 0x003C74, 0xFEDF9A, 0xFCD279}, {0xE2DECB, 0x003C74, 0xF9B435, 0xF8B535},
     {0xF0EEE0, 0x003C74, 0xFEDF9A, 0xFCD279}, {0xF0EEE0, 0x003C74, 0xF9B435, 0xF8B535}},
    {FaceImage::Selected, {0xDCD6C2, 0x003C74, 0xCEE7FF, 0xCEE7FF}, {0xFAFAF6, 0x003C74, 0x6982EE, 0x6982EE},
     {0xE2DECB, 0x003C74, 0xB7D0F4, 0xB7D0F4}, {0xE2DECB, 0x003C74, 0x8BADE4, 0x8BADE4},
     {0xF0EEE0, 0x003C74, 0xB7D0F4, 0xB7D0F4}, {0xF0EEE0, 0x003C74, 0x8BADE4, 0x8BADE4}},
    {FaceImage::Pressed, {0xECE9D8, 0xDCD6C2, 0x003C74, 0xD1CCC1}, {0xECE9D8, 0xFAFAF6, 0x003C74, 0xF2F1EE},
     {0xECE9D8, 0xE2DECB, 0x003C74, 0xD7D4CB}, {0xECE9D8, 0xE2DECB, 0x003C74, 0xD7D4CB},
     {0xECE9D8, 0xF0EEE0, 0x003C74, 0xE4E3DC}, {0xECE9D8, 0xF0EEE0, 0x003C74, 0xE4E3DC}},
    {FaceImage::Disable, {0xECE9D8, 0xC9C7BA, 0xF5F4EA, 0xF5F4EA}, {0xECE9D8, 0xC9C7BA, 0xF5F4EA, 0xF5F4EA},
     {0xECE9D8, 0xC9C7BA, 0xF5F4EA, 0xF5F4EA}, {0xECE9D8, 0xC9C7BA, 0xF5F4EA, 0xF5F4EA},
     {0xECE9D8, 0xC9C7BA, 0xF5F4EA, 0xF5F4EA}, {0xECE9D8, 0xC9C7BA, 0xF5F4EA, 0xF5F4EA}},
};

const FrameColours& colours(FaceImage image) {
  for (const auto& c : Table) {
    if (c.image == image) return c;
  }
  return Table[0];
}

// Checks the frame of `face` against the table: the strips at the face's rows and columns.
void expectFrame(const Face& f, FaceImage image) {
  const FrameColours& c = colours(image);
  SCOPED_TRACE(std::string("image ") + std::to_string(static_cast<int>(image)));
  for (int d = 0; d < 4; ++d) {
    for (int x : {4, f.w / 2, f.w - 5}) {
      EXPECT_EQ(hex(f.at(x, d)), hex(c.top[d])) << "top x=" << x << " row " << d;
      EXPECT_EQ(hex(f.at(x, f.h - 1 - d)), hex(c.bottom[d])) << "bottom x=" << x << " depth " << d;
    }
    EXPECT_EQ(hex(f.at(d, 4)), hex(c.leftTop[d])) << "left depth " << d;
    EXPECT_EQ(hex(f.at(d, f.h - 5)), hex(c.leftBottom[d])) << "left depth " << d;
    EXPECT_EQ(hex(f.at(f.w - 1 - d, 4)), hex(c.rightTop[d])) << "right depth " << d;
    EXPECT_EQ(hex(f.at(f.w - 1 - d, f.h - 5)), hex(c.rightBottom[d])) << "right depth " << d;
  }
}

// Gradient of the interior at column x: row y of a face h high is the linear mix of the two
// ends at y / (h - 1).
void expectGradient(const Face& f, bool inverted) {
  const std::uint32_t white = 0xFFFFFF, grey = 0xC6C5D7;
  const std::uint32_t top = inverted ? grey : white, bottom = inverted ? white : grey;
  auto mix = [&](int y) {
    std::uint32_t out = 0;
    for (int shift : {0, 8, 16}) {
      const double a = (top >> shift) & 0xFF, b = (bottom >> shift) & 0xFF;
      out |= static_cast<std::uint32_t>(a + (b - a) * y / (f.h - 1) + 0.5) << shift;
    }
    return out;
  };
  const int x = f.w / 2;
  for (int y : {4, f.h / 2, f.h - 5}) {
    EXPECT_LE(channelDistance(f.at(x, y), mix(y)), 3u) << "row " << y << " " << hex(f.at(x, y)) << " want " << hex(mix(y));
  }
}

// ---- fixture ----

class CommandWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = containerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"CommandTestContainer";
    RegisterClassW(&wc);
    ASSERT_TRUE(registerCommandClass(GetModuleHandleW(nullptr)));
    g_container.top = CreateWindowExW(0, L"CommandTestContainer", L"command test", WS_POPUP | WS_VISIBLE, 100,
                                      100, 400, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(g_container.top);
    SetForegroundWindow(g_container.top);
    pump(50);
  }

  static void TearDownTestSuite() { DestroyWindow(g_container.top); }

  void SetUp() override {
    ASSERT_TRUE(g_container.top);
    g_container.commands.clear();
    g_container.senders.clear();
    g_container.hwnd = CreateWindowExW(0, L"CommandTestContainer", L"", WS_CHILD | WS_VISIBLE, 0, 0, 400, 200,
                                       g_container.top, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(g_container.hwnd);
    SetForegroundWindow(g_container.top);
    SetFocus(g_container.hwnd);
    pump(30);
  }

  void TearDown() override {
    if (GetCapture()) ReleaseCapture();
    DestroyWindow(g_container.hwnd);
    pump(20);
  }

  // A button as the dialog makes one: created, loaded from its bag, initialised.
  Command* place(int id, int x, int y, int w = 117, int h = 28, HWND parent = nullptr) {
    Command* c = createCommand(parent ? parent : g_container.hwnd, id, {x, y, w, h, Units::Pixels});
    EXPECT_TRUE(c);
    if (!c) return nullptr;
    MemoryPropertyBag bag;
    bag.write(L"Caption", L"Command1");
    c->readProperties(bag);
    c->Initialize();
    pump(20);
    return c;
  }

  int clicks(int id) const {
    int n = 0;
    for (const auto& cmd : g_container.commands) n += cmd.first == id && cmd.second == CommandClickCode;
    return n;
  }
};

// ---- faces ----

TEST_F(CommandWindow, DefaultSizeFromTwipsAndItsLayout) {
  Command* c = createCommand(g_container.hwnd, 7, {300, 300, DefaultWidthTwips, DefaultHeightTwips});
  ASSERT_TRUE(c);
  RECT rc;
  GetClientRect(c->window(), &rc);
  EXPECT_EQ(rc.right, ui::twipsToPixelsX(1755));
  EXPECT_EQ(rc.bottom, ui::twipsToPixelsY(420));
  if (ui::twipsPerPixelX() != 15 || ui::twipsPerPixelY() != 15) GTEST_SKIP() << "screen is not at 96 dpi";
  ASSERT_EQ(rc.right, 117);
  ASSERT_EQ(rc.bottom, 28);

  c->readProperties(MemoryPropertyBag{});
  const Face f = faceOf(*c);
  ASSERT_EQ(f.w, 117);
  ASSERT_EQ(f.h, 28);
  // Corners 1:1 at their places, with the rounded border's blends.
  EXPECT_EQ(hex(f.at(1, 1)), "7A95A8");
  EXPECT_EQ(hex(f.at(2, 1)), "255783");
  EXPECT_EQ(hex(f.at(115, 1)), "7A95A8");
  EXPECT_EQ(hex(f.at(114, 1)), "255783");
  EXPECT_EQ(hex(f.at(1, 26)), "7A95A8");
  EXPECT_EQ(hex(f.at(1, 25)), "255783");
  EXPECT_EQ(hex(f.at(115, 26)), "7A95A8");
  EXPECT_EQ(hex(f.at(115, 25)), "255783");
  // The top and bottom edges run over x 4..112 (109 px) and the side edges over y 4..23
  // (20 px): the dark border line is unbroken there, and the interior starts right inside.
  for (int x = 3; x <= 113; ++x) {
    ASSERT_EQ(hex(f.at(x, 1)), "003C74") << x;
    ASSERT_EQ(hex(f.at(x, 26)), "003C74") << x;
  }
  for (int y = 3; y <= 24; ++y) {
    ASSERT_EQ(hex(f.at(1, y)), "003C74") << y;
    ASSERT_EQ(hex(f.at(115, y)), "003C74") << y;
  }
  EXPECT_EQ(hex(f.at(0, 14)), "E2DECB");
  EXPECT_EQ(hex(f.at(116, 14)), "F0EEE0");
  expectFrame(f, FaceImage::Normal);
  expectGradient(f, false);
}

TEST_F(CommandWindow, CaptionSitsOnTheFaceAboutSevenPixelsDown) {
  Command* c = place(1, 20, 20);
  c->setFont({L"ＭＳ Ｐゴシック", 9.75, 400, false, false, false, 128});
  c->setCaption(L"設定");
  const RECT caption = c->captionRect();
  EXPECT_EQ(caption.left, 0);
  EXPECT_EQ(caption.right, 117);
  const int lineHeight = caption.bottom - caption.top;
  EXPECT_EQ(caption.top, captionTop(28, lineHeight, ui::twipsPerPixelY()));
  EXPECT_NEAR(caption.top, 7, 1) << "line height " << lineHeight;

  // The caption is drawn over the face: black text pixels inside its rectangle only.
  UpdateWindow(c->window());
  pump(30);
  const Face shown = windowPixels(c->window());
  const Face face = faceOf(*c);
  int dark = 0;
  for (int y = 0; y < shown.h; ++y) {
    for (int x = 0; x < shown.w; ++x) {
      if (shown.at(x, y) == face.at(x, y)) continue;
      EXPECT_TRUE(y >= caption.top && y < caption.bottom) << x << "," << y;
      if (channelDistance(shown.at(x, y), 0) < 0x60) ++dark;
    }
  }
  EXPECT_GT(dark, 10);
  // Outside the caption, the screen shows the back buffer exactly.
  expectFrame(shown, FaceImage::Normal);
}

TEST_F(CommandWindow, EveryStateDrivenByRealMessagesPaintsItsImage) {
  Command* other = place(2, 200, 20);
  Command* c = place(1, 20, 20);
  HWND b = c->window();
  struct Step {
    const char* name;
    std::function<void()> act;
    ButtonState state;
    FaceImage image;
    int gradient;  // 0 white top, 1 grey top, -1 not checked (no gradient visible under Pressed? it is)
  };
  const Step steps[] = {
      {"loaded", [] {}, ButtonState::Normal, FaceImage::Normal, 0},
      {"pointer over", [&] { SendMessageW(b, WM_MOUSEMOVE, 0, at(30, 10)); }, ButtonState::HighLight,
       FaceImage::HighLight, 1},
      {"focus while hovered", [&] { SetFocus(b); }, ButtonState::HighLightSelect, FaceImage::Pressed, 1},
      {"press", [&] { SendMessageW(b, WM_LBUTTONDOWN, MK_LBUTTON, at(30, 10)); }, ButtonState::HighLightSelect,
       FaceImage::Pressed, 1},
      {"release", [&] { SendMessageW(b, WM_LBUTTONUP, 0, at(30, 10)); }, ButtonState::HighLightSelect,
       FaceImage::HighLightSelect, 1},
      {"focus away", [&] { SetFocus(other->window()); }, ButtonState::Normal, FaceImage::Normal, 0},
      {"keyboard focus", [&] { SetFocus(b); }, ButtonState::Selected, FaceImage::Selected, 0},
      {"disabled", [&] { c->setEnabled(false); }, ButtonState::Selected, FaceImage::Disable, 0},
      {"enabled", [&] { c->setEnabled(true); }, ButtonState::Selected, FaceImage::Normal, 0},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    s.act();
    EXPECT_EQ(c->core().members().State, s.state);
    EXPECT_EQ(c->core().lastImage(), s.image);
    const Face f = faceOf(*c);
    expectFrame(f, s.image);
    expectGradient(f, s.gradient == 1);
    // and the screen shows it
    UpdateWindow(b);
    expectFrame(windowPixels(b), s.image);
  }
  EXPECT_EQ(clicks(1), 1);
}

TEST_F(CommandWindow, DisabledButtonGreysItsCaptionAndIgnoresInput) {
  Command* c = place(1, 20, 20);
  c->setEnabled(false);
  HWND b = c->window();
  SendMessageW(b, WM_MOUSEMOVE, 0, at(30, 10));
  SendMessageW(b, WM_LBUTTONDOWN, MK_LBUTTON, at(30, 10));
  SendMessageW(b, WM_LBUTTONUP, 0, at(30, 10));
  SendMessageW(b, WM_RBUTTONDOWN, MK_RBUTTON, at(30, 10));
  SendMessageW(b, WM_RBUTTONUP, 0, at(30, 10));
  EXPECT_EQ(GetFocus(), b);  // it still takes the focus
  EXPECT_EQ(c->core().members().State, ButtonState::Normal);
  EXPECT_EQ(c->core().lastImage(), FaceImage::Disable);
  EXPECT_EQ(clicks(1), 0);
  EXPECT_EQ(GetCapture(), nullptr);
  UpdateWindow(b);
  const Face shown = windowPixels(b);
  expectFrame(shown, FaceImage::Disable);
  // Disabled text: grey, with no black pixel.
  int grey = 0;
  const RECT caption = c->captionRect();
  for (int y = caption.top; y < caption.bottom; ++y) {
    for (int x = 0; x < shown.w; ++x) {
      EXPECT_GT(channelDistance(shown.at(x, y), 0), 0x40u) << x << "," << y;
      if (channelDistance(shown.at(x, y), GetSysColor(COLOR_GRAYTEXT) & 0xFFFFFF) < 8) ++grey;
    }
  }
  EXPECT_GT(grey, 5);
}

// ---- the Click rule with real input ----

TEST_F(CommandWindow, RealPointerHoverLeaveAndClick) {
  Command* c = place(1, 20, 20);
  HWND b = c->window();
  mouseTo(screenPoint(g_container.hwnd, 300, 150));
  pump(150);
  mouseTo(screenPoint(b, 50, 14));
  ASSERT_TRUE(pumpUntil([&] { return c->core().members().State == ButtonState::HighLight; }));
  EXPECT_EQ(c->core().lastImage(), FaceImage::HighLight);
  pump(250);  // timer ticks with the pointer over the button change nothing
  EXPECT_EQ(c->core().members().State, ButtonState::HighLight);

  // Leaving: no message reaches the button; its timer notices.
  mouseTo(screenPoint(g_container.hwnd, 300, 150));
  ASSERT_TRUE(pumpUntil([&] { return c->core().members().State == ButtonState::Normal; }));
  EXPECT_EQ(c->core().lastImage(), FaceImage::Normal);

  // Click from hover: press and release over the button.
  mouseTo(screenPoint(b, 50, 14));
  ASSERT_TRUE(pumpUntil([&] { return c->core().members().State == ButtonState::HighLight; }));
  mouseButton(MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(pumpUntil([&] { return c->core().members().ButtonHeld; }));
  EXPECT_EQ(GetFocus(), b);
  EXPECT_EQ(c->core().members().State, ButtonState::HighLightSelect);
  EXPECT_EQ(c->core().lastImage(), FaceImage::Pressed);
  mouseButton(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(pumpUntil([&] { return clicks(1) == 1; }));
  EXPECT_EQ(c->core().lastImage(), FaceImage::HighLightSelect);
  EXPECT_EQ(g_container.senders.back(), b);

  // Drag off, let the timer notice, release outside: no Click.
  mouseButton(MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(pumpUntil([&] { return c->core().members().ButtonHeld; }));
  mouseTo(screenPoint(g_container.hwnd, 300, 150));
  ASSERT_TRUE(pumpUntil([&] { return c->core().members().State == ButtonState::Selected; }));
  mouseButton(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(pumpUntil([&] { return !c->core().members().ButtonHeld; }));
  pump(50);
  EXPECT_EQ(clicks(1), 1);
  EXPECT_EQ(GetCapture(), nullptr);

  // Drag off and back while holding, release over the button: still no Click.
  mouseTo(screenPoint(b, 50, 14));
  ASSERT_TRUE(pumpUntil([&] { return c->core().members().State == ButtonState::HighLightSelect; }));
  mouseButton(MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(pumpUntil([&] { return c->core().members().ButtonHeld; }));
  mouseTo(screenPoint(g_container.hwnd, 300, 150));
  ASSERT_TRUE(pumpUntil([&] { return c->core().members().State == ButtonState::Selected; }));
  mouseTo(screenPoint(b, 50, 14));
  pump(250);
  EXPECT_EQ(c->core().members().State, ButtonState::Selected);
  mouseButton(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(pumpUntil([&] { return !c->core().members().ButtonHeld; }));
  pump(50);
  EXPECT_EQ(clicks(1), 1);

  // The next move over it ends Selected (the system's own move after the capture ends may
  // already have been that move).
  mouseTo(screenPoint(b, 52, 15));
  ASSERT_TRUE(pumpUntil([&] { return c->core().members().State == ButtonState::HighLightSelect; }));

  // Right button over the hovered button clicks, without painting Pressed.
  mouseButton(MOUSEEVENTF_RIGHTDOWN);
  pump(50);
  EXPECT_EQ(c->core().lastImage(), FaceImage::HighLightSelect);
  mouseButton(MOUSEEVENTF_RIGHTUP);
  ASSERT_TRUE(pumpUntil([&] { return clicks(1) == 2; }));
  mouseTo(screenPoint(g_container.hwnd, 300, 150));
  pump(50);
}

TEST_F(CommandWindow, ReleaseBeforeTheTimerNoticesStillClicks) {
  Command* c = place(1, 20, 20);
  HWND b = c->window();
  SendMessageW(b, WM_MOUSEMOVE, 0, at(30, 10));
  SendMessageW(b, WM_LBUTTONDOWN, MK_LBUTTON, at(30, 10));
  EXPECT_EQ(GetCapture(), b);
  // Captured moves outside the face reach the button but change nothing.
  SendMessageW(b, WM_MOUSEMOVE, MK_LBUTTON, at(-40, 90));
  SendMessageW(b, WM_LBUTTONUP, 0, at(-40, 90));  // no message pumped: no timer tick yet
  EXPECT_EQ(clicks(1), 1);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(CommandWindow, ReleaseWithoutPressHereDoesNotClick) {
  Command* c = place(1, 20, 20);
  HWND b = c->window();
  SendMessageW(b, WM_MOUSEMOVE, 0, at(30, 10));
  SendMessageW(b, WM_LBUTTONUP, 0, at(30, 10));
  SendMessageW(b, WM_RBUTTONUP, 0, at(30, 10));
  EXPECT_EQ(clicks(1), 0);
  // Capture taken by another window while pressed: the late release does not count.
  SendMessageW(b, WM_LBUTTONDOWN, MK_LBUTTON, at(30, 10));
  SetCapture(g_container.hwnd);
  ReleaseCapture();
  SendMessageW(b, WM_LBUTTONUP, 0, at(30, 10));
  EXPECT_EQ(clicks(1), 0);
  EXPECT_FALSE(c->core().members().ButtonHeld);
}

// ---- three buttons, a panel, handlers ----

TEST_F(CommandWindow, ThreeButtonsOnAWindowAndAPanelClickIndependently) {
  HWND panel = CreateWindowExW(0, L"CommandTestContainer", L"", WS_CHILD | WS_VISIBLE, 10, 60, 300, 100,
                               g_container.hwnd, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(panel);
  Command* file = place(11, 28, 10, 41, 21, panel);
  Command* set = place(12, 200, 20, 77, 25);
  Command* cancel = place(13, 290, 20, 77, 25);
  ASSERT_TRUE(file && set && cancel);
  file->setNotifyWindow(g_container.hwnd);
  for (Command* c : {file, set, cancel}) {
    SendMessageW(c->window(), WM_MOUSEMOVE, 0, at(5, 5));
    SendMessageW(c->window(), WM_LBUTTONDOWN, MK_LBUTTON, at(5, 5));
    SendMessageW(c->window(), WM_LBUTTONUP, 0, at(5, 5));
  }
  EXPECT_EQ(clicks(11), 1);
  EXPECT_EQ(clicks(12), 1);
  EXPECT_EQ(clicks(13), 1);
  // Only the last one keeps the focus; the others went back to Normal.
  EXPECT_EQ(cancel->core().members().State, ButtonState::HighLightSelect);
  EXPECT_EQ(set->core().members().State, ButtonState::Normal);
  EXPECT_EQ(file->core().members().State, ButtonState::Normal);
  const Face small = faceOf(*file);
  EXPECT_EQ(small.w, 41);
  EXPECT_EQ(small.h, 21);
  expectFrame(small, FaceImage::Normal);
}

TEST_F(CommandWindow, ClickHandlerMayDestroyTheButton) {
  Command* c = place(1, 20, 20);
  HWND b = c->window();
  std::vector<std::wstring> changes;
  c->setChangeHandler([&](Command&, const std::wstring& name) { changes.push_back(name); });
  c->setCaption(L"ｷｬﾝｾﾙ");
  c->setFontColour(0x0000FF);
  EXPECT_EQ(changes, (std::vector<std::wstring>{L"Caption", L"FontColour"}));
  int handled = 0;
  c->setClickHandler([&](Command& self) {
    ++handled;
    DestroyWindow(self.window());
  });
  SendMessageW(b, WM_MOUSEMOVE, 0, at(30, 10));
  SendMessageW(b, WM_LBUTTONDOWN, MK_LBUTTON, at(30, 10));
  SendMessageW(b, WM_LBUTTONUP, 0, at(30, 10));
  EXPECT_EQ(handled, 1);
  EXPECT_FALSE(IsWindow(b));
  EXPECT_EQ(clicks(1), 0);  // the handler took the Click instead of WM_COMMAND
  pump(150);
}

TEST_F(CommandWindow, TransparentFaceLeavesOnlyTheCaption) {
  Command* c = place(1, 20, 20);
  HWND b = c->window();
  c->setVisible(0);
  EXPECT_EQ(c->Visible(), 0);
  pump(30);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(b, region), ERROR);
  RECT box;
  ASSERT_NE(GetRgnBox(region, &box), NULLREGION);
  const RECT caption = c->captionRect();
  EXPECT_GE(box.top, caption.top);
  EXPECT_LE(box.bottom, caption.bottom + 1);
  EXPECT_FALSE(PtInRegion(region, 1, 1));
  DeleteObject(region);
  // Pointer input outside the caption goes to the container.
  EXPECT_EQ(WindowFromPoint(screenPoint(b, 2, 2)), g_container.hwnd);
  EXPECT_EQ(WindowFromPoint(screenPoint(b, 110, 25)), g_container.hwnd);

  c->setVisible(255);
  EXPECT_EQ(c->Visible(), 255);
  region = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(b, region), ERROR);  // no region any more
  DeleteObject(region);
  EXPECT_EQ(WindowFromPoint(screenPoint(b, 2, 2)), b);
  EXPECT_EQ(c->core().lastImage(), FaceImage::Normal);
}

TEST_F(CommandWindow, ResizeRepaintsNormalAndKeepsTheState) {
  Command* c = place(1, 20, 20);
  HWND b = c->window();
  SendMessageW(b, WM_MOUSEMOVE, 0, at(30, 10));
  SetFocus(b);
  ASSERT_EQ(c->core().members().State, ButtonState::HighLightSelect);
  SetWindowPos(b, nullptr, 0, 0, 150, 40, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(c->core().members().State, ButtonState::HighLightSelect);
  const Face f = faceOf(*c);
  ASSERT_EQ(f.w, 150);
  ASSERT_EQ(f.h, 40);
  expectFrame(f, FaceImage::Normal);
  expectGradient(f, true);  // the state still says hovered
  EXPECT_NEAR(c->captionRect().top, captionTop(40, c->captionRect().bottom - c->captionRect().top, ui::twipsPerPixelY()), 0);

  // Tiny faces: no crash, corners only.
  SetWindowPos(b, nullptr, 0, 0, 6, 5, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const Face tiny = faceOf(*c);
  EXPECT_EQ(tiny.w, 6);
  SetWindowPos(b, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  pump(20);
  std::vector<std::uint32_t> none;
  int w = 0, h = 0;
  EXPECT_FALSE(c->copyFace(none, w, h));
}

TEST_F(CommandWindow, PropertiesRoundTripThroughTheWindow) {
  Command* a = place(1, 20, 20);
  a->setCaption(L"設定");
  a->setFont({L"ＭＳ Ｐゴシック", 9.75, 400, false, false, false, 128});
  a->setFontColour(0x00112233);
  MemoryPropertyBag bag;
  a->writeProperties(bag);
  Command* b = createCommand(g_container.hwnd, 2, {200, 20, 117, 28, Units::Pixels});
  b->readProperties(bag);
  EXPECT_EQ(b->Caption(), L"設定");
  EXPECT_EQ(b->Font(), a->Font());
  EXPECT_EQ(b->FontColour(), 0x00112233u);
  EXPECT_TRUE(b->Enabled());
}

}  // namespace
}  // namespace controls
