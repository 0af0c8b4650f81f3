// The host's windows for real, inside the test process under Wine: timers of a form, the
// renderer start by path with its show mode, the JPEG decoder, the session started by the
// start routine and ended by its renderer watch (with the thread's cursor display counter
// read back through ShowCursor's own result), and the preview embedded into a pane.
// When this executable runs under a name ending in ".dll" it is the stand-in renderer: it
// only reports, as its exit code, the show mode it was started with.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "host/music/bgm.h"
#include "host/music/bgm_system.h"
#include "host/preview.h"
#include "host/session.h"
#include "host/settings.h"
#include "host/settings_profile.h"
#include "host/start.h"
#include "host/ui/form.h"
#include "host/ui/picture.h"
#include "host/ui/process.h"
#include "host/ui/text.h"

namespace {

std::wstring ownPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

std::wstring tempFolder() {
  wchar_t path[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, path);
  return path;
}

// Handles messages until `done` holds or about `seconds` have passed.
template <typename Done>
bool pumpUntil(Done done, double seconds = 10.0) {
  const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  while (!done()) {
    if (GetTickCount64() > until) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the caller's loop
        return done();
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

// The thread's cursor display counter, left as it was.
int cursorCount() {
  const int shown = ShowCursor(TRUE);
  ShowCursor(FALSE);
  return shown - 1;
}

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
  EXPECT_TRUE(pumpUntil([&] { return form.ticks >= 3; }));
  pumpUntil([] { return false; }, 0.3);
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
  const std::wstring copy = tempFolder() + L"pomarel_stand_in.dll";
  ASSERT_TRUE(CopyFileW(ownPath().c_str(), copy.c_str(), FALSE));
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
  EXPECT_FALSE(missing.start(tempFolder() + L"no_such_renderer.dll", SW_SHOWNORMAL));
  EXPECT_FALSE(missing.running());
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Resources, NameIconAndStillAreInTheProgram) {
  char name[64] = {};
  ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), 1, name, sizeof name), 0);
  EXPECT_STREQ(name, "Pomarel");
  HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON, 0, 0, 0));
  ASSERT_NE(icon, nullptr);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP colour = {};
  GetObjectA(info.hbmColor, sizeof colour, &colour);
  EXPECT_EQ(colour.bmWidth, 32);
  EXPECT_EQ(colour.bmHeight, 32);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyIcon(icon);
  SIZE size = {};
  HBITMAP still = ui::loadPictureResource("JPEG", 1, &size);
  ASSERT_NE(still, nullptr);
  EXPECT_EQ(size.cx, 152);
  EXPECT_EQ(size.cy, 112);
  DeleteObject(still);
}

TEST(Picture, DecodesThePreviewStillAndRefusesGarbage) {
  const char* source = std::getenv("POMAREL_SOURCE");
  ASSERT_NE(source, nullptr);
  // POMAREL_SOURCE is a Unix path; Wine maps the root to drive Z:.
  const std::string bytes = readFile(std::string("Z:") + source + "/host/res/preview.jpg");
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

// The music module with a stand-in for winmm: records the PlaySound calls.
class RecordingSound : public BgmSystem {
 public:
  std::vector<std::string> calls;
  uint32_t sendString(const std::wstring& command, std::wstring* reply, uint32_t) override {
    calls.push_back("mci " + ui::toAnsi(command));
    if (reply) reply->clear();
    return 0;
  }
  bool errorString(uint32_t, std::wstring& text, uint32_t) override {
    text.clear();
    return false;
  }
  int32_t playSound(const std::wstring* name, uint32_t flags) override {
    calls.push_back(name ? "play " + ui::toAnsi(*name) + " " + std::to_string(flags) : "stop");
    return 1;
  }
  int32_t waveOutDevices() override { return 1; }
};

// A settings file seen through the profile seam: kind 2 with a WAV file that exists.
std::wstring settingsFile;
uint32_t fakeProfile(const char*, const char* key, const char*, char* buffer, uint32_t size, const char*) {
  std::string value;
  if (key == ui::toCodePage(KeyKind, SettingsKeyCodePage)) value = " 2";
  if (key == ui::toCodePage(KeyFile, SettingsKeyCodePage)) value = ui::toAnsi(settingsFile);
  std::snprintf(buffer, size, "%s", value.c_str());
  return static_cast<uint32_t>(value.size());
}

std::wstring sessionArguments;
std::wstring givenArguments() { return sessionArguments; }

// An in-process window with the renderer's title stands in for the renderer.
HWND makeWindow(const char* title, DWORD style, int width, int height) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "PomarelTestWindow";
  RegisterClassA(&wc);
  RECT rect = {0, 0, width, height};
  AdjustWindowRect(&rect, style, FALSE);
  return CreateWindowA("PomarelTestWindow", title, style, 10, 10, rect.right - rect.left, rect.bottom - rect.top,
                       nullptr, nullptr, wc.hInstance, nullptr);
}

class SessionRun : public ::testing::Test {
 protected:
  void SetUp() override {
    settingsFile = tempFolder() + L"pomarel test tone.wav";
    std::ofstream(ui::toAnsi(settingsFile), std::ios::binary) << "RIFF";
    saved_ = SettingsCalls();
    SettingsCalls().getProfileString = fakeProfile;
    previous_ = BGM_UseSystem(&sound_);
    startModule().Swirlbloom_S->readArguments = givenArguments;
  }
  void TearDown() override {
    SettingsCalls() = saved_;
    BGM_UseSystem(previous_);
    DeleteFileW(settingsFile.c_str());
  }

  // Runs the start routine for `arguments` with a renderer window up, closes the renderer
  // after a few watch ticks and lets the program's own loop run to its end.
  void runSession(const std::wstring& arguments) {
    sessionArguments = arguments;
    renderer_ = makeWindow("Swirlbloom_VC", WS_OVERLAPPEDWINDOW, 200, 100);
    ASSERT_NE(renderer_, nullptr);
    before = cursorCount();
    ASSERT_EQ(startProgram(arguments), host::AfterStart::RunSession);
    during = cursorCount();
    const HWND main = FindWindowA(nullptr, "Swirlbloom_Main");
    ASSERT_NE(main, nullptr);
    sessionVisible = IsWindowVisible(main) != FALSE;
    pumpUntil([] { return false; }, 1.2);  // two watch ticks with the renderer up
    soundDuring = sound_.calls;
    SessionWindow& session = *startModule().Swirlbloom_S;
    EXPECT_TRUE(session.loaded());
    EXPECT_EQ(session.RendererPath().substr(session.RendererPath().size() - 12), L"\\Pomarel.dll");
    DestroyWindow(renderer_);
    EXPECT_EQ(runMessageLoop(), 0);  // the watch ends the session and the loop with it
    EXPECT_FALSE(session.loaded());
    EXPECT_EQ(FindWindowA(nullptr, "Swirlbloom_Main"), nullptr);
    after = cursorCount();
  }

  RecordingSound sound_;
  int before = 0, during = 0, after = 0;
  bool sessionVisible = true;
  std::vector<std::string> soundDuring;

 private:
  SettingsSystem saved_{};
  BgmSystem* previous_ = nullptr;
  HWND renderer_ = nullptr;
};

TEST_F(SessionRun, SaverHidesTheCursorOnceAndShowsItAtTheEnd) {
  runSession(L"/s");
  EXPECT_FALSE(sessionVisible);
  EXPECT_EQ(during, before - 1);
  EXPECT_EQ(after, before);
  const std::string play = "play " + ui::toAnsi(settingsFile) + " 9";
  EXPECT_EQ(soundDuring, (std::vector<std::string>{play}));
  EXPECT_EQ(sound_.calls, (std::vector<std::string>{play, "stop"}));
}

TEST_F(SessionRun, WithoutSwitchTheCursorIsNeverTouched) {
  runSession(L"");
  EXPECT_EQ(during, before);
  EXPECT_EQ(after, before);
  EXPECT_EQ(sound_.calls.back(), "stop");
}

TEST(StartProgram, OtherSwitchesAndSecondInstancesEndAtOnce) {
  const int before = cursorCount();
  EXPECT_EQ(startProgram(L"/a"), host::AfterStart::End);
  EXPECT_EQ(startProgram(L"/x"), host::AfterStart::End);
  const HWND running = makeWindow("Swirlbloom_Main", WS_POPUP, 10, 10);  // hidden, still counts
  for (const wchar_t* arguments : {L"/s", L"/p 1", L"/c", L""}) {
    EXPECT_EQ(startProgram(arguments), host::AfterStart::End) << arguments;
  }
  DestroyWindow(running);
  EXPECT_EQ(cursorCount(), before);
  EXPECT_FALSE(startModule().Swirlbloom_S->loaded());
  EXPECT_FALSE(startModule().Swirlbloom_R->loaded());
}

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
    const HWND pane = makeWindow("Pomarel test pane", style, c.width, c.height);
    ASSERT_NE(pane, nullptr);
    const int before = cursorCount();
    const std::wstring arguments = L"/p " + std::to_wstring(reinterpret_cast<intptr_t>(pane));
    ASSERT_EQ(startProgram(arguments), host::AfterStart::RunPreview);
    PreviewWindow& preview = *startModule().Swirlbloom_R;
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
    EXPECT_EQ(startModule().PreviewRect.width, c.width * perPixel);
    EXPECT_EQ(startModule().PreviewRect.height, c.height * perPixel);
    // The still, stretched over the whole pane: confetti on black, no grey form showing.
    const Shown shown = shownIn(preview.Img_Prev.hwnd(), c.width, c.height);
    EXPECT_GT(shown.colours, 40u);
    EXPECT_GT(shown.dark, 0.5);
    EXPECT_EQ(shown.grey, 0.0);

    DestroyWindow(pane);
    EXPECT_EQ(runMessageLoop(), 0);
    EXPECT_FALSE(preview.loaded());
    EXPECT_EQ(cursorCount(), before);
  }
}

// A pane in another process takes its children along only if the system does so across
// processes; the preview's own watch ends it either way.
TEST(PreviewWindow, EndsOnItsOwnOnceThePaneIsGone) {
  const HWND pane = makeWindow("Pomarel unrelated pane", WS_POPUP, 50, 50);
  PreviewWindow preview;
  ASSERT_TRUE(preview.load());
  preview.watchPane(pane);
  pumpUntil([] { return false; }, 0.8);
  EXPECT_TRUE(preview.loaded());  // the pane is there: the watch leaves it alone
  DestroyWindow(pane);
  EXPECT_TRUE(pumpUntil([&] { return !preview.loaded(); }, 10.0));
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // and the loop ends
}

TEST(StartProgram, PreviewHandleThatIsNoWindowShowsNothing) {
  for (const wchar_t* arguments : {L"/p 0", L"/p", L"/p 12345677", L"/p 99999999999"}) {
    EXPECT_EQ(startProgram(arguments), host::AfterStart::End) << arguments;
    EXPECT_FALSE(startModule().Swirlbloom_R->loaded()) << arguments;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::wstring self = ownPath();
  if (self.size() > 4 && _wcsicmp(self.c_str() + self.size() - 4, L".dll") == 0) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : 100;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
