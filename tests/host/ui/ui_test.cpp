// The host's window layer for real under Wine: a form's timers, load and unload, its class
// brush, the process start of a program named .dll with its show mode, the system's JPEG
// decoder on the preview still and on garbage, and fonts made from and read back as a look.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/ui/font.h"
#include "host/ui/form.h"
#include "host/ui/picture.h"
#include "host/ui/process.h"

#include "tests/host/support/support.h"

namespace {

class TickingForm : public ui::Form {
 public:
  TickingForm() : ui::Form("PomarelTestTicking"), fast(*this, 7, 30), never(*this, 8, 40, false) {}
  ui::Timer fast;
  ui::Timer never;
  int ticks = 0;
  int neverTicks = 0;
  int loads = 0;
  int unloads = 0;
  int lastWidth = -1;

 protected:
  void onLoad() override { ++loads; }
  void onUnload() override { ++unloads; }
  void onResize(int width, int) override { lastWidth = width; }
  void onTimer(ui::Timer& timer) override {
    if (&timer == &fast && ++ticks == 3) fast.setEnabled(false);
    if (&timer == &never) ++neverTicks;
  }
};

TEST(Form, TimersTickUntilSwitchedOffAndUnloadRunsOnce) {
  TickingForm form;
  form.fast.setEnabled(true);  // switched on before the window exists
  ui::FormLook look;
  look.caption = L"Pomarel timer test";
  look.width = 100;
  look.height = 50;
  ASSERT_TRUE(form.load(look));
  EXPECT_EQ(form.loads, 1);
  EXPECT_FALSE(IsWindowVisible(form.hwnd()));
  EXPECT_TRUE(support::pumpUntil([&] { return form.ticks >= 3; }));
  support::pumpUntil([] { return false; }, 0.3);
  EXPECT_EQ(form.ticks, 3);  // no tick once switched off
  EXPECT_EQ(form.neverTicks, 0);
  form.move(0, 0, 120, 60);
  EXPECT_EQ(form.lastWidth, 120);
  // Destroyed from outside, as the system or another program would.
  SendMessageA(form.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(form.loaded());
  form.unload();
  EXPECT_EQ(form.unloads, 1);
}

TEST(Form, ASecondFormOfTheClassPaintsWithALiveBrush) {
  ui::FormLook look;
  look.caption = L"Pomarel brush test";
  look.colour = RGB(10, 20, 30);
  look.width = 40;
  look.height = 30;
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ui::Form form("PomarelTestOwnBrush");
    ASSERT_TRUE(form.load(look));
    const auto brush = reinterpret_cast<HGDIOBJ>(GetClassLongPtrA(form.hwnd(), GCLP_HBRBACKGROUND));
    EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH)) << "the class brush was deleted";
    LOGBRUSH logical = {};
    GetObject(brush, sizeof logical, &logical);
    EXPECT_EQ(logical.lbColor, RGB(10, 20, 30));
  }
}

TEST(Process, StartsAProgramNamedDllWithTheGivenShowMode) {
  const std::wstring copy = support::tempFolder() + L"pomarel_stand_in.dll";
  ASSERT_TRUE(CopyFileW(support::ownPath().c_str(), copy.c_str(), FALSE));
  for (int showMode : {SW_SHOWNORMAL, SW_SHOWMINNOACTIVE}) {
    ui::Process process;
    ASSERT_TRUE(process.start(copy, showMode));
    EXPECT_NE(process.id(), 0u);
    const HANDLE handle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process.id());
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(WaitForSingleObject(handle, 30000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(handle, &code);
    CloseHandle(handle);
    EXPECT_EQ(code, static_cast<DWORD>(showMode));
    EXPECT_FALSE(process.running());
  }
  DeleteFileW(copy.c_str());

  ui::Process missing;
  EXPECT_FALSE(missing.start(support::tempFolder() + L"no_such_renderer.dll", SW_SHOWNORMAL));
  EXPECT_FALSE(missing.running());
}

TEST(Picture, DecodesThePreviewStillAndRefusesGarbage) {
  const char* source = std::getenv("POMAREL_SOURCE");
  ASSERT_NE(source, nullptr);
  // POMAREL_SOURCE is a Unix path; Wine maps the root to drive Z:.
  const std::string bytes = support::readFile(std::string("Z:") + source + "/host/res/preview.jpg");
  ASSERT_GT(bytes.size(), 1000u);
  SIZE size = {};
  HBITMAP bitmap = ui::decodePicture(bytes.data(), bytes.size(), &size);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(size.cx, 152);
  EXPECT_EQ(size.cy, 112);

  // Mostly black with coloured pieces.
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 152;
  info.bmiHeader.biHeight = -112;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  std::vector<uint32_t> pixels(152 * 112);
  HDC dc = GetDC(nullptr);
  ASSERT_EQ(GetDIBits(dc, bitmap, 0, 112, pixels.data(), &info, DIB_RGB_COLORS), 112);
  ReleaseDC(nullptr, dc);
  int dark = 0, coloured = 0;
  for (uint32_t p : pixels) {
    const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    if (r + g + b < 30) ++dark;
    if (std::max({r, g, b}) - std::min({r, g, b}) > 60) ++coloured;
  }
  EXPECT_GT(dark, static_cast<int>(pixels.size()) / 2);
  EXPECT_GT(coloured, 50);
  DeleteObject(bitmap);

  const std::string garbage(2000, 'x');
  EXPECT_EQ(ui::decodePicture(garbage.data(), garbage.size()), nullptr);
  EXPECT_EQ(ui::decodePicture(bytes.data(), 0), nullptr);
}

// A font made from a look reads back as that look, the size in hundredths of a point whole,
// and the Japanese face name intact whatever the ANSI code page.
TEST(Font, ReadsBackAsTheLookItWasMadeFrom) {
  ui::FontLook look{L"ＭＳ Ｐゴシック", 9.75};
  look.charset = SHIFTJIS_CHARSET;
  look.underline = true;
  HFONT font = ui::createFont(look);
  ASSERT_TRUE(font);
  const ui::FontLook back = ui::fontLookOf(font);
  DeleteObject(font);
  EXPECT_EQ(back.name, look.name);
  EXPECT_EQ(back.points, 9.75);
  EXPECT_EQ(back.charset, SHIFTJIS_CHARSET);
  EXPECT_TRUE(back.underline);
  EXPECT_FALSE(back.italic);
  EXPECT_TRUE(ui::fontLookOf(nullptr).name.empty());
}

}  // namespace
