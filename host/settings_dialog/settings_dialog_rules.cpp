// The settings dialog's platform-free rules (see settings_dialog_rules.h). Numbers are read with the
// settings file's own decimal reader so that the dialog and the file agree on what a number
// is. Depends on host/settings, common/text_rules and the C++ library.
#include "host/settings_dialog/settings_dialog_rules.h"

#include <algorithm>
#include <cmath>

#include "common/last_api_result.h"
#include "common/text_rules.h"

namespace settings_dialog {

const wchar_t GuideFileName[] = L"Pomarel.html";
const wchar_t CreditText[] = L"Pomarel 1.0  紙吹雪";

Point16 ZoomOrigin;

int16_t trackFromText(const std::wstring& text) {
  const std::optional<double> number = settings::parseDecimal(text);
  if (!number) return 0;
  const double rounded = text::roundHalfEven(*number);
  // Outside 16 bits the track has no meaning; 0 (no single track) is the safe value. The
  // comparison also turns away an infinite "1e999".
  if (!(rounded >= -32768.0 && rounded <= 32767.0)) return 0;
  return static_cast<int16_t>(rounded);
}

std::wstring formatHashes(int value) { return value == 0 ? std::wstring() : std::to_wstring(value); }

std::vector<std::wstring> trackEntries() {
  std::vector<std::wstring> entries;
  for (int track = 0; track <= 30; ++track) entries.push_back(formatHashes(track));
  return entries;
}

ChoiceLook lookForKind(int kind) {
  ChoiceLook look;
  if (kind >= 0 && kind < ChoiceCount) look.selected = kind;
  look.repeatEnabled = kind == 1;
  look.fileEnabled = kind == 2;
  return look;
}

PixelRect toPixels(const TwipsRect& r, int twipsPerPixelX, int twipsPerPixelY) {
  const int tx = twipsPerPixelX > 0 ? twipsPerPixelX : 1;
  const int ty = twipsPerPixelY > 0 ? twipsPerPixelY : 1;
  return PixelRect{r.x / tx, r.y / ty, r.width / tx, r.height / ty};
}

TwipsRect choiceGroupArea() {
  int left = layout::Img_BGM[0].x, top = layout::Img_BGM[0].y, right = left, bottom = top;
  for (int i = 0; i < ChoiceCount; ++i) {
    for (const TwipsRect& r : {layout::Img_BGM[i], layout::lbl_BGM[i]}) {
      left = std::min(left, r.x);
      top = std::min(top, r.y);
      right = std::max(right, r.x + r.width);
      bottom = std::max(bottom, r.y + r.height);
    }
  }
  return TwipsRect{left, top, right - left, bottom - top};
}

std::optional<int> choiceAt(int x, int y, int twipsPerPixelX, int twipsPerPixelY) {
  for (int i = 0; i < ChoiceCount; ++i) {
    if (toPixels(layout::Img_BGM[i], twipsPerPixelX, twipsPerPixelY).contains(x, y) ||
        toPixels(layout::lbl_BGM[i], twipsPerPixelX, twipsPerPixelY).contains(x, y)) {
      return i;
    }
  }
  return std::nullopt;
}

Point dialogPlacement(int screenWidth, int screenHeight, int windowWidth, int windowHeight, int twipsPerPixelX,
                      int twipsPerPixelY) {
  const long long tx = twipsPerPixelX > 0 ? twipsPerPixelX : 1;
  const long long ty = twipsPerPixelY > 0 ? twipsPerPixelY : 1;
  const long long left = (screenWidth * tx - windowWidth * tx) / 2;
  const long long top = (screenHeight * ty - windowHeight * ty) / 3;
  return Point{static_cast<int>(left / tx), static_cast<int>(top / ty)};
}

std::vector<Rgb> gradientRows(int clientHeight) {
  std::vector<Rgb> rows;
  if (clientHeight <= 0) return rows;  // no client area: nothing to paint, and no division by 0
  const double k = clientHeight / 3.142;
  for (int y = 0; y <= clientHeight; ++y) {
    const auto v = static_cast<uint8_t>(text::roundHalfEven(std::fabs(220.0 * std::sin(y / k))));
    rows.push_back(Rgb{v, v, static_cast<uint8_t>(v + 30)});
  }
  return rows;
}

std::vector<Point> tilePositions(int targetWidth, int targetHeight, int tileWidth, int tileHeight) {
  std::vector<Point> positions;
  // A tile without width or height (a picture that failed to load) would never move on.
  if (tileWidth <= 0 || tileHeight <= 0) return positions;
  int x = 0;
  int y = 0;
  for (;;) {
    positions.push_back(Point{x, y});
    if (!(y > targetHeight)) {
      y += tileHeight;
      continue;
    }
    if (x > targetWidth) break;
    x += tileWidth;
    y = 0;
  }
  return positions;
}

Point16 zoomOriginFrom(bool callSucceeded, long x, long y) {
  Point16 origin;
  if (callSucceeded && x >= -32768 && x <= 32767 && y >= -32768 && y <= 32767) {
    origin.x = static_cast<int16_t>(x);
    origin.y = static_cast<int16_t>(y);
  }
  return origin;
}

std::wstring guidePath(const std::wstring& folder) {
  if (folder.empty()) return GuideFileName;
  // A drive root comes with its backslash already ("C:\").
  if (folder.back() == L'\\') return folder + GuideFileName;
  return folder + L'\\' + GuideFileName;
}

// ---- the handlers ----

void DialogSteps::showKind(int kind) {
  const ChoiceLook look = lookForKind(kind);
  view_.showChoice(look.selected);
  if (look.repeatEnabled) view_.enableRepeat(true);
  view_.enableFileButton(look.fileEnabled);
}

void DialogSteps::load() {
  view_.placeWindow();
  view_.InitButtons();
  view_.TileTexture();
  view_.enableRepeat(false);
  // A kind outside 0..2 leaves every image unselected and both controls disabled.
  showKind(settings::BGMKind);
  view_.setRepeatText(formatHashes(settings::BGMRepeatTrack));
  for (const std::wstring& entry : trackEntries()) view_.addRepeatEntry(entry);
  view_.showFile(settings::BGMFile);
  long x = 0;
  long y = 0;
  LastApiResult = view_.cursorPos(x, y);
  ZoomOrigin = zoomOriginFrom(LastApiResult != 0, x, y);
  view_.ZoomOpen(ZoomOrigin);
  view_.arrowPointer();
}

void DialogSteps::chooseKind(int kind) {
  if (kind < 0 || kind >= ChoiceCount) return;
  settings::BGMKind = static_cast<int16_t>(kind);
  view_.enableFileButton(false);
  view_.enableRepeat(false);
  showKind(kind);
}

std::wstring unusableNameMessage(const std::wstring& path) {
  return L"このﾌｧｲﾙの名前は使えません。\n\n" + path +
         L"\n\nﾌｧｲﾙの名前を英数字などに変えるか、別の名前でｺﾋﾟｰしてから選んでください。";
}

// The file is stored, and later played, through the ANSI calls. A name the code page cannot
// hold comes back with "?" or look-alike letters and would name no file (or another one), so
// the volume's 8.3 name, which is plain ASCII, stands in for it where there is one.
void DialogSteps::chooseFile() {
  std::wstring chosen;
  LastApiResult = view_.chooseFile(settings::BGMFolder, chosen);
  if (LastApiResult <= 0) return;  // cancelled or failed: nothing changes
  if (view_.throughAnsi(chosen) != chosen) {
    const std::wstring shortName = view_.shortPath(chosen);
    if (shortName.empty() || view_.throughAnsi(shortName) != shortName) {
      view_.showMessage(unusableNameMessage(chosen));
      return;
    }
    chosen = shortName;
  }
  settings::BGMFile = chosen;
  view_.showFile(settings::BGMFile);
  settings::BGMFolder = settings::FolderOf(settings::BGMFile);
}

// No longer than "Swirlbloom.ini": wherever the profile calls can reach the settings file, they
// reach its copy.
const wchar_t SavingCopyName[] = L"Swirlbloom.new";

std::wstring savingCopyPath(const std::wstring& settingsPath) {
  const size_t slash = settingsPath.find_last_of(L'\\');
  return (slash == std::wstring::npos ? std::wstring() : settingsPath.substr(0, slash + 1)) + SavingCopyName;
}

std::wstring saveFailureMessage(const std::wstring& path, const std::wstring& reason) {
  std::wstring message = L"設定を保存できませんでした。\n\n" + path;
  if (!reason.empty()) message += L"\n\n" + reason;
  return message + L"\n\nｷｬﾝｾﾙで閉じるか、ﾌﾟﾛｸﾞﾗﾑを書き込みのできるﾌｫﾙﾀﾞに移してください。";
}

// Reports the failed step with the file it failed on; the copy, if one was begun, goes first.
bool DialogSteps::saveFailed(const std::wstring& file, const std::wstring& copy) {
  const uint32_t error = file_.lastError();
  if (!copy.empty()) file_.removeFile(copy);
  view_.showMessage(saveFailureMessage(file, file_.reason(error)));
  return false;
}

bool DialogSteps::writeValues(const std::wstring& file) {
  LastApiResult = file_.writeValue(settings::KeyKind, settings::formatIniNumber(settings::BGMKind), file);
  if (LastApiResult == 0) return false;
  settings::BGMRepeatTrack = trackFromText(view_.repeatText());
  LastApiResult = file_.writeValue(settings::KeyRepeat, settings::formatIniNumber(settings::BGMRepeatTrack), file);
  if (LastApiResult == 0) return false;
  LastApiResult = file_.writeValue(settings::KeyFile, settings::BGMFile, file);
  return LastApiResult != 0 && file_.complete(file);
}

// All or nothing: the three values go into a copy of the file, which replaces the file only
// when every write went through, so a failure anywhere leaves the old file byte for byte. The
// message names the file whose step failed: the settings file, or the copy.
bool DialogSteps::save() {
  const std::wstring path = file_.finalPath(file_.settingsPath());
  if (!file_.checkWritable(path)) return saveFailed(path);
  const std::wstring copy = savingCopyPath(path);
  if (!file_.makeCopy(path, copy)) {
    // A folder that takes no new file can still hold a settings file that may be written: the
    // values then go into it directly, as they did before there was a copy.
    if (file_.folderRefusedCopy()) return writeValues(path) || saveFailed(path);
    return saveFailed(copy, copy);
  }
  if (!writeValues(copy)) return saveFailed(copy, copy);
  if (!file_.replaceWith(copy, path)) return saveFailed(path, copy);
  return true;
}

// A save that fails keeps the dialog open: the user can cancel, or move the program to a
// folder it may write and try again.
void DialogSteps::confirm() {
  if (save()) view_.unloadWindow();
}

void DialogSteps::cancel() { view_.unloadWindow(); }

void DialogSteps::unload() { view_.ZoomClose(ZoomOrigin); }

// ---- the keyboard ----

namespace {

constexpr FocusStop ReadingOrder[] = {FocusStop::Choices, FocusStop::Repeat, FocusStop::File,
                                      FocusStop::Set,     FocusStop::Cancel, FocusStop::Link};
constexpr int StopCount = sizeof ReadingOrder / sizeof ReadingOrder[0];

constexpr int ChoicesOnScreen[ChoiceCount] = {1, 0, 2};  // CD, none, file from the top

// Where the dialog takes a key away from the focused control; every other key goes on to it.
// The first row that matches wins: a dropped-down list keeps Return and Escape to close
// itself, and the link takes Return as its click. Elsewhere Return is 設定's click, also on a
// focused button (which Space clicks): back from the file chooser, the focus is on "..." and
// Return saves, instead of opening the chooser again.
struct KeyRule {
  DialogKey key;
  std::optional<FocusStop> at;  // nullopt: wherever the focus is
  bool onlyWithListOpen;
  KeyAction action;
};
constexpr KeyRule KeyRules[] = {
    {DialogKey::Tab, std::nullopt, false, KeyAction::NextStop},
    {DialogKey::ShiftTab, std::nullopt, false, KeyAction::PreviousStop},
    {DialogKey::Return, FocusStop::Repeat, true, KeyAction::Pass},
    {DialogKey::Escape, FocusStop::Repeat, true, KeyAction::Pass},
    {DialogKey::Return, FocusStop::Link, false, KeyAction::OpenLink},
    {DialogKey::Return, std::nullopt, false, KeyAction::Confirm},
    {DialogKey::Escape, std::nullopt, false, KeyAction::Cancel},
    {DialogKey::Down, FocusStop::Choices, false, KeyAction::NextChoice},
    {DialogKey::Right, FocusStop::Choices, false, KeyAction::NextChoice},
    {DialogKey::Up, FocusStop::Choices, false, KeyAction::PreviousChoice},
    {DialogKey::Left, FocusStop::Choices, false, KeyAction::PreviousChoice},
};

}  // namespace

std::optional<FocusStop> nextStop(FocusStop from, bool forward, const std::function<bool(FocusStop)>& focusable) {
  int at = -1;  // None stands before the first stop going forward and after the last going back
  for (int i = 0; i < StopCount; ++i) {
    if (ReadingOrder[i] == from) at = i;
  }
  if (at < 0 && !forward) at = StopCount;
  for (int step = 1; step <= StopCount; ++step) {
    const int i = ((at + (forward ? step : -step)) % StopCount + StopCount) % StopCount;
    if (focusable(ReadingOrder[i])) return ReadingOrder[i];
  }
  return std::nullopt;
}

int nextChoice(int kind, bool forward) {
  for (int i = 0; i < ChoiceCount; ++i) {
    if (ChoicesOnScreen[i] == kind) return ChoicesOnScreen[(i + (forward ? 1 : ChoiceCount - 1)) % ChoiceCount];
  }
  return forward ? ChoicesOnScreen[0] : ChoicesOnScreen[ChoiceCount - 1];
}

KeyAction keyAction(DialogKey key, FocusStop at, bool listOpen) {
  for (const KeyRule& rule : KeyRules) {
    if (rule.key == key && (!rule.at || *rule.at == at) && (listOpen || !rule.onlyWithListOpen)) return rule.action;
  }
  return KeyAction::Pass;
}

bool DialogKeyboard::key(DialogKey key) {
  const FocusStop at = focus_.focusedStop();
  const bool listOpen = at == FocusStop::Repeat && focus_.repeatListOpen();
  const KeyAction action = keyAction(key, at, listOpen);
  switch (action) {
    case KeyAction::Pass:
      return false;
    case KeyAction::NextStop:
    case KeyAction::PreviousStop:
      if (const auto stop = nextStop(at, action == KeyAction::NextStop,
                                     [this](FocusStop s) { return focus_.canFocus(s); })) {
        focus_.focus(*stop);
      }
      return true;
    case KeyAction::NextChoice:
    case KeyAction::PreviousChoice:
      steps_.chooseKind(nextChoice(settings::BGMKind, action == KeyAction::NextChoice));
      return true;
    case KeyAction::Confirm:
      steps_.confirm();
      return true;
    case KeyAction::Cancel:
      steps_.cancel();
      return true;
    case KeyAction::OpenLink:
      focus_.openLink();
      return true;
  }
  return false;
}

}  // namespace settings_dialog
