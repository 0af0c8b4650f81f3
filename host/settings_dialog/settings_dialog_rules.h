// The settings dialog's decisions without any window: the handlers' steps in the order they
// run (DialogSteps over the window's DialogViewPort and the settings file's settings::SettingsSavePort),
// the track text rule, the "##" form, the look of each music choice, the geometry of the
// controls in twips, where the dialog goes on the screen, the gradient rows, the texture
// tiling, the zoom origin, and the keys (focus order, what each key does where). Platform-free;
// depends on host/settings (variables, parseDecimal, the save's port), common/text_rules.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/settings/settings_rules.h"

namespace settings_dialog {

// The track typed or picked in BGM_Repeat, as Cmd_Set saves it: numeric text (blanks
// around allowed) rounded halves to even; 0 for anything else, and for a number that does
// not fit 16 bits.
int16_t trackFromText(const std::wstring& text);

// The pattern "##": decimal without leading zeros, and the empty text for 0.
std::wstring formatHashes(int value);

// The 31 entries of BGM_Repeat's list: "", "1" .. "30".
std::vector<std::wstring> trackEntries();

// What the choice images, BGM_Repeat and Cmd_File show for a music kind.
struct ChoiceLook {
  int selected = -1;  // index of the Img_BGM showing the chosen image; -1 for none
  bool repeatEnabled = false;
  bool fileEnabled = false;
};
ChoiceLook lookForKind(int kind);

constexpr int ChoiceCount = 3;  // 0 none, 1 audio CD, 2 music file

// Geometry in twips, relative to the client area of the window or of the panel Pic_C.
struct TwipsRect {
  int x, y, width, height;
};
constexpr int ClientWidthTwips = 7440;
constexpr int ClientHeightTwips = 3690;

namespace layout {
constexpr TwipsRect Pic_C{180, 240, 7035, 2475};
// On the panel.
constexpr TwipsRect Shape3{300, 300, 1695, 315};
constexpr TwipsRect lblTitle{300, 360, 1665, 195};  // lbl(15)
constexpr TwipsRect Img_BGM[ChoiceCount] = {{420, 1140, 195, 195}, {420, 840, 195, 195}, {420, 1440, 195, 195}};
constexpr TwipsRect lbl_BGM[ChoiceCount] = {{660, 1140, 330, 195}, {660, 840, 645, 195}, {660, 1440, 900, 195}};
constexpr TwipsRect BGM_Repeat{1680, 780, 615, 300};
constexpr TwipsRect lblRepeat{2340, 840, 990, 195};  // lbl(14)
constexpr TwipsRect Cmd_File{420, 1740, 615, 315};
constexpr TwipsRect lbl_Fname{1080, 1740, 5595, 495};
// On the window.
constexpr TwipsRect lblCredit{180, 2880, 2475, 195};  // lbl(7)
constexpr TwipsRect lbl_URL{180, 3120, 3105, 195};
constexpr TwipsRect Cmd_Set{4860, 3000, 1155, 375};
constexpr TwipsRect Cmd_Can{6060, 3000, 1155, 375};
}  // namespace layout

struct PixelRect {
  int x, y, width, height;
  bool contains(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
};
// Twips to pixels at the given twips per pixel, truncating like the twips conversion of the
// host's forms.
PixelRect toPixels(const TwipsRect& r, int twipsPerPixelX, int twipsPerPixelY);

// The three choices' images and labels together, on the panel: where the music group takes the
// keyboard focus.
TwipsRect choiceGroupArea();

// Which choice a press at panel pixel (x, y) makes: the Img_BGM image or the lbl_BGM label
// of that index; nothing elsewhere.
std::optional<int> choiceAt(int x, int y, int twipsPerPixelX, int twipsPerPixelY);

// Top-left corner of the window: centred across the screen and a third of the way down, the
// arithmetic done in twips with the divisions truncated toward zero. Sizes in pixels.
struct Point {
  int x, y;
};
Point dialogPlacement(int screenWidth, int screenHeight, int windowWidth, int windowHeight, int twipsPerPixelX,
                      int twipsPerPixelY);

// The background gradient: the colour of every row from 0 to the client height, both
// included (one row more than the client has; it falls outside and is clipped).
struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
std::vector<Rgb> gradientRows(int clientHeight);

// Where TileTexture copies the tile, in order: column by column from the top-left, each
// column going one tile below the bottom edge, the last column starting beyond the right
// edge. Empty for a tile without area, which could never advance.
std::vector<Point> tilePositions(int targetWidth, int targetHeight, int tileWidth, int tileHeight);

// ZoomOrigin from GetCursorPos: the point when the call succeeded and it fits the two 16-bit
// variables, else (0, 0).
struct Point16 {
  int16_t x = 0, y = 0;
};
Point16 zoomOriginFrom(bool callSucceeded, long x, long y);

// The link label: the user guide shipped beside the programs, and its full path in `folder`.
extern const wchar_t GuideFileName[];  // L"Pomarel.html"
std::wstring guidePath(const std::wstring& folder);

// The credit label lbl(7).
extern const wchar_t CreditText[];

// The cursor position when the dialog last loaded; both zoom animations use it.
extern Point16 ZoomOrigin;

// What the handlers ask of the window: its controls, the cursor, the zoom, the file chooser
// and the message box. A step that cannot be done (a control that is missing) is skipped by
// the port. The settings file is the other port, settings::SettingsSavePort (host/settings).
class DialogViewPort {
 public:
  virtual ~DialogViewPort() = default;
  virtual void placeWindow() = 0;    // centred across, a third of the way down
  virtual void InitButtons() = 0;    // Initialize on every Command
  virtual void TileTexture() = 0;    // over Pic_C
  virtual void enableRepeat(bool on) = 0;
  virtual void enableFileButton(bool on) = 0;
  virtual void showChoice(int selected) = 0;  // Img_BGM(selected) chosen, the others not; -1 none
  virtual void setRepeatText(const std::wstring& text) = 0;
  virtual void addRepeatEntry(const std::wstring& text) = 0;
  virtual void showFile(const std::wstring& file) = 0;  // lbl_Fname
  virtual int32_t cursorPos(long& x, long& y) = 0;      // GetCursorPos's result
  virtual void ZoomOpen(Point16 origin) = 0;
  virtual void ZoomClose(Point16 origin) = 0;
  virtual void arrowPointer() = 0;
  // The file chooser opened at `folder`: its result, and the chosen path, as the system names
  // it (any character), when above 0.
  virtual int32_t chooseFile(const std::wstring& folder, std::wstring& chosen) = 0;
  // `path` converted to the ANSI code page and back: what the A calls would be given.
  virtual std::wstring throughAnsi(const std::wstring& path) = 0;
  // The path with the volume's 8.3 names; the long names where the volume keeps none, and
  // empty when the file cannot be found.
  virtual std::wstring shortPath(const std::wstring& path) = 0;
  virtual std::wstring repeatText() = 0;  // what BGM_Repeat holds now
  virtual void showMessage(const std::wstring& message) = 0;  // a message box the dialog owns
  virtual void unloadWindow() = 0;  // destroys the window, which runs DialogSteps::unload
};

// Where a save writes before the result replaces the settings file: beside it, so that the
// replacement stays on one volume, as "Swirlbloom.new".
extern const wchar_t SavingCopyName[];
std::wstring savingCopyPath(const std::wstring& settingsPath);

// The message shown when the settings could not be saved: what happened, the file, the
// system's reason (left out when empty) and what the user can do.
std::wstring saveFailureMessage(const std::wstring& path, const std::wstring& reason);

// The message shown when a chosen music file's name cannot be stored.
std::wstring unusableNameMessage(const std::wstring& path);

// Swirlbloom_P's handlers, step by step, on the host-wide settings variables.
class DialogSteps {
 public:
  DialogSteps(DialogViewPort& view, settings::SettingsSavePort& file) : view_(view), file_(file) {}

  void load();
  void chooseKind(int kind);  // a press on Img_BGM(kind) or lbl_BGM(kind)
  void chooseFile();          // Cmd_File
  void confirm();             // Cmd_Set
  void cancel();              // Cmd_Can and the close box
  void unload();              // the window is going, for whatever reason

 private:
  void showKind(int kind);
  bool save();
  bool writeValues(const std::wstring& file);  // the three values, then the check that the file is whole
  bool saveFailed(const std::wstring& file, const std::wstring& copy = std::wstring());

  DialogViewPort& view_;
  settings::SettingsSavePort& file_;
};

// ---- the keyboard ----

// Where the keyboard focus stops, in reading order after None: the three music choices as one
// group, BGM_Repeat, Cmd_File, Cmd_Set, Cmd_Can and lbl_URL. None is the dialog itself (or
// anything else): it has the focus when it opens, so that it opens with every control in its
// resting look, and the first Tab goes to the first stop, the first Shift+Tab to the last.
enum class FocusStop : uint8_t { None, Choices, Repeat, File, Set, Cancel, Link };

// Tab and Shift+Tab: the next stop in reading order that `focusable` allows, wrapping round;
// from None the first (or, going back, the last). Nothing when no stop is focusable.
std::optional<FocusStop> nextStop(FocusStop from, bool forward, const std::function<bool(FocusStop)>& focusable);

// The arrow keys in the music group: the choice after (or before) `kind` in the order shown on
// screen, CD, none, file, wrapping round. With no valid choice the first (or the last).
int nextChoice(int kind, bool forward);

// The keys the dialog itself answers, and what each does where the focus is.
enum class DialogKey : uint8_t { Tab, ShiftTab, Return, Escape, Up, Down, Left, Right };
enum class KeyAction : uint8_t {
  Pass,            // to the focused control, as if the dialog did not look at keys
  NextStop,
  PreviousStop,
  NextChoice,      // exactly a press on that choice
  PreviousChoice,
  Confirm,         // what a click of Cmd_Set does
  Cancel,          // what a click of Cmd_Can does
  OpenLink,        // what a click of lbl_URL does
};
// `listOpen`: BGM_Repeat's list is dropped down (it can be only while the box has the focus).
KeyAction keyAction(DialogKey key, FocusStop at, bool listOpen);

// What the keyboard asks of the window besides the handlers.
class DialogFocusPort {
 public:
  virtual ~DialogFocusPort() = default;
  virtual FocusStop focusedStop() = 0;        // where the keyboard focus is now
  virtual bool canFocus(FocusStop stop) = 0;  // there and enabled
  virtual void focus(FocusStop stop) = 0;
  virtual bool repeatListOpen() = 0;
  virtual void openLink() = 0;  // the link's click handler
};

// The dialog's keys over the focus and the handlers' steps: a choice by arrow key is exactly a
// press on it, Return and Escape are the clicks of Cmd_Set and Cmd_Can.
class DialogKeyboard {
 public:
  DialogKeyboard(DialogFocusPort& focus, DialogSteps& steps) : focus_(focus), steps_(steps) {}
  // True when the dialog used the key; false leaves it to the focused control.
  bool key(DialogKey key);

 private:
  DialogFocusPort& focus_;
  DialogSteps& steps_;
};

}  // namespace settings_dialog
