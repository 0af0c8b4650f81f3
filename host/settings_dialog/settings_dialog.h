// Swirlbloom_P, the settings dialog "<Pomarel>": the window, its panel Pic_C, BGM_Repeat, three
// Command buttons, the windowless labels and images. Window procedures and the loop's key filter
// only turn messages into the handlers of DialogSteps and the keys of DialogKeyboard, whose view
// and focus port this is (SettingsFile is the file port). Depends on settings_dialog_rules,
// host/ui, host/controls, host/settings, comdlg32 and shell32.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <cstddef>
#include <string>

#include "common/contract.h"
#include "host/controls/command.h"
#include "host/settings/settings.h"
#include "host/settings_dialog/canvas.h"
#include "host/settings_dialog/settings_dialog_rules.h"
#include "host/ui/form.h"

namespace settings_dialog {

// The dialog's system calls that tests need to see or answer: the cursor position read at
// load, the caption zoom, the file chooser and the short names, the shell's "open" and the
// message box. Tests swap single calls with ScopedSeam; one that wraps a real call keeps a
// copy of the struct from before the swap.
struct DialogSystem {
  decltype(&GetCursorPos) getCursorPos = GetCursorPos;
  decltype(&DrawAnimatedRects) drawAnimatedRects = DrawAnimatedRects;
  decltype(&GetOpenFileNameW) getOpenFileName = GetOpenFileNameW;
  decltype(&ShellExecuteA) shellExecute = ShellExecuteA;
  decltype(&MessageBoxW) messageBox = MessageBoxW;
  decltype(&GetShortPathNameW) getShortPathName = GetShortPathNameW;
};
DialogSystem& dialogCalls();

// The size the file chooser is told its request has: the structure as it was before the
// places bar was added (76 bytes in the 32-bit program). The 64-bit program passes the same
// layout's size for its own pointer width (136 bytes), the only old size its system accepts.
// (OPENFILENAME_SIZE_VERSION_400W, spelt out: the header's macro is no constant expression.)
constexpr DWORD OpenFileNameSize = offsetof(OPENFILENAMEW, lpTemplateName) + sizeof(LPCWSTR);
static_assert(sizeof(void*) != 4 || OpenFileNameSize == 76, "the 32-bit request must be 76 bytes");

constexpr const wchar_t* DialogCaption = contract::SettingsWindowTitleW;
constexpr int IdFile = 101, IdSet = 102, IdCancel = 103, IdRepeat = 104;

class SettingsDialog : public ui::Form, private DialogViewPort, private DialogFocusPort {
 public:
  SettingsDialog();
  ~SettingsDialog() override;

  // Creates the window, hidden, and runs the load steps. False when the window cannot be made.
  bool open();
  // Shows the loaded window and dispatches messages until it has gone.
  void runModal();
  // What the modal loop asks of every message before dispatching it, as IsDialogMessage: true
  // when the dialog took it as one of its keys (Tab, Return, Escape, arrows in the music group)
  // and it must not be dispatched.
  bool keyMessage(const MSG& msg);

  // Event handlers, as the window procedures call them.
  void chooseKind(int kind);  // mouse press on Img_BGM(kind) or lbl_BGM(kind), any button
  void chooseFile();          // Click of Cmd_File
  void confirm();             // Click of Cmd_Set
  void cancel();              // Click of Cmd_Can (the close box ends up in the same unload)
  void openLink() override;   // click of lbl_URL, or Return on it

  // What the dialog shows, for tests.
  HWND panel() const { return Pic_C; }
  HWND repeatBox() const { return BGM_Repeat; }
  controls::Command* fileButton() const { return Cmd_File; }
  controls::Command* setButton() const { return Cmd_Set; }
  controls::Command* cancelButton() const { return Cmd_Can; }
  HBITMAP choicePicture(int index) const;  // the picture Img_BGM(index) shows
  HWND choiceFocus() const { return choiceFocus_; }  // the music group's focus holder
  HWND linkFocus() const { return linkFocus_; }      // lbl_URL's
  HBITMAP chosenPicture() const { return Img_Ra[1]; }
  HBITMAP emptyPicture() const { return Img_Ra[0]; }
  HBITMAP texture() const { return Pic_Mbl; }
  std::wstring fileLabel() const;
  std::wstring linkCaption() const;
  PixelRect linkRect() const;                       // lbl_URL in client pixels
  HCURSOR cursorAt(int clientX, int clientY) const; // what WM_SETCURSOR shows there
  const Canvas& formImage() const { return formImage_; }
  const Canvas& panelImage() const { return panelImage_; }
  const LightLabel* label(const wchar_t* text) const;  // a windowless label by its text

 protected:
  void onLoad() override;
  void onUnload() override;
  void onResize(int clientWidth, int clientHeight) override;
  bool onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  static LRESULT CALLBACK panelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT panelMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  bool createFonts();
  bool createPanel();
  void createLabels();
  void createCombo();
  void createButtons();
  void createFocusHolders();
  void loadPictures();

  void TileTexture(HWND target, Canvas& surface);

  // DialogViewPort
  void placeWindow() override;
  void InitButtons() override;
  void TileTexture() override { TileTexture(Pic_C, panelImage_); }
  void enableRepeat(bool on) override;
  void enableFileButton(bool on) override;
  void showChoice(int selected) override;
  void setRepeatText(const std::wstring& text) override;
  void addRepeatEntry(const std::wstring& text) override;
  void showFile(const std::wstring& file) override;
  int32_t cursorPos(long& x, long& y) override;
  void ZoomOpen(Point16 origin) override;
  void ZoomClose(Point16 origin) override;
  void arrowPointer() override { busyPointer_ = false; }
  int32_t chooseFile(const std::wstring& folder, std::wstring& chosen) override;
  std::wstring repeatText() override;
  void showMessage(const std::wstring& message) override;
  std::wstring throughAnsi(const std::wstring& path) override;
  std::wstring shortPath(const std::wstring& path) override;
  void unloadWindow() override { unload(); }

  // DialogFocusPort
  FocusStop focusedStop() override;
  bool canFocus(FocusStop stop) override;
  void focus(FocusStop stop) override;
  bool repeatListOpen() override;
  HWND stopWindow(FocusStop stop) const;

  PixelRect pixels(const TwipsRect& r) const;

  HWND Pic_C = nullptr;
  HWND BGM_Repeat = nullptr;
  controls::Command* Cmd_File = nullptr;
  controls::Command* Cmd_Set = nullptr;
  controls::Command* Cmd_Can = nullptr;
  HBITMAP Pic_Mbl = nullptr;
  HBITMAP Img_Ra[2] = {};
  settings::SettingsFile file_;
  DialogSteps steps_{*this, file_};
  DialogKeyboard keyboard_{*this, steps_};

  Canvas formImage_;   // the window's persistent background: the gradient
  Canvas panelImage_;  // Pic_C's: the tiled texture
  // Where the windowless controls sit in the canvases' lists.
  size_t Img_BGM[ChoiceCount] = {};
  size_t lbl_BGM[ChoiceCount] = {};
  size_t lbl_Fname = 0;
  size_t lbl_URL = 0;

  HFONT labelFont_ = nullptr;  // "ＭＳ Ｐゴシック" 9.75 pt, Shift-JIS
  HFONT linkFont_ = nullptr;   // the same, underlined
  HFONT panelFont_ = nullptr;  // Tahoma 8.25 pt
  HCURSOR handCursor_ = nullptr;
  bool busyPointer_ = false;   // the hourglass while the shell opens the page
  bool linkPressed_ = false;
  HWND choiceFocus_ = nullptr;  // the music group takes the keyboard focus through it
  HWND linkFocus_ = nullptr;    // and lbl_URL through this one
  HWND lastFocus_ = nullptr;    // the focus when the dialog was last deactivated
  int twipsX_ = 15;
  int twipsY_ = 15;
};

// The start routine's "C" mode: creates the dialog and shows it modally without an owner
// window; returns once it has closed (confirmed, cancelled or closed with the close box).
// The settings variables must have been loaded before.
void showSettingsDialog();

}  // namespace settings_dialog
