// The settings dialog under Wine, in-process: the real window with its panel, combo box,
// Command buttons and pictures, driven by real messages (presses, typed characters, button
// clicks, the close box) and by the real file chooser. The settings file lives in a folder of
// the test's own; the profile writes are recorded byte for byte on their way to the system.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/last_api_result.h"
#include "common/scoped_seam.h"
#include "host/settings/settings.h"
#include "host/settings_dialog/settings_dialog.h"
#include "host/ui/text.h"
#include "host/ui/twips.h"

namespace settings_dialog {
namespace {

// ---- recorded system calls ----

struct Write {
  std::string section, key, value, path;
};
struct Animation {
  int kind;
  RECT from, to;
};
struct ShellCall {
  HWND owner;
  std::string operation, file, parameters, folder;
  int show;
};
struct ChooserRequest {
  DWORD size = 0, flags = 0, maxFile = 0, maxTitle = 0;
  HWND owner = nullptr;
  std::string filter, title, folder;
  bool fileAllNul = false;
};

struct Recorded {
  std::wstring folder;  // the program folder the settings see
  std::vector<Write> writes;
  std::vector<Animation> animations;
  std::vector<ShellCall> shell;
  std::vector<ChooserRequest> chooser;
  POINT cursor{0, 0};
  bool cursorFails = false;
  // What the test does once the chooser is on screen: fill in this name (empty: cancel).
  std::wstring chooserAnswer;
  std::wstring chooserTitleSeen;
  bool chooserSeen = false;
  std::vector<std::wstring> messages;
} g;

// The calls as the program has them, noted before any test swaps them.
const settings::SettingsSystem realSettings = settings::settingsCalls();
const DialogSystem realDialog = dialogCalls();

std::wstring programFolder() { return g.folder; }

BOOL WINAPI recordWrite(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR path) {
  g.writes.push_back({section, key, value, path});
  return realSettings.writePrivateProfileString(section, key, value, path);
}

BOOL WINAPI fakeCursorPos(LPPOINT point) {
  if (g.cursorFails) return FALSE;
  *point = g.cursor;
  return TRUE;
}

BOOL WINAPI recordAnimation(HWND, int kind, const RECT* from, const RECT* to) {
  g.animations.push_back({kind, *from, *to});
  return TRUE;
}

HINSTANCE WINAPI recordShell(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR folder, INT show) {
  g.shell.push_back({owner, operation, file, parameters, folder, show});
  return reinterpret_cast<HINSTANCE>(42);
}

int WINAPI recordMessage(HWND, LPCWSTR text, LPCWSTR, UINT) {
  g.messages.push_back(text);
  return IDOK;
}

// The real chooser, with the request noted on the way in and the test's answer typed into it
// by a timer that ticks inside the chooser's own message loop.
void CALLBACK answerChooser(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND chooser = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM found) -> BOOL {
        wchar_t cls[32] = {};
        GetClassNameW(window, cls, 32);
        if (std::wstring(cls) == L"#32770" && IsWindowVisible(window)) {
          *reinterpret_cast<HWND*>(found) = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&chooser));
  if (!chooser) return;
  KillTimer(nullptr, timer);
  g.chooserSeen = true;
  wchar_t title[128] = {};
  GetWindowTextW(chooser, title, 128);
  g.chooserTitleSeen = title;
  if (g.chooserAnswer.empty()) {
    PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDCANCEL)));
    return;
  }
  // The file name box: cmb13 in the Explorer-style chooser, edt1 in the old one.
  HWND name = GetDlgItem(chooser, cmb13);
  if (!name) name = GetDlgItem(chooser, edt1);
  SetWindowTextW(name, g.chooserAnswer.c_str());
  PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDOK)));
}

BOOL WINAPI recordChooser(LPOPENFILENAMEW request) {
  ChooserRequest seen;
  seen.size = request->lStructSize;
  seen.flags = request->Flags;
  seen.maxFile = request->nMaxFile;
  seen.maxTitle = request->nMaxFileTitle;
  seen.owner = request->hwndOwner;
  const wchar_t* f = request->lpstrFilter;
  while (f && *f) {  // pairs of NUL-ended texts, ended by an empty one
    const std::wstring part(f);
    seen.filter += ui::toAnsi(part) + '|';
    f += part.size() + 1;
  }
  seen.title = request->lpstrTitle ? ui::toAnsi(request->lpstrTitle) : "(null)";
  seen.folder = request->lpstrInitialDir ? ui::toAnsi(request->lpstrInitialDir) : "(null)";
  seen.fileAllNul = true;
  for (DWORD i = 0; i < request->nMaxFile; ++i) seen.fileAllNul &= request->lpstrFile[i] == L'\0';
  g.chooser.push_back(seen);
  SetTimer(nullptr, 0, 100, answerChooser);
  return realDialog.getOpenFileName(request);
}

// A volume that keeps no 8.3 names: the long name comes back.
DWORD WINAPI noShortNames(LPCWSTR path, LPWSTR out, DWORD size) {
  const DWORD length = static_cast<DWORD>(wcslen(path));
  if (length >= size) return length + 1;
  wcscpy(out, path);
  return length;
}

// ---- driving the windows ----

void pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

PixelRect px(const TwipsRect& r) { return toPixels(r, ui::twipsPerPixelX(), ui::twipsPerPixelY()); }

LPARAM centreOf(const PixelRect& r) { return MAKELPARAM(r.x + r.width / 2, r.y + r.height / 2); }

void press(HWND window, UINT down, LPARAM at) {
  const UINT up = down == WM_LBUTTONDOWN ? WM_LBUTTONUP : down == WM_RBUTTONDOWN ? WM_RBUTTONUP : WM_MBUTTONUP;
  const WPARAM keys = down == WM_LBUTTONDOWN ? MK_LBUTTON : down == WM_RBUTTONDOWN ? MK_RBUTTON : MK_MBUTTON;
  SendMessageW(window, down, keys, at);
  SendMessageW(window, up, 0, at);
}

// A user's click on a Command button: the pointer comes over it, then a press and a release.
void click(controls::Command* button) {
  ASSERT_NE(button, nullptr);
  RECT r{};
  GetClientRect(button->window(), &r);
  const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
  POINT screen{r.right / 2, r.bottom / 2};
  ClientToScreen(button->window(), &screen);
  SetCursorPos(screen.x, screen.y);
  SendMessageW(button->window(), WM_MOUSEMOVE, 0, at);
  SendMessageW(button->window(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(button->window(), WM_LBUTTONUP, 0, at);
  pump();
}

void type(HWND combo, const std::wstring& text) {
  HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SendMessageW(edit, WM_CLEAR, 0, 0);
  for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
}

std::wstring comboText(HWND combo) {
  wchar_t text[64] = {};
  GetWindowTextW(combo, text, 64);
  return text;
}

std::string cp932(const std::wstring& text) { return ui::toCodePage(text, 932); }

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    static int serial = 0;
    g = Recorded();
    g.folder = std::wstring(temp) + L"pomarel-dialog-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(++serial);
    CreateDirectoryW(g.folder.c_str(), nullptr);
    // A pointer left over a button by an earlier click would give it the hover look.
    SetCursorPos(0, 0);
    settings::BGMKind = 0;
    settings::BGMRepeatTrack = 0;
    settings::BGMFile.clear();
    settings::BGMFolder = g.folder;
  }

  void TearDown() override {
    dialog_.reset();
    pump();
    DeleteFileW(iniPath().c_str());
    for (const std::wstring& file : madeFiles_) DeleteFileW(file.c_str());
    RemoveDirectoryW(g.folder.c_str());
  }

  SettingsDialog& open() {
    dialog_ = std::make_unique<SettingsDialog>();
    EXPECT_TRUE(dialog_->open());
    dialog_->show(SW_SHOWNORMAL);
    UpdateWindow(dialog_->hwnd());
    pump();
    return *dialog_;
  }

  std::wstring iniPath() const { return g.folder + L"\\Swirlbloom.ini"; }
  std::wstring makeFile(const std::wstring& name) {
    const std::wstring path = g.folder + L"\\" + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
    madeFiles_.push_back(path);
    return path;
  }
  bool iniExists() const { return GetFileAttributesW(iniPath().c_str()) != INVALID_FILE_ATTRIBUTES; }
  std::string iniText() const {
    std::ifstream in(ui::toAnsi(iniPath()), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // A value as the system reads it back from the file.
  std::string stored(const wchar_t* key) const {
    char value[256] = {};
    GetPrivateProfileStringA("Section", cp932(key).c_str(), "(missing)", value, sizeof value,
                             ui::toAnsi(iniPath()).c_str());
    return value;
  }

  std::unique_ptr<SettingsDialog> dialog_;
  std::vector<std::wstring> madeFiles_;
  ScopedSeam<settings::SettingsSystem> settingsSeam_{
      settings::settingsCalls(), settings::SettingsSystem{realSettings.getPrivateProfileString, recordWrite, programFolder}};
  ScopedSeam<DialogSystem> dialogSeam_{
      dialogCalls(), DialogSystem{fakeCursorPos, recordAnimation, recordChooser, recordShell, recordMessage,
                                  realDialog.getShortPathName}};
};

// ---- the window ----

TEST_F(DialogTest, OpensAsAFixedOwnerlessWindowOfTheDesignedSizeAndPlace) {
  SettingsDialog& d = open();
  HWND w = d.hwnd();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(FindWindowA(nullptr, "<Pomarel>"), w);
  EXPECT_EQ(GetWindow(w, GW_OWNER), nullptr);
  EXPECT_EQ(GetParent(w), nullptr);
  const LONG style = GetWindowLongW(w, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  RECT client{};
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, ui::twipsToPixelsX(7440));
  EXPECT_EQ(client.bottom, ui::twipsToPixelsY(3690));
  RECT frame{};
  GetWindowRect(w, &frame);
  const Point at = dialogPlacement(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                   frame.right - frame.left, frame.bottom - frame.top, ui::twipsPerPixelX(),
                                   ui::twipsPerPixelY());
  EXPECT_EQ(frame.left, at.x);
  EXPECT_EQ(frame.top, at.y);
  EXPECT_NE(GetClassLongPtrW(w, GCLP_HICON), 0) << "the scissors icon";

  // The panel and the buttons at their places.
  RECT panel{};
  GetWindowRect(d.panel(), &panel);
  MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&panel), 2);
  const PixelRect p = px(layout::Pic_C);
  EXPECT_EQ(panel.left, p.x);
  EXPECT_EQ(panel.top, p.y);
  EXPECT_EQ(panel.right - panel.left, p.width);
  EXPECT_EQ(panel.bottom - panel.top, p.height);
  RECT set{};
  GetWindowRect(d.setButton()->window(), &set);
  MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&set), 2);
  EXPECT_EQ(set.left, px(layout::Cmd_Set).x);
  EXPECT_EQ(set.bottom - set.top, px(layout::Cmd_Set).height);
  RECT file{};
  GetWindowRect(d.fileButton()->window(), &file);
  EXPECT_EQ(GetParent(d.fileButton()->window()), d.panel());
  RECT combo{};
  GetWindowRect(d.repeatBox(), &combo);
  EXPECT_EQ(combo.bottom - combo.top, px(layout::BGM_Repeat).height) << "the closed combo box";
}

TEST_F(DialogTest, ShowsItsTextsInJapaneseFontsAndTheButtonsAreReady) {
  SettingsDialog& d = open();
  for (const wchar_t* text : {L"BGM", L"音楽CD", L"なし", L"MP3、WAV", L"曲目をﾘﾋﾟｰﾄ"}) {
    const LightLabel* label = d.label(text);
    ASSERT_NE(label, nullptr) << ui::toCodePage(text, CP_UTF8);
    LOGFONTW font{};
    ASSERT_TRUE(GetObjectW(label->font, sizeof font, &font));
    EXPECT_EQ(std::wstring(font.lfFaceName), L"ＭＳ Ｐゴシック");
    EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(label->colour, RGB(0, 0, 0));
  }
  const LightLabel* link = d.label(d.linkCaption().c_str());
  ASSERT_NE(link, nullptr);
  LOGFONTW linkFont{};
  GetObjectW(link->font, sizeof linkFont, &linkFont);
  EXPECT_TRUE(linkFont.lfUnderline);
  EXPECT_EQ(link->colour, RGB(255, 255, 255));
  const LightLabel* credit = d.label(CreditText);
  ASSERT_NE(credit, nullptr);
  EXPECT_EQ(credit->colour, RGB(255, 255, 255));

  struct Button {
    controls::Command* command;
    const wchar_t* caption;
  };
  for (const Button& b : {Button{d.fileButton(), L"..."}, Button{d.setButton(), L"設定"},
                          Button{d.cancelButton(), L"ｷｬﾝｾﾙ"}}) {
    ASSERT_NE(b.command, nullptr);
    EXPECT_EQ(b.command->Caption(), b.caption);
    EXPECT_EQ(b.command->Font().name, L"ＭＳ Ｐゴシック");
    EXPECT_EQ(b.command->Font().charset, SHIFTJIS_CHARSET);
    EXPECT_DOUBLE_EQ(b.command->Font().points, 9.75);
    EXPECT_EQ(b.command->core().members().State, controls::ButtonState::Normal) << "InitButtons ran";
  }
}

TEST_F(DialogTest, HoldsItsPicturesInTheirSizes) {
  SettingsDialog& d = open();
  struct Picture {
    HBITMAP bitmap;
    int width, height;
  };
  for (const Picture& p : {Picture{d.texture(), 556, 20}, Picture{d.emptyPicture(), 12, 12},
                           Picture{d.chosenPicture(), 12, 12}}) {
    BITMAP info{};
    ASSERT_TRUE(GetObjectW(p.bitmap, sizeof info, &info));
    EXPECT_EQ(info.bmWidth, p.width);
    EXPECT_EQ(info.bmHeight, p.height);
    EXPECT_EQ(info.bmBitsPixel, 24);
  }
  // The texture is light grey brushed metal, about (199, 195, 194) on average.
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, d.texture());
  double sum[3] = {};
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 556; ++x) {
      const COLORREF c = GetPixel(dc, x, y);
      sum[0] += GetRValue(c), sum[1] += GetGValue(c), sum[2] += GetBValue(c);
    }
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_NEAR(sum[0] / (556 * 20), 199, 2);
  EXPECT_NEAR(sum[1] / (556 * 20), 195, 2);
  EXPECT_NEAR(sum[2] / (556 * 20), 194, 2);

  // The pointing hand over the link, with its hot spot on the fingertip; the arrow elsewhere.
  const PixelRect link = d.linkRect();
  HCURSOR hand = d.cursorAt(link.x + 2, link.y + 2);
  EXPECT_NE(hand, LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(hand, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 12u);
  EXPECT_EQ(info.yHotspot, 10u);
  BITMAP mask{};
  GetObjectW(info.hbmMask, sizeof mask, &mask);
  EXPECT_EQ(mask.bmWidth, 32);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  EXPECT_EQ(d.cursorAt(link.x + link.width + 5, link.y), LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
}

TEST_F(DialogTest, PaintsTheGradientOnceAndKeepsIt) {
  SettingsDialog& d = open();
  const Canvas& image = d.formImage();
  ASSERT_TRUE(image.valid());
  const std::vector<Rgb> rows = gradientRows(image.height());
  for (int y = 0; y < image.height(); ++y) {
    const COLORREF want = RGB(rows[y].r, rows[y].g, rows[y].b);
    ASSERT_EQ(image.pixel(0, y), want) << "row " << y;
    ASSERT_EQ(image.pixel(image.width() - 1, y), want) << "row " << y;
  }
  EXPECT_EQ(image.pixel(0, 0), RGB(0, 0, 30));
  EXPECT_EQ(image.pixel(0, image.height() / 2), RGB(220, 220, 250));

  // A repaint copies the kept image: the window shows the same rows afterwards.
  InvalidateRect(d.hwnd(), nullptr, TRUE);
  UpdateWindow(d.hwnd());
  HDC screen = GetDC(d.hwnd());
  const int x = image.width() - 3;  // right of the panel and the buttons
  for (int y : {2, image.height() / 2, image.height() - 2}) {
    EXPECT_EQ(GetPixel(screen, x, y), RGB(rows[y].r, rows[y].g, rows[y].b)) << "row " << y;
  }
  ReleaseDC(d.hwnd(), screen);
}

TEST_F(DialogTest, TilesTheTextureOverThePanel) {
  SettingsDialog& d = open();
  const Canvas& panel = d.panelImage();
  ASSERT_TRUE(panel.valid());
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, d.texture());
  int checked = 0;
  for (int y = 0; y < panel.height(); y += 7) {
    for (int x = 0; x < panel.width(); x += 13) {
      ASSERT_EQ(panel.pixel(x, y), GetPixel(dc, x % 556, y % 20)) << x << "," << y;
      ++checked;
    }
  }
  // The bottom-right corner too: the last row and column of tiles cover it.
  EXPECT_EQ(panel.pixel(panel.width() - 1, panel.height() - 1),
            GetPixel(dc, (panel.width() - 1) % 556, (panel.height() - 1) % 20));
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_GT(checked, 500);
}

// ---- initial state by kind ----

TEST_F(DialogTest, ShowsTheStoredChoiceTrackAndFile) {
  struct Case {
    int kind, track;
    const wchar_t* file;
    int chosen;
    bool repeat, fileButton;
    const wchar_t* text;
  };
  const std::vector<Case> cases = {
      {0, 0, L"", 0, false, false, L""},
      {1, 0, L"", 1, true, false, L""},
      {1, 5, L"", 1, true, false, L"5"},
      {2, 7, L"C:\\Music\\song.mp3", 2, false, true, L"7"},
      {5, 3, L"C:\\x.wav", -1, false, false, L"3"},
      {-1, 0, L"", -1, false, false, L""},
  };
  for (const Case& c : cases) {
    settings::BGMKind = static_cast<int16_t>(c.kind);
    settings::BGMRepeatTrack = static_cast<int16_t>(c.track);
    settings::BGMFile = c.file;
    SettingsDialog& d = open();
    for (int i = 0; i < ChoiceCount; ++i) {
      EXPECT_EQ(d.choicePicture(i), i == c.chosen ? d.chosenPicture() : d.emptyPicture())
          << "kind " << c.kind << " image " << i;
    }
    EXPECT_EQ(IsWindowEnabled(d.repeatBox()) != 0, c.repeat) << "kind " << c.kind;
    EXPECT_EQ(d.fileButton()->core().members().Enabled, c.fileButton) << "kind " << c.kind;
    EXPECT_EQ(comboText(d.repeatBox()), c.text) << "kind " << c.kind;
    EXPECT_EQ(d.fileLabel(), c.file) << "kind " << c.kind;
    EXPECT_EQ(settings::BGMKind, c.kind) << "opening changes nothing";
    dialog_.reset();
  }
}

TEST_F(DialogTest, OffersAnEditableListOfTheEmptyEntryAndOneToThirty) {
  SettingsDialog& d = open();
  HWND combo = d.repeatBox();
  EXPECT_EQ(GetWindowLongW(combo, GWL_STYLE) & 3, CBS_DROPDOWN);
  ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 31);
  for (int i = 0; i < 31; ++i) {
    wchar_t entry[16] = {};
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
    EXPECT_EQ(std::wstring(entry), i == 0 ? L"" : std::to_wstring(i));
  }
}

// ---- choosing the kind ----

TEST_F(DialogTest, APressWithAnyButtonOnAnImageOrLabelChoosesTheKind) {
  struct Case {
    int start;
    const TwipsRect* target;
    UINT button;
    int kind;
  };
  const std::vector<Case> cases = {
      {0, &layout::Img_BGM[1], WM_LBUTTONDOWN, 1}, {0, &layout::lbl_BGM[2], WM_LBUTTONDOWN, 2},
      {1, &layout::lbl_BGM[0], WM_RBUTTONDOWN, 0}, {2, &layout::Img_BGM[1], WM_MBUTTONDOWN, 1},
      {5, &layout::lbl_BGM[1], WM_RBUTTONDOWN, 1}, {5, &layout::Img_BGM[2], WM_LBUTTONDOWN, 2},
      {1, &layout::Img_BGM[0], WM_LBUTTONDOWN, 0}, {2, &layout::Img_BGM[2], WM_RBUTTONDOWN, 2},
  };
  for (const Case& c : cases) {
    settings::BGMKind = static_cast<int16_t>(c.start);
    SettingsDialog& d = open();
    // Only the press counts: no release follows here.
    SendMessageW(d.panel(), c.button, 0, centreOf(px(*c.target)));
    pump();
    EXPECT_EQ(settings::BGMKind, c.kind) << "from " << c.start;
    for (int i = 0; i < ChoiceCount; ++i) {
      EXPECT_EQ(d.choicePicture(i), i == c.kind ? d.chosenPicture() : d.emptyPicture()) << "from " << c.start;
    }
    EXPECT_EQ(IsWindowEnabled(d.repeatBox()) != 0, c.kind == 1) << "from " << c.start;
    EXPECT_EQ(d.fileButton()->core().members().Enabled, c.kind == 2) << "from " << c.start;
    dialog_.reset();
  }
}

TEST_F(DialogTest, APressBesideTheChoicesChangesNothing) {
  settings::BGMKind = 1;
  SettingsDialog& d = open();
  const PixelRect image = px(layout::Img_BGM[0]);
  const PixelRect title = px(layout::lblTitle);
  for (LPARAM at : {MAKELPARAM(image.x + image.width + 1, image.y + 2), MAKELPARAM(image.x - 3, image.y + 2),
                    centreOf(title), MAKELPARAM(400, 20)}) {
    press(d.panel(), WM_LBUTTONDOWN, at);
    press(d.panel(), WM_RBUTTONDOWN, at);
  }
  EXPECT_EQ(settings::BGMKind, 1);
  EXPECT_EQ(d.choicePicture(1), d.chosenPicture());
  EXPECT_TRUE(IsWindowEnabled(d.repeatBox()));
}

// ---- confirm, cancel, close ----

TEST_F(DialogTest, ConfirmSavesTheTypedTrackRoundedOrZero) {
  const std::vector<std::pair<std::wstring, int>> cases = {
      {L" 12 ", 12}, {L"12.5", 12}, {L"13.5", 14}, {L"abc", 0}, {L"99999", 0}, {L"", 0}, {L"-3", -3},
  };
  for (const auto& [typed, track] : cases) {
    g.writes.clear();
    settings::BGMKind = 1;
    settings::BGMRepeatTrack = 4;
    SettingsDialog& d = open();
    type(d.repeatBox(), typed);
    EXPECT_EQ(comboText(d.repeatBox()), typed);
    click(d.setButton());
    EXPECT_FALSE(d.loaded()) << "confirming closes the dialog";
    EXPECT_EQ(settings::BGMRepeatTrack, track) << ui::toAnsi(typed);
    ASSERT_EQ(g.writes.size(), 3u);
    EXPECT_EQ(g.writes[1].value, ui::toAnsi(settings::formatIniNumber(track))) << ui::toAnsi(typed);
    EXPECT_EQ(std::atoi(stored(settings::KeyRepeat).c_str()), track) << ui::toAnsi(typed);
    dialog_.reset();
  }
}

TEST_F(DialogTest, ConfirmWritesKindTrackAndFileInThatOrderWhateverTheKind) {
  struct Case {
    int kind, track;
    const wchar_t* file;
    int choose;  // a press on this choice first, -1 none
    const wchar_t* kindText;
  };
  const std::vector<Case> cases = {
      {2, 7, L"C:\\Music\\song.mp3", -1, L" 2"},
      {0, 9, L"C:\\Music\\a.wav", -1, L" 0"},
      {2, 0, L"", -1, L" 2"},                     // kind 2 without a file
      {0, 3, L"C:\\b.mp3", 1, L" 1"},             // the kind chosen in the dialog
      {5, 0, L"", -1, L" 5"},
  };
  for (const Case& c : cases) {
    g.writes.clear();
    DeleteFileW(iniPath().c_str());
    settings::BGMKind = static_cast<int16_t>(c.kind);
    settings::BGMRepeatTrack = static_cast<int16_t>(c.track);
    settings::BGMFile = c.file;
    SettingsDialog& d = open();
    if (c.choose >= 0) SendMessageW(d.panel(), WM_LBUTTONDOWN, 0, centreOf(px(layout::lbl_BGM[c.choose])));
    click(d.setButton());
    ASSERT_EQ(g.writes.size(), 3u) << "kind " << c.kind;
    const std::string path = ui::toAnsi(g.folder + L"\\Swirlbloom.new");  // the copy that then replaces the file
    const std::wstring trackText = settings::formatIniNumber(c.track);
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {settings::KeyKind, c.kindText}, {settings::KeyRepeat, trackText}, {settings::KeyFile, c.file}};
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(g.writes[i].section, "Section");
      EXPECT_EQ(g.writes[i].key, cp932(expected[i].first)) << i;
      EXPECT_EQ(g.writes[i].value, ui::toAnsi(expected[i].second)) << i;
      EXPECT_EQ(g.writes[i].path, path);
    }
    // The file holds the three keys in the same order.
    const std::string text = iniText();
    const size_t kind = text.find(cp932(settings::KeyKind) + "=");
    const size_t repeat = text.find(cp932(settings::KeyRepeat) + "=");
    const size_t file = text.find(cp932(settings::KeyFile) + "=");
    EXPECT_NE(text.find("[Section]"), std::string::npos);
    EXPECT_LT(kind, repeat);
    EXPECT_LT(repeat, file);
    EXPECT_NE(file, std::string::npos);
    EXPECT_EQ(stored(settings::KeyFile), ui::toAnsi(c.file));
    dialog_.reset();
  }
}

TEST_F(DialogTest, CancelAndTheCloseBoxWriteNothing) {
  for (int way = 0; way < 3; ++way) {
    g.writes.clear();
    settings::BGMKind = 0;
    SettingsDialog& d = open();
    SendMessageW(d.panel(), WM_LBUTTONDOWN, 0, centreOf(px(layout::Img_BGM[2])));
    type(d.repeatBox(), L"9");
    if (way == 0) click(d.cancelButton());
    if (way == 1) SendMessageW(d.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    if (way == 2) SendMessageW(d.hwnd(), WM_CLOSE, 0, 0);
    pump();
    EXPECT_FALSE(d.loaded()) << "way " << way;
    EXPECT_TRUE(g.writes.empty()) << "way " << way;
    EXPECT_FALSE(iniExists()) << "way " << way;
    EXPECT_EQ(settings::BGMKind, 2) << "the choice stays in memory";
    dialog_.reset();
  }
}

// Whatever an interrupted save left under the names the save uses (a read-only file, an empty
// folder) goes; what cannot go (a folder with something in it) is refused, named in the
// message, and the file is kept.
TEST_F(DialogTest, ALeftoverOfAnInterruptedSaveNeverBlocksTheNext) {
  const std::string old = "[Section]\r\n" + cp932(settings::KeyKind) + "=2\r\n[Other]\r\nkeep=me\r\n";
  for (const wchar_t* name : {L"Swirlbloom.new", L"Swirlbloom.old"}) {
    for (int kind = 0; kind < 3; ++kind) {  // a read-only file, an empty folder, a folder in use
      const std::wstring leftover = g.folder + L"\\" + name;
      std::ofstream(ui::toAnsi(iniPath()), std::ios::binary) << old;
      if (kind == 0) {
        std::ofstream(ui::toAnsi(leftover), std::ios::binary) << "[Section]\r\n";
        SetFileAttributesW(leftover.c_str(), FILE_ATTRIBUTE_READONLY);
      } else {
        CreateDirectoryW(leftover.c_str(), nullptr);
        if (kind == 2) CloseHandle(CreateFileW((leftover + L"\\x").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
      }
      g.messages.clear();
      settings::BGMKind = 1;
      SettingsDialog& d = open();
      click(d.setButton());
      const bool blocked = kind == 2 && std::wstring(name) == L"Swirlbloom.new";
      EXPECT_EQ(d.loaded(), blocked) << ui::toAnsi(name) << kind;
      if (blocked) {
        ASSERT_EQ(g.messages.size(), 1u);
        EXPECT_NE(g.messages[0].find(leftover + L"\n"), std::wstring::npos) << ui::toAnsi(g.messages[0]);
        EXPECT_EQ(iniText(), old);
      } else {
        EXPECT_TRUE(g.messages.empty()) << ui::toAnsi(name) << kind;
        EXPECT_EQ(stored(settings::KeyKind), "1") << ui::toAnsi(name) << kind;
        EXPECT_NE(iniText().find("keep=me"), std::string::npos);
      }
      EXPECT_EQ(GetFileAttributesW(leftover.c_str()) == INVALID_FILE_ATTRIBUTES, kind != 2) << ui::toAnsi(name) << kind;
      dialog_.reset();
      DeleteFileW((leftover + L"\\x").c_str());
      RemoveDirectoryW(leftover.c_str());
    }
  }
}

// The profile calls read and write a file with a UTF-16 byte order mark as UTF-16; such a file
// is saved as one, whole, with its other sections, and with its keys as the characters they
// are (read back through the wide call: this prefix's code page is 1252, not 932).
TEST_F(DialogTest, AUtf16SettingsFileIsSavedAsUtf16) {
  auto storedWide = [&](const wchar_t* key) {
    wchar_t value[256] = {};
    GetPrivateProfileStringW(L"Section", key, L"(missing)", value, 256, iniPath().c_str());
    return std::wstring(value);
  };
  for (const char* mark : {"\xFF\xFE", "\xFE\xFF"}) {
    const bool little = mark[0] == '\xFF';
    std::string text(mark, 2);
    for (char c : std::string("[Section]\r\nold=1\r\n[Other]\r\nkeep=me\r\n")) {
      text += little ? std::string{c, '\0'} : std::string{'\0', c};
    }
    std::ofstream(ui::toAnsi(iniPath()), std::ios::binary) << text;
    g.messages.clear();
    settings::BGMKind = 2;
    settings::BGMRepeatTrack = 0;
    settings::BGMFile = L"C:\\Music\\song.mp3";
    SettingsDialog& d = open();
    click(d.setButton());
    EXPECT_TRUE(g.messages.empty()) << (g.messages.empty() ? "" : ui::toAnsi(g.messages[0]));
    EXPECT_FALSE(d.loaded());
    EXPECT_EQ(iniText().substr(0, 2), std::string(mark, 2));
    EXPECT_EQ(storedWide(settings::KeyKind), L"2");
    EXPECT_EQ(storedWide(settings::KeyFile), L"C:\\Music\\song.mp3");
    char kept[16] = {};
    GetPrivateProfileStringA("Other", "keep", "", kept, sizeof kept, ui::toAnsi(iniPath()).c_str());
    EXPECT_STREQ(kept, "me");
    dialog_.reset();
  }
}

TEST_F(DialogTest, TheModalLoopEndsWhenAnotherThreadClosesTheWindow) {
  SettingsDialog& d = open();
  const HWND window = d.hwnd();
  std::atomic<bool> returned{false};
  std::atomic<bool> rescued{false};
  const DWORD loopThread = GetCurrentThreadId();
  // A close sent from elsewhere (another program, the system) is handled inside GetMessage.
  std::thread closer([&] {
    while (!IsWindowVisible(window)) Sleep(10);
    SendMessageW(window, WM_CLOSE, 0, 0);
    for (int i = 0; i < 1000 && !returned; ++i) Sleep(10);
    if (!returned) {  // the loop did not notice: wake it so the test can fail instead of hang
      rescued = true;
      PostThreadMessageW(loopThread, WM_QUIT, 0, 0);
    }
  });
  d.runModal();
  returned = true;
  closer.join();
  EXPECT_FALSE(rescued) << "the modal loop went on waiting after the window had gone";
  EXPECT_FALSE(d.loaded());
  MSG quit;
  while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

TEST_F(DialogTest, ADisabledFileButtonDoesNotOpenTheChooser) {
  settings::BGMKind = 0;
  SettingsDialog& d = open();
  click(d.fileButton());
  EXPECT_TRUE(g.chooser.empty());
  EXPECT_TRUE(d.loaded());
}

// ---- the zoom ----

TEST_F(DialogTest, ZoomsFromTheCursorWhenOpeningAndBackToItWhenClosing) {
  g.cursor = POINT{900, 700};
  SettingsDialog& d = open();
  EXPECT_EQ(ZoomOrigin.x, 900);
  EXPECT_EQ(ZoomOrigin.y, 700);
  RECT window{};
  GetWindowRect(d.hwnd(), &window);
  ASSERT_EQ(g.animations.size(), 1u);
  EXPECT_EQ(g.animations[0].kind, IDANI_CAPTION);
  const RECT origin{900, 700, 900, 700};
  EXPECT_TRUE(EqualRect(&g.animations[0].from, &origin));
  // The window manager may still move the window once it is shown: the opening zoom ends on
  // the window's size wherever it was first placed.
  EXPECT_EQ(g.animations[0].to.right - g.animations[0].to.left, window.right - window.left);
  EXPECT_EQ(g.animations[0].to.bottom - g.animations[0].to.top, window.bottom - window.top);
  g.cursor = POINT{10, 10};  // wherever the cursor is when it closes
  click(d.cancelButton());
  ASSERT_EQ(g.animations.size(), 2u);
  EXPECT_TRUE(EqualRect(&g.animations[1].from, &window));
  EXPECT_TRUE(EqualRect(&g.animations[1].to, &origin));
}

TEST_F(DialogTest, AFailedCursorReadZoomsFromTheScreensCorner) {
  g.cursor = POINT{900, 700};
  open();
  dialog_.reset();
  g.animations.clear();
  g.cursorFails = true;
  open();
  EXPECT_EQ(ZoomOrigin.x, 0);
  EXPECT_EQ(ZoomOrigin.y, 0);
  ASSERT_FALSE(g.animations.empty());
  const RECT corner{0, 0, 0, 0};
  EXPECT_TRUE(EqualRect(&g.animations[0].from, &corner));
}

// ---- the file chooser ----

TEST_F(DialogTest, TheChooserPicksAFileAndTheLabelAndFolderFollow) {
  const std::wstring song = makeFile(L"tone.mp3");
  settings::BGMKind = 2;
  settings::BGMFile = L"C:\\old.wav";
  SettingsDialog& d = open();
  g.chooserAnswer = song;
  click(d.fileButton());
  ASSERT_EQ(g.chooser.size(), 1u);
  EXPECT_TRUE(g.chooserSeen);
  const ChooserRequest& r = g.chooser[0];
  EXPECT_EQ(r.size, OpenFileNameSize);
  EXPECT_LT(r.size, sizeof(OPENFILENAMEA)) << "the old structure";
  EXPECT_EQ(r.owner, d.hwnd());
  EXPECT_EQ(r.flags, 0u);
  EXPECT_EQ(r.maxFile, 255u);
  EXPECT_EQ(r.maxTitle, 255u);
  EXPECT_TRUE(r.fileAllNul);
  EXPECT_EQ(r.filter, ui::toAnsi(L"BGMﾌｧｲﾙ (MP3 WAV)") + "|*.MP3;*.WAV|");
  EXPECT_EQ(r.title, ui::toAnsi(L"ﾌｧｲﾙを開く"));
  EXPECT_EQ(r.folder, ui::toAnsi(g.folder));
  EXPECT_EQ(g.chooserTitleSeen, L"ﾌｧｲﾙを開く");

  EXPECT_EQ(LastApiResult, 1);
  EXPECT_EQ(settings::BGMFile, song);
  EXPECT_EQ(d.fileLabel(), song);
  EXPECT_EQ(settings::BGMFolder, g.folder);
  EXPECT_TRUE(d.loaded());

  click(d.setButton());
  EXPECT_EQ(stored(settings::KeyFile), ui::toAnsi(song));
}

TEST_F(DialogTest, ACancelledChoiceChangesNothing) {
  settings::BGMKind = 2;
  settings::BGMFile = L"C:\\old.wav";
  settings::BGMFolder = L"C:\\Music";
  SettingsDialog& d = open();
  g.chooserAnswer.clear();
  click(d.fileButton());
  ASSERT_EQ(g.chooser.size(), 1u);
  EXPECT_TRUE(g.chooserSeen);
  EXPECT_EQ(LastApiResult, 0);
  EXPECT_EQ(settings::BGMFile, L"C:\\old.wav");
  EXPECT_EQ(d.fileLabel(), L"C:\\old.wav");
  EXPECT_EQ(settings::BGMFolder, L"C:\\Music");
}

TEST_F(DialogTest, ANameTheCodePageCannotHoldWithoutAShortNameIsRefusedAndThePreviousKept) {
  // Held by no ANSI code page, 1252 or 932.
  const std::wstring song = makeFile(L"Музыка \U0001F3B5.wav");
  ScopedSeam<DialogSystem> volume(dialogCalls());
  dialogCalls().getShortPathName = noShortNames;
  settings::BGMKind = 2;
  settings::BGMFile = L"C:\\old.wav";
  SettingsDialog& d = open();
  g.chooserAnswer = song;
  click(d.fileButton());
  ASSERT_TRUE(g.chooserSeen);
  ASSERT_EQ(g.messages.size(), 1u);
  EXPECT_NE(g.messages[0].find(song), std::wstring::npos);
  EXPECT_EQ(settings::BGMFile, L"C:\\old.wav");
  EXPECT_EQ(d.fileLabel(), L"C:\\old.wav");
  EXPECT_TRUE(d.loaded());
}

// ---- the link ----

TEST_F(DialogTest, ClickingTheLinkOpensTheGuideBesideTheProgram) {
  SettingsDialog& d = open();
  const PixelRect link = d.linkRect();
  const LPARAM inside = MAKELPARAM(link.x + 5, link.y + link.height / 2);
  const LPARAM outside = MAKELPARAM(link.x + link.width + 20, link.y + link.height / 2);

  // Pressed and released elsewhere, or with the right button: no click.
  SendMessageW(d.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, inside);
  SendMessageW(d.hwnd(), WM_LBUTTONUP, 0, outside);
  press(d.hwnd(), WM_RBUTTONDOWN, inside);
  press(d.hwnd(), WM_LBUTTONDOWN, outside);
  EXPECT_TRUE(g.shell.empty());

  press(d.hwnd(), WM_LBUTTONDOWN, inside);
  ASSERT_EQ(g.shell.size(), 1u);
  const ShellCall& call = g.shell[0];
  EXPECT_EQ(call.owner, d.hwnd());
  EXPECT_EQ(call.operation, "open");
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring folder(exe);
  folder.resize(folder.rfind(L'\\'));
  EXPECT_EQ(call.file, ui::toAnsi(folder + L"\\Pomarel.html"));
  EXPECT_EQ(call.parameters, "");
  EXPECT_EQ(call.folder, "");
  EXPECT_EQ(call.show, SW_SHOWNORMAL);
  EXPECT_EQ(d.linkCaption(), L"Pomarel.html");
  EXPECT_TRUE(d.loaded()) << "the dialog stays open";
  EXPECT_EQ(d.cursorAt(link.x + 5, link.y + 2), d.cursorAt(link.x + 6, link.y + 3));
  EXPECT_NE(d.cursorAt(link.x + 5, link.y + 2), LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)))
      << "the hourglass is gone again";
}

// ---- the keyboard ----

// The modal loop's pump: each message goes to the dialog's key filter first.
void pumpKeys(SettingsDialog& d, DWORD ms = 60) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (d.loaded() && d.keyMessage(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  } while (GetTickCount() - start < ms);
}

// Keys pressed and released one after the other on the system's input queue (Shift held for
// the negative ones: -VK_TAB is Shift+Tab), each followed by the modal loop's pumping.
void keys(SettingsDialog& d, std::initializer_list<int> pressed) {
  for (int k : pressed) {
    std::vector<INPUT> input;
    auto add = [&](WORD vk, DWORD flags) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wVk = vk;
      in.ki.dwFlags = flags;
      input.push_back(in);
    };
    const auto vk = static_cast<WORD>(k < 0 ? -k : k);
    if (k < 0) add(VK_SHIFT, 0);
    add(vk, 0);
    add(vk, KEYEVENTF_KEYUP);
    if (k < 0) add(VK_SHIFT, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
    pumpKeys(d);
  }
}

std::wstring windowText(HWND window) {
  wchar_t text[128] = {};
  GetWindowTextW(window, text, 128);
  return text;
}

// Pixels of the column just left of a label, on the screen, that differ from the kept image
// there: the dotted focus mark's left edge, and nothing else, crosses that column.
int markDots(HWND window, const Canvas& image, const PixelRect& label) {
  UpdateWindow(window);
  HDC dc = GetDC(window);
  int dots = 0;
  for (int y = label.y; y < label.y + label.height; ++y) {
    dots += GetPixel(dc, label.x - 1, y) != image.pixel(label.x - 1, y);
  }
  ReleaseDC(window, dc);
  return dots;
}

class DialogKeysTest : public DialogTest {
 protected:
  // The dialog as the user finds it: in front, with the keyboard.
  SettingsDialog& openInFront() {
    SettingsDialog& d = open();
    SetForegroundWindow(d.hwnd());
    for (int i = 0; i < 200 && (GetForegroundWindow() != d.hwnd() || GetFocus() != d.hwnd()); ++i) pumpKeys(d, 10);
    EXPECT_EQ(GetFocus(), d.hwnd()) << "nothing inside has the focus at first";
    return d;
  }
  HWND repeatEdit(SettingsDialog& d) { return FindWindowExW(d.repeatBox(), nullptr, L"Edit", nullptr); }
};

TEST_F(DialogKeysTest, TabAndShiftTabGoThroughTheControlsInReadingOrderSkippingDisabledOnes) {
  for (const int kind : {2, 1}) {
    SCOPED_TRACE("kind " + std::to_string(kind));
    settings::BGMKind = static_cast<int16_t>(kind);
    SettingsDialog& d = openInFront();
    const HWND file = d.fileButton()->window(), set = d.setButton()->window(), cancel = d.cancelButton()->window();
    // Kind 2 leaves the combo box disabled, kind 1 the file button.
    const HWND second = kind == 2 ? file : repeatEdit(d);
    const std::vector<std::pair<int, HWND>> steps = {
        {VK_TAB, d.choiceFocus()}, {VK_TAB, second},        {VK_TAB, set},    {VK_TAB, cancel},
        {VK_TAB, d.linkFocus()},   {VK_TAB, d.choiceFocus()}, {-VK_TAB, d.linkFocus()}, {-VK_TAB, cancel},
        {-VK_TAB, set},            {-VK_TAB, second},
    };
    for (size_t i = 0; i < steps.size(); ++i) {
      keys(d, {steps[i].first});
      EXPECT_EQ(GetFocus(), steps[i].second) << "key " << i;
    }
    // Focus by the keyboard shows on a Command as its Selected image, and only while it lasts.
    keys(d, {VK_TAB});
    EXPECT_EQ(d.setButton()->core().members().State, controls::ButtonState::Selected);
    EXPECT_EQ(d.setButton()->core().lastImage(), controls::FaceImage::Selected);
    keys(d, {VK_TAB});
    EXPECT_EQ(d.setButton()->core().lastImage(), controls::FaceImage::Normal);
    EXPECT_EQ(d.cancelButton()->core().lastImage(), controls::FaceImage::Selected);
    EXPECT_TRUE(d.loaded());
    EXPECT_TRUE(g.writes.empty());
    dialog_.reset();
  }
}

TEST_F(DialogKeysTest, TheKeysGoOnWhenAPressDisablesTheFocusedTrackBox) {
  settings::BGMKind = 1;
  SettingsDialog& d = openInFront();
  keys(d, {VK_TAB, VK_TAB});
  ASSERT_EQ(GetFocus(), repeatEdit(d));
  SendMessageW(d.panel(), WM_LBUTTONDOWN, 0, centreOf(px(layout::lbl_BGM[0])));
  EXPECT_FALSE(IsWindowEnabled(d.repeatBox()));
  keys(d, {VK_TAB});
  EXPECT_EQ(GetFocus(), d.choiceFocus());
}

TEST_F(DialogKeysTest, ArrowsInTheMusicGroupChooseAsAPressDoesAndTheDottedMarkFollows) {
  settings::BGMKind = 0;
  SettingsDialog& d = openInFront();
  auto label = [](int kind) { return px(layout::lbl_BGM[kind]); };
  EXPECT_EQ(markDots(d.panel(), d.panelImage(), label(0)), 0) << "no mark before the group has the focus";
  keys(d, {VK_TAB});
  ASSERT_EQ(GetFocus(), d.choiceFocus());
  EXPECT_EQ(windowText(d.choiceFocus()), L"なし");
  EXPECT_GT(markDots(d.panel(), d.panelImage(), label(0)), 3);
  const struct {
    int key, kind;
    const wchar_t* name;
  } steps[] = {{VK_DOWN, 2, L"MP3、WAV"}, {VK_DOWN, 1, L"音楽CD"}, {VK_UP, 2, L"MP3、WAV"},
               {VK_LEFT, 0, L"なし"},     {VK_RIGHT, 2, L"MP3、WAV"}, {VK_RIGHT, 1, L"音楽CD"}};
  for (const auto& step : steps) {
    keys(d, {step.key});
    SCOPED_TRACE("to kind " + std::to_string(step.kind));
    EXPECT_EQ(settings::BGMKind, step.kind);
    for (int i = 0; i < ChoiceCount; ++i) {
      EXPECT_EQ(d.choicePicture(i), i == step.kind ? d.chosenPicture() : d.emptyPicture());
    }
    EXPECT_EQ(IsWindowEnabled(d.repeatBox()) != 0, step.kind == 1);
    EXPECT_EQ(d.fileButton()->core().members().Enabled, step.kind == 2);
    EXPECT_EQ(windowText(d.choiceFocus()), step.name);
    for (int i = 0; i < ChoiceCount; ++i) {
      EXPECT_EQ(markDots(d.panel(), d.panelImage(), label(i)) > 3, i == step.kind) << "mark at " << i;
    }
    EXPECT_EQ(GetFocus(), d.choiceFocus());
  }
  keys(d, {VK_TAB});
  EXPECT_EQ(markDots(d.panel(), d.panelImage(), label(1)), 0) << "the mark goes with the focus";
  EXPECT_TRUE(g.writes.empty());
}

TEST_F(DialogKeysTest, SpaceOnAFocusedButtonClicksItAndTheFocusComesBackFromTheChooser) {
  settings::BGMKind = 2;
  const std::wstring song = makeFile(L"tone.wav");
  SettingsDialog& d = openInFront();
  keys(d, {VK_TAB, VK_TAB});
  ASSERT_EQ(GetFocus(), d.fileButton()->window());
  g.chooserAnswer = song;
  keys(d, {VK_SPACE});
  ASSERT_EQ(g.chooser.size(), 1u) << "Space clicked \"...\"";
  EXPECT_EQ(settings::BGMFile, song);
  pumpKeys(d, 200);
  EXPECT_EQ(GetFocus(), d.fileButton()->window()) << "back where it was";
  EXPECT_EQ(d.fileButton()->core().lastImage(), controls::FaceImage::Selected) << "the button's face stays its own";
  // Space on 設定: the click that saves and closes.
  keys(d, {VK_TAB, VK_SPACE});
  EXPECT_FALSE(d.loaded());
  EXPECT_EQ(stored(settings::KeyFile), ui::toAnsi(song));
  EXPECT_EQ(stored(settings::KeyKind), "2");
}

TEST_F(DialogKeysTest, ReturnConfirmsAndEscapeCancelsUnlessTheListIsOpen) {
  // Return from the track's box: the typed track is saved, and the dialog closes.
  settings::BGMKind = 1;
  SettingsDialog& d = openInFront();
  keys(d, {VK_TAB, VK_TAB});
  ASSERT_EQ(GetFocus(), repeatEdit(d));
  type(d.repeatBox(), L"7");
  SendMessageW(d.repeatBox(), CB_SHOWDROPDOWN, TRUE, 0);
  keys(d, {VK_ESCAPE});
  EXPECT_TRUE(d.loaded()) << "Escape closed the open list only";
  EXPECT_FALSE(SendMessageW(d.repeatBox(), CB_GETDROPPEDSTATE, 0, 0));
  SendMessageW(d.repeatBox(), CB_SHOWDROPDOWN, TRUE, 0);
  keys(d, {VK_RETURN});
  EXPECT_TRUE(d.loaded()) << "Return closed the open list only";
  EXPECT_TRUE(g.writes.empty());
  type(d.repeatBox(), L"7");
  keys(d, {VK_RETURN});
  EXPECT_FALSE(d.loaded());
  EXPECT_EQ(stored(settings::KeyRepeat), "7");
  dialog_.reset();

  // Escape anywhere else: nothing written.
  DeleteFileW(iniPath().c_str());
  g.writes.clear();
  SettingsDialog& e = openInFront();
  keys(e, {VK_TAB, VK_DOWN, VK_ESCAPE});
  EXPECT_FALSE(e.loaded());
  EXPECT_TRUE(g.writes.empty());
  EXPECT_FALSE(iniExists());
}

TEST_F(DialogKeysTest, ReturnOnTheLinkOpensTheGuideAndTheDialogStays) {
  SettingsDialog& d = openInFront();
  keys(d, {-VK_TAB});
  ASSERT_EQ(GetFocus(), d.linkFocus());
  EXPECT_GT(markDots(d.hwnd(), d.formImage(), d.linkRect()), 3);
  keys(d, {VK_RETURN});
  ASSERT_EQ(g.shell.size(), 1u);
  EXPECT_EQ(g.shell[0].operation, "open");
  EXPECT_NE(g.shell[0].file.find("Pomarel.html"), std::string::npos);
  EXPECT_TRUE(d.loaded());
  EXPECT_TRUE(g.writes.empty());
}

// Screen readers name a control by its window text; the focus holders take no pointer input.
TEST_F(DialogKeysTest, EveryFocusableControlIsNamedByItsCaptionAndThePointerGoesWhereItWent) {
  settings::BGMKind = 1;
  SettingsDialog& d = open();
  EXPECT_EQ(windowText(d.fileButton()->window()), L"...");
  EXPECT_EQ(windowText(d.setButton()->window()), L"設定");
  EXPECT_EQ(windowText(d.cancelButton()->window()), L"ｷｬﾝｾﾙ");
  EXPECT_EQ(windowText(d.choiceFocus()), L"音楽CD");
  EXPECT_EQ(windowText(d.linkFocus()), d.linkCaption());
  auto screen = [](HWND window, const PixelRect& r) {
    POINT at{r.x + r.width / 2, r.y + r.height / 2};
    ClientToScreen(window, &at);
    return at;
  };
  RECT group{};  // where a screen reader shows the group: over all three choices
  GetWindowRect(d.choiceFocus(), &group);
  for (int i = 0; i < ChoiceCount; ++i) {
    for (const TwipsRect* part : {&layout::lbl_BGM[i], &layout::Img_BGM[i]}) {
      const POINT at = screen(d.panel(), px(*part));
      EXPECT_TRUE(PtInRect(&group, at)) << i;
      EXPECT_EQ(WindowFromPoint(at), d.panel()) << i;
    }
  }
  EXPECT_EQ(WindowFromPoint(screen(d.hwnd(), d.linkRect())), d.hwnd());
}

}  // namespace
}  // namespace settings_dialog
