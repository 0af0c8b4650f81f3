// The host's window layer for real under Wine: a form's timers, load and unload, its class
// brush, paths the ANSI calls can take, the process start of a program named .dll with its
// show mode (also from a folder too long for the ANSI call), the system's JPEG decoder on the
// preview still and on garbage, and fonts made from and read back as a look.
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
#include "host/ui/text.h"
#include "common/scoped_seam.h"

#include "tests/host/support/support.h"

namespace ui {

namespace {

class TickingForm : public Form {
 public:
  TickingForm() : Form("PomarelTestTicking"), fast(*this, 7, 30), never(*this, 8, 40, false) {}
  Timer fast;
  Timer never;
  int ticks = 0;
  int neverTicks = 0;
  int loads = 0;
  int unloads = 0;
  int lastWidth = -1;

 protected:
  void onLoad() override { ++loads; }
  void onUnload() override { ++unloads; }
  void onResize(int width, int) override { lastWidth = width; }
  void onTimer(Timer& timer) override {
    if (&timer == &fast && ++ticks == 3) fast.setEnabled(false);
    if (&timer == &never) ++neverTicks;
  }
};

TEST(Form, TimersTickUntilSwitchedOffAndUnloadRunsOnce) {
  TickingForm form;
  form.fast.setEnabled(true);  // switched on before the window exists
  FormLook look;
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
  FormLook look;
  look.caption = L"Pomarel brush test";
  look.colour = RGB(10, 20, 30);
  look.width = 40;
  look.height = 30;
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    Form form("PomarelTestOwnBrush");
    ASSERT_TRUE(form.load(look));
    const auto brush = reinterpret_cast<HGDIOBJ>(GetClassLongPtrA(form.hwnd(), GCLP_HBRBACKGROUND));
    EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH)) << "the class brush was deleted";
    LOGBRUSH logical = {};
    GetObject(brush, sizeof logical, &logical);
    EXPECT_EQ(logical.lbColor, RGB(10, 20, 30));
  }
}

// A folder under the temp folder at least `length` characters long, made of 40-character
// names (whose 8.3 forms are short), the last one `last`.
std::wstring deepFolder(size_t length, const std::wstring& last = L"end") {
  std::wstring path = support::tempFolder() + L"pomarel long " + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(path.c_str(), nullptr);
  while (path.size() + 1 + last.size() < length) {
    path += L'\\' + std::wstring(40, L'n');
    CreateDirectoryW(path.c_str(), nullptr);
  }
  path += L'\\' + last;
  CreateDirectoryW(path.c_str(), nullptr);
  return path;
}

void removeTree(const std::wstring& top, const std::wstring& folder) {
  for (std::wstring f = folder; f.size() >= top.size(); f = f.substr(0, f.find_last_of(L'\\'))) {
    RemoveDirectoryW(f.c_str());
  }
}

DWORD WINAPI noShortNames(LPCWSTR path, LPWSTR out, DWORD size) {
  if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return SetLastError(ERROR_FILE_NOT_FOUND), 0;
  const DWORD length = static_cast<DWORD>(wcslen(path));
  if (length >= size) return length + 1;
  wcscpy(out, path);
  return length;
}

// What the ANSI calls are given: the path itself while it fits and the code page holds it, else
// its 8.3 form (its folder's, for a file not made yet), which names the same file; nothing
// where the volume keeps no 8.3 names.
TEST(AnsiPath, IsThePathOrItsShortFormOrNothingWithTheReason) {
  const std::wstring top = support::tempFolder() + L"pomarel long " + std::to_wstring(GetCurrentProcessId());
  const std::wstring fits = deepFolder(200), tooLong = deepFolder(300), foreign = deepFolder(60, L"\u05de\u05d5\u05d6");
  for (const std::wstring& folder : {fits, tooLong, foreign}) {
    CloseHandle(CreateFileW((folder + L"\\made.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  }
  const struct {
    std::wstring path;
    bool shortened, noShortNamesFails;
    DWORD reason;
  } cases[] = {
      {fits + L"\\made.ini", false, false, 0},
      {tooLong + L"\\made.ini", true, true, ERROR_FILENAME_EXCED_RANGE},
      {tooLong + L"\\missing.ini", true, true, ERROR_FILENAME_EXCED_RANGE},
      {foreign + L"\\made.ini", true, true, ERROR_INVALID_NAME},
      {foreign + L"\\missing.ini", true, true, ERROR_INVALID_NAME},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(toAnsi(c.path.substr(c.path.size() - 12)) + (c.shortened ? " shortened" : ""));
    const std::string ansi = ansiPath(c.path);
    ASSERT_FALSE(ansi.empty());
    EXPECT_LT(ansi.size(), static_cast<size_t>(MAX_PATH));
    EXPECT_EQ(ansi != toAnsi(c.path), c.shortened) << ansi;
    EXPECT_EQ(ansi.substr(ansi.size() - 4), ".ini");
    // The same file, or the same folder for a file not made yet.
    const std::string folderA = ansi.substr(0, ansi.find_last_of('\\'));
    const std::wstring folderW = c.path.substr(0, c.path.find_last_of(L'\\'));
    EXPECT_EQ(GetFileAttributesA(folderA.c_str()), GetFileAttributesW(folderW.c_str()));
    EXPECT_EQ(GetFileAttributesA(ansi.c_str()), GetFileAttributesW(c.path.c_str()));

    ScopedSeam<TextSystem> seam(textCalls(), TextSystem{noShortNames});
    SetLastError(0);
    EXPECT_EQ(ansiPath(c.path).empty(), c.noShortNamesFails);
    if (c.noShortNamesFails) EXPECT_EQ(GetLastError(), c.reason);
  }
  for (const std::wstring& folder : {fits, tooLong, foreign}) {
    DeleteFileW((folder + L"\\made.ini").c_str());
    removeTree(top, folder);
  }
}

TEST(Process, StartsAProgramNamedDllWithTheGivenShowMode) {
  const std::wstring top = support::tempFolder() + L"pomarel long " + std::to_wstring(GetCurrentProcessId());
  const std::wstring deep = deepFolder(280);  // the program's path too long for CreateProcessA
  for (const std::wstring& folder : {support::tempFolder(), deep + L"\\"}) {
    const std::wstring copy = folder + L"pomarel_stand_in.dll";
    ASSERT_TRUE(CopyFileW(support::ownPath().c_str(), copy.c_str(), FALSE));
    for (int showMode : {SW_SHOWNORMAL, SW_SHOWMINNOACTIVE}) {
      Process process;
      ASSERT_TRUE(process.start(copy, showMode)) << toAnsi(copy);
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
  }
  removeTree(top, deep);

  Process missing;
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
  HBITMAP bitmap = decodePicture(bytes.data(), bytes.size(), &size);
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
  EXPECT_EQ(decodePicture(garbage.data(), garbage.size()), nullptr);
  EXPECT_EQ(decodePicture(bytes.data(), 0), nullptr);
}

// A font made from a look reads back as that look, the size in hundredths of a point whole,
// and the Japanese face name intact whatever the ANSI code page.
TEST(Font, ReadsBackAsTheLookItWasMadeFrom) {
  FontLook look{L"ＭＳ Ｐゴシック", 9.75};
  look.charset = SHIFTJIS_CHARSET;
  look.underline = true;
  HFONT font = createFont(look);
  ASSERT_TRUE(font);
  const FontLook back = fontLookOf(font);
  DeleteObject(font);
  EXPECT_EQ(back.name, look.name);
  EXPECT_EQ(back.points, 9.75);
  EXPECT_EQ(back.charset, SHIFTJIS_CHARSET);
  EXPECT_TRUE(back.underline);
  EXPECT_FALSE(back.italic);
  EXPECT_TRUE(fontLookOf(nullptr).name.empty());
}

}  // namespace

}  // namespace ui
