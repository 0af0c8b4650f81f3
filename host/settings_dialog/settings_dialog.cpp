// Swirlbloom_P over user32/gdi32: creation of the window and its controls, the load steps,
// the gradient and texture kept as persistent images, the music choice, the file chooser,
// confirm and cancel, the link, and the keyboard focus. Text crosses to the ANSI calls through
// host/ui/text; the labels are drawn with the wide calls. Depends on host/controls,
// host/settings, host/ui.
#include "host/settings_dialog/settings_dialog.h"

#include <windowsx.h>

#include "common/last_api_result.h"
#include "host/res/resource.h"
#include "host/ui/font.h"
#include "host/ui/program_folder.h"
#include "host/ui/text.h"
#include "host/ui/twips.h"
#include "host/ui/window_class.h"

namespace settings_dialog {

namespace {

constexpr wchar_t PanelClass[] = L"PomarelPanel";
constexpr char PanelClassA[] = "PomarelPanel";  // PanelClass for the class helper
constexpr COLORREF FormColour = RGB(0xC0, 0xC0, 0xC0);
constexpr COLORREF PanelColour = RGB(0xE0, 0xE0, 0xE0);
constexpr COLORREF White = RGB(255, 255, 255);
constexpr DWORD DialogStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

const wchar_t LabelFontName[] = L"ＭＳ Ｐゴシック";
constexpr double LabelPoints = 9.75;
const wchar_t PanelFontName[] = L"Tahoma";
constexpr double PanelPoints = 8.25;

const wchar_t* const ChoiceTexts[ChoiceCount] = {L"なし", L"音楽CD", L"MP3、WAV"};

controls::FontDesc buttonFont() {
  controls::FontDesc font;
  font.name = LabelFontName;
  font.points = LabelPoints;
  font.charset = SHIFTJIS_CHARSET;
  return font;
}

// A lambda cannot stand for a CALLBACK (stdcall) function in the 32-bit program.
BOOL CALLBACK initializeIfCommand(HWND child, LPARAM) {
  if (controls::Command* button = controls::commandFromWindow(child)) button->Initialize();
  return TRUE;
}

std::wstring windowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

}  // namespace

DialogSystem& dialogCalls() {
  static DialogSystem calls;
  return calls;
}

SettingsDialog::SettingsDialog() : ui::Form("Swirlbloom_P") {}

SettingsDialog::~SettingsDialog() {
  // The panel's procedure reaches this object: the windows must go while it is whole.
  unload();
  if (labelFont_) DeleteObject(labelFont_);
  if (linkFont_) DeleteObject(linkFont_);
  if (panelFont_) DeleteObject(panelFont_);
  if (Pic_Mbl) DeleteObject(Pic_Mbl);
  for (HBITMAP picture : Img_Ra) {
    if (picture) DeleteObject(picture);
  }
}

PixelRect SettingsDialog::pixels(const TwipsRect& r) const { return toPixels(r, twipsX_, twipsY_); }

bool SettingsDialog::open() {
  twipsX_ = ui::twipsPerPixelX();
  twipsY_ = ui::twipsPerPixelY();
  const PixelRect client = pixels(TwipsRect{0, 0, ClientWidthTwips, ClientHeightTwips});
  RECT frame{0, 0, client.width, client.height};
  AdjustWindowRectEx(&frame, DialogStyle, FALSE, 0);

  ui::FormLook look;
  look.caption = DialogCaption;
  look.style = DialogStyle;
  look.colour = FormColour;
  look.iconResource = IconScissors;
  look.width = frame.right - frame.left;
  look.height = frame.bottom - frame.top;
  return load(look, nullptr);
}

void SettingsDialog::runModal() {
  if (!loaded()) return;
  show(SW_SHOWNORMAL);
  UpdateWindow(hwnd());
  MSG msg;
  while (loaded()) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // Someone asked the program to end: leave the request for the loop that owns it.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got < 0) break;
    if (keyMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool SettingsDialog::keyMessage(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !loaded()) return false;
  if (msg.hwnd != hwnd() && !IsChild(hwnd(), msg.hwnd)) return false;  // the chooser's, a message box's
  DialogKey key;
  switch (msg.wParam) {
    case VK_TAB: key = GetKeyState(VK_SHIFT) < 0 ? DialogKey::ShiftTab : DialogKey::Tab; break;
    case VK_RETURN: key = DialogKey::Return; break;
    case VK_ESCAPE: key = DialogKey::Escape; break;
    case VK_UP: key = DialogKey::Up; break;
    case VK_DOWN: key = DialogKey::Down; break;
    case VK_LEFT: key = DialogKey::Left; break;
    case VK_RIGHT: key = DialogKey::Right; break;
    default: return false;
  }
  return keyboard_.key(key);
}

// ---- load ----

void SettingsDialog::onLoad() {
  // The controls exist before the load steps run, as on a designed form.
  createFonts();
  loadPictures();
  createPanel();
  createLabels();
  createCombo();
  createButtons();
  createFocusHolders();

  steps_.load();
}

void SettingsDialog::placeWindow() {
  RECT window{};
  if (!GetWindowRect(hwnd(), &window)) return;
  const Point at = dialogPlacement(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                   window.right - window.left, window.bottom - window.top, twipsX_, twipsY_);
  SetWindowPos(hwnd(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SettingsDialog::setRepeatText(const std::wstring& text) {
  if (BGM_Repeat) SetWindowTextA(BGM_Repeat, ui::toAnsi(text).c_str());
}

void SettingsDialog::addRepeatEntry(const std::wstring& text) {
  if (BGM_Repeat) SendMessageA(BGM_Repeat, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ui::toAnsi(text).c_str()));
}

void SettingsDialog::showFile(const std::wstring& file) {
  if (lbl_Fname < panelImage_.labels.size()) panelImage_.labels[lbl_Fname].text = file;
  if (Pic_C) InvalidateRect(Pic_C, nullptr, FALSE);
}

int32_t SettingsDialog::cursorPos(long& x, long& y) {
  POINT cursor{};
  const int32_t result = dialogCalls().getCursorPos(&cursor);
  x = cursor.x;
  y = cursor.y;
  return result;
}

bool SettingsDialog::createFonts() {
  ui::FontLook label{LabelFontName, LabelPoints};
  label.charset = SHIFTJIS_CHARSET;
  ui::FontLook link = label;
  link.underline = true;
  labelFont_ = ui::createFont(label);
  linkFont_ = ui::createFont(link);
  panelFont_ = ui::createFont(ui::FontLook{PanelFontName, PanelPoints});
  return labelFont_ && linkFont_ && panelFont_;
}

void SettingsDialog::loadPictures() {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  auto bitmap = [instance](const char* name) {
    return static_cast<HBITMAP>(LoadImageA(instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  };
  Pic_Mbl = bitmap("SWIRLBLOOM_P_TEXTURE");
  Img_Ra[0] = bitmap("SWIRLBLOOM_P_CHOICE_OFF");
  Img_Ra[1] = bitmap("SWIRLBLOOM_P_CHOICE_ON");
  handCursor_ = LoadCursorA(instance, "SWIRLBLOOM_P_HAND");
}

bool SettingsDialog::createPanel() {
  // Unicode messages: the panel's labels are Japanese whatever the ANSI code page is.
  ui::WindowClassInfo info;
  info.name = PanelClassA;
  info.procedure = panelProc;
  info.unicode = true;
  if (!ui::ensureWindowClass(info)) return false;
  const PixelRect r = pixels(layout::Pic_C);
  Pic_C = CreateWindowExW(0, PanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, r.x, r.y,
                          r.width, r.height, hwnd(), nullptr, GetModuleHandleA(nullptr), this);
  if (!Pic_C) return false;
  RECT client{};
  GetClientRect(Pic_C, &client);
  panelImage_.create(client.right, client.bottom, PanelColour);
  return true;
}

void SettingsDialog::createLabels() {
  auto add = [this](Canvas& canvas, const std::wstring& text, const TwipsRect& at, HFONT font, COLORREF colour,
                    UINT format) {
    LightLabel label;
    label.text = text;
    label.rect = pixels(at);
    label.font = font;
    label.colour = colour;
    label.format = format;
    canvas.labels.push_back(label);
    return canvas.labels.size() - 1;
  };
  const COLORREF black = RGB(0, 0, 0);
  // One line each, not cut at the label's edge: where the system substitutes a wider font for
  // "ＭＳ Ｐゴシック" the text runs on into the free space after the label instead of losing
  // its last characters.
  const UINT line = DT_SINGLELINE | DT_NOCLIP;
  panelImage_.frames.push_back(pixels(layout::Shape3));
  add(panelImage_, L"BGM", layout::lblTitle, labelFont_, black, DT_CENTER | line);
  for (int i = 0; i < ChoiceCount; ++i) {
    lbl_BGM[i] = add(panelImage_, ChoiceTexts[i], layout::lbl_BGM[i], labelFont_, black, DT_LEFT | line);
    LightImage image;
    image.rect = pixels(layout::Img_BGM[i]);
    panelImage_.images.push_back(image);
    Img_BGM[i] = panelImage_.images.size() - 1;
  }
  add(panelImage_, L"曲目をﾘﾋﾟｰﾄ", layout::lblRepeat, labelFont_, black, DT_LEFT | line);
  // A path has no blanks to break at; DT_EDITCONTROL lets it wrap inside a name.
  lbl_Fname = add(panelImage_, settings::BGMFile, layout::lbl_Fname, labelFont_, black, DT_LEFT | DT_WORDBREAK | DT_EDITCONTROL);
  panelImage_.labels[lbl_Fname].border = true;

  add(formImage_, CreditText, layout::lblCredit, labelFont_, White, DT_LEFT | line);
  lbl_URL = add(formImage_, GuideFileName, layout::lbl_URL, linkFont_, White, DT_LEFT | line);
}

void SettingsDialog::createCombo() {
  if (!Pic_C) return;
  const PixelRect r = pixels(layout::BGM_Repeat);
  // A drop-down combo box's window height includes its list; the closed box is fitted below.
  const int listHeight = 8 * (r.height > 0 ? r.height : 20);
  BGM_Repeat = CreateWindowExA(0, "COMBOBOX", "",
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, r.x,
                               r.y, r.width, r.height + listHeight, Pic_C,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdRepeat)), GetModuleHandleA(nullptr),
                               nullptr);
  if (!BGM_Repeat) return;
  if (panelFont_) SendMessageA(BGM_Repeat, WM_SETFONT, reinterpret_cast<WPARAM>(panelFont_), FALSE);
  // The closed height follows the selection field's height, not the window's: set that field
  // so the box is exactly as tall as designed. What CB_GETITEMHEIGHT reports is not always
  // what CB_SETITEMHEIGHT takes (Wine answers two more), so the height is measured after
  // each setting and corrected by the difference.
  LRESULT field = SendMessageA(BGM_Repeat, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
  for (int attempt = 0; attempt < 3 && field != CB_ERR; ++attempt) {
    RECT closed{};
    GetWindowRect(BGM_Repeat, &closed);
    const int error = r.height - (closed.bottom - closed.top);
    if (error == 0 || field + error <= 0) break;
    field += error;
    SendMessageA(BGM_Repeat, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
  }
}

void SettingsDialog::createButtons() {
  auto make = [this](HWND parent, int id, const TwipsRect& at, const wchar_t* caption) -> controls::Command* {
    if (!parent) return nullptr;
    controls::Command* button =
        controls::createCommand(parent, id, {at.x, at.y, at.width, at.height, controls::Units::Twips});
    if (!button) return nullptr;
    // The properties each button was designed with.
    controls::MemoryPropertyBag bag;
    bag.write(controls::KeyCaption, controls::PropValue(caption));
    bag.write(controls::KeyFont, controls::PropValue(buttonFont()));
    button->readProperties(bag);
    return button;
  };
  Cmd_File = make(Pic_C, IdFile, layout::Cmd_File, L"...");
  Cmd_Set = make(hwnd(), IdSet, layout::Cmd_Set, L"設定");
  Cmd_Can = make(hwnd(), IdCancel, layout::Cmd_Can, L"ｷｬﾝｾﾙ");
  if (Cmd_File) Cmd_File->setClickHandler([this](controls::Command&) { chooseFile(); });
  if (Cmd_Set) Cmd_Set->setClickHandler([this](controls::Command&) { confirm(); });
  if (Cmd_Can) Cmd_Can->setClickHandler([this](controls::Command&) { cancel(); });
}

void SettingsDialog::createFocusHolders() {
  // The three choices are one group, as radio buttons are: its holder spans them all and is
  // named after the chosen one (showChoice).
  if (Pic_C) choiceFocus_ = createFocusHolder(Pic_C, pixels(choiceGroupArea()), L"BGM");
  linkFocus_ = createFocusHolder(hwnd(), linkRect(), GuideFileName);
}

void SettingsDialog::InitButtons() { EnumChildWindows(hwnd(), initializeIfCommand, 0); }

void SettingsDialog::TileTexture(HWND target, Canvas& surface) {
  if (!target || !surface.valid() || !Pic_Mbl) return;
  BITMAP tile = {};
  if (!GetObjectW(Pic_Mbl, sizeof tile, &tile)) return;
  HDC source = CreateCompatibleDC(surface.dc());
  if (!source) return;
  HGDIOBJ old = SelectObject(source, Pic_Mbl);
  for (const Point& at : tilePositions(surface.width(), surface.height(), tile.bmWidth, tile.bmHeight)) {
    LastApiResult = BitBlt(surface.dc(), at.x, at.y, tile.bmWidth, tile.bmHeight, source, 0, 0, SRCCOPY);
  }
  SelectObject(source, old);
  DeleteDC(source);
  InvalidateRect(target, nullptr, FALSE);
}

void SettingsDialog::ZoomOpen(Point16 origin) {
  RECT window{};
  GetWindowRect(hwnd(), &window);
  const RECT from{origin.x, origin.y, origin.x, origin.y};
  dialogCalls().drawAnimatedRects(hwnd(), IDANI_CAPTION, &from, &window);
}

void SettingsDialog::ZoomClose(Point16 origin) {
  RECT window{};
  GetWindowRect(hwnd(), &window);
  const RECT to{origin.x, origin.y, origin.x, origin.y};
  dialogCalls().drawAnimatedRects(hwnd(), IDANI_CAPTION, &window, &to);
}

void SettingsDialog::onUnload() {
  steps_.unload();
  // A close sent from elsewhere is handled inside GetMessage, which would go on waiting for
  // a posted message before the modal loop could see that the window has gone.
  PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
  // The children go with the window; nothing may reach them from here on.
  Cmd_File = Cmd_Set = Cmd_Can = nullptr;
  BGM_Repeat = nullptr;
  choiceFocus_ = linkFocus_ = lastFocus_ = nullptr;
}

void SettingsDialog::onResize(int clientWidth, int clientHeight) {
  // Painted once: the window cannot be resized, and later repaints copy the kept image.
  if (formImage_.valid() && formImage_.width() == clientWidth && formImage_.height() == clientHeight) return;
  if (!formImage_.create(clientWidth, clientHeight, FormColour)) return;
  HDC dc = formImage_.dc();
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
  const std::vector<Rgb> rows = gradientRows(clientHeight);
  for (size_t y = 0; y < rows.size(); ++y) {
    SetDCBrushColor(dc, RGB(rows[y].r, rows[y].g, rows[y].b));
    PatBlt(dc, 0, static_cast<int>(y), clientWidth, 1, PATCOPY);
  }
  SelectObject(dc, oldBrush);
  InvalidateRect(hwnd(), nullptr, FALSE);
}

// ---- the user's actions ----

void SettingsDialog::enableRepeat(bool on) {
  if (!BGM_Repeat) return;
  // A disabled window loses the focus to nobody, and keys then reach the dialog only as
  // system keys: the dialog takes the focus itself (Tab goes on from the top).
  const HWND focused = GetFocus();
  if (!on && focused && (focused == BGM_Repeat || IsChild(BGM_Repeat, focused))) SetFocus(hwnd());
  EnableWindow(BGM_Repeat, on);
}

void SettingsDialog::enableFileButton(bool on) {
  if (Cmd_File) Cmd_File->setEnabled(on);
}

void SettingsDialog::showChoice(int selected) {
  for (int i = 0; i < ChoiceCount; ++i) {
    panelImage_.images[Img_BGM[i]].picture = (i == selected) ? Img_Ra[1] : Img_Ra[0];
  }
  // A screen reader names the group by its choice, as it would the checked radio button.
  if (choiceFocus_) {
    SetWindowTextW(choiceFocus_, selected >= 0 && selected < ChoiceCount ? ChoiceTexts[selected] : L"BGM");
  }
  if (Pic_C) InvalidateRect(Pic_C, nullptr, FALSE);
}

void SettingsDialog::chooseKind(int kind) { steps_.chooseKind(kind); }

void SettingsDialog::chooseFile() { steps_.chooseFile(); }

int32_t SettingsDialog::chooseFile(const std::wstring& initialFolder, std::wstring& chosen) {
  // The wide chooser: only its answer keeps a name the ANSI code page cannot hold, which is
  // needed to find the file's short name.
  OPENFILENAMEW request = {};
  request.lStructSize = OpenFileNameSize;
  request.hwndOwner = hwnd();
  request.hInstance = GetModuleHandleW(nullptr);
  std::wstring filter = L"BGMﾌｧｲﾙ (MP3 WAV)";
  filter += L'\0';
  filter += L"*.MP3;*.WAV";
  filter += L'\0';  // the list ends with an empty pair; std::wstring adds the last NUL
  request.lpstrFilter = filter.c_str();
  // 255 characters for the call, and one more that stays NUL whatever it writes.
  wchar_t file[256] = {};
  wchar_t fileTitle[256] = {};
  request.lpstrFile = file;
  request.nMaxFile = 255;
  request.lpstrFileTitle = fileTitle;
  request.nMaxFileTitle = 255;
  request.lpstrInitialDir = initialFolder.c_str();
  request.lpstrTitle = L"ﾌｧｲﾙを開く";
  request.Flags = 0;

  const int32_t result = dialogCalls().getOpenFileName(&request);
  if (result > 0) chosen = file;
  return result;
}

std::wstring SettingsDialog::throughAnsi(const std::wstring& path) { return ui::fromAnsi(ui::toAnsi(path)); }

std::wstring SettingsDialog::shortPath(const std::wstring& path) {
  std::wstring shortName(MAX_PATH, L'\0');
  uint32_t length = dialogCalls().getShortPathName(path.c_str(), shortName.data(), MAX_PATH);
  if (length >= MAX_PATH) {
    shortName.assign(length, L'\0');
    length = dialogCalls().getShortPathName(path.c_str(), shortName.data(), length);
    if (length >= shortName.size()) return std::wstring();
  }
  shortName.resize(length);
  return shortName;
}

void SettingsDialog::confirm() { steps_.confirm(); }

void SettingsDialog::cancel() { steps_.cancel(); }

std::wstring SettingsDialog::repeatText() { return BGM_Repeat ? windowText(BGM_Repeat) : std::wstring(); }

void SettingsDialog::showMessage(const std::wstring& message) {
  dialogCalls().messageBox(hwnd(), message.c_str(), L"Pomarel", MB_OK | MB_ICONEXCLAMATION);
}

void SettingsDialog::openLink() {
  busyPointer_ = true;
  SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
  // The guide lies beside the program; a bare file name would be looked for in whatever the
  // current folder is (the system folder when the system starts the screensaver). A folder
  // the ANSI call cannot name is reached through its 8.3 form.
  const std::string file = ui::ansiPath(guidePath(ui::programFolder()));
  dialogCalls().shellExecute(hwnd(), "open", file.c_str(), "", "", SW_SHOWNORMAL);
  busyPointer_ = false;
  POINT at{};
  GetCursorPos(&at);
  ScreenToClient(hwnd(), &at);
  SetCursor(cursorAt(at.x, at.y));
}

// ---- the keyboard focus ----

HWND SettingsDialog::stopWindow(FocusStop stop) const {
  switch (stop) {
    case FocusStop::Choices: return choiceFocus_;
    case FocusStop::Repeat: return BGM_Repeat;
    case FocusStop::File: return Cmd_File ? Cmd_File->window() : nullptr;
    case FocusStop::Set: return Cmd_Set ? Cmd_Set->window() : nullptr;
    case FocusStop::Cancel: return Cmd_Can ? Cmd_Can->window() : nullptr;
    case FocusStop::Link: return linkFocus_;
    case FocusStop::None: break;
  }
  return nullptr;
}

FocusStop SettingsDialog::focusedStop() {
  const HWND focused = GetFocus();
  if (!focused) return FocusStop::None;
  for (FocusStop stop : {FocusStop::Choices, FocusStop::Repeat, FocusStop::File, FocusStop::Set, FocusStop::Cancel,
                         FocusStop::Link}) {
    const HWND window = stopWindow(stop);
    // The combo box hands its focus to its edit field.
    if (window && (focused == window || IsChild(window, focused))) return stop;
  }
  return FocusStop::None;
}

bool SettingsDialog::canFocus(FocusStop stop) {
  const HWND window = stopWindow(stop);
  if (!window || !IsWindowEnabled(window)) return false;
  // A Command stays an enabled window; its Enabled property is what says it cannot be used.
  switch (stop) {
    case FocusStop::File: return Cmd_File->core().members().Enabled;
    case FocusStop::Set: return Cmd_Set->core().members().Enabled;
    case FocusStop::Cancel: return Cmd_Can->core().members().Enabled;
    default: return true;
  }
}

void SettingsDialog::focus(FocusStop stop) {
  if (const HWND window = stopWindow(stop)) SetFocus(window);
}

bool SettingsDialog::repeatListOpen() {
  return BGM_Repeat && SendMessageW(BGM_Repeat, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
}

// ---- what the dialog shows ----

HBITMAP SettingsDialog::choicePicture(int index) const {
  if (index < 0 || index >= ChoiceCount || Img_BGM[index] >= panelImage_.images.size()) return nullptr;
  return panelImage_.images[Img_BGM[index]].picture;
}

std::wstring SettingsDialog::fileLabel() const {
  return lbl_Fname < panelImage_.labels.size() ? panelImage_.labels[lbl_Fname].text : std::wstring();
}

std::wstring SettingsDialog::linkCaption() const {
  return lbl_URL < formImage_.labels.size() ? formImage_.labels[lbl_URL].text : std::wstring();
}

PixelRect SettingsDialog::linkRect() const { return pixels(layout::lbl_URL); }

HCURSOR SettingsDialog::cursorAt(int clientX, int clientY) const {
  if (busyPointer_) return LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
  if (linkRect().contains(clientX, clientY)) {
    return handCursor_ ? handCursor_ : LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND));
  }
  return LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
}

const LightLabel* SettingsDialog::label(const wchar_t* text) const {
  for (const Canvas* canvas : {&panelImage_, &formImage_}) {
    for (const LightLabel& l : canvas->labels) {
      if (l.text == text) return &l;
    }
  }
  return nullptr;
}

// ---- window procedures ----

bool SettingsDialog::onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_ERASEBKGND:
      result = 1;  // the kept image covers the whole client area
      return true;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      formImage_.paint(dc);
      if (linkFocus_ && GetFocus() == linkFocus_) formImage_.paintFocusMark(dc, lbl_URL);
      EndPaint(hwnd(), &ps);
      result = 0;
      return true;
    }
    case WM_ACTIVATE:
      // As a dialog does: the focus goes back where it was when the dialog was left (for the
      // file chooser, say), not to the dialog itself.
      if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focused = GetFocus();
        lastFocus_ = focused && IsChild(hwnd(), focused) ? focused : nullptr;
        return false;
      }
      if (lastFocus_ && IsChild(hwnd(), lastFocus_) && IsWindowEnabled(lastFocus_) && !HIWORD(wParam)) {
        SetFocus(lastFocus_);
        result = 0;
        return true;
      }
      return false;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == hwnd() && LOWORD(lParam) == HTCLIENT) {
        POINT at{};
        GetCursorPos(&at);
        ScreenToClient(hwnd(), &at);
        SetCursor(cursorAt(at.x, at.y));
        result = TRUE;
        return true;
      }
      return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:  // the window class asks for double clicks; a second press is a press
      if (linkRect().contains(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) {
        linkPressed_ = true;
        SetCapture(hwnd());
      }
      result = 0;
      return true;
    case WM_LBUTTONUP:
      if (linkPressed_) {
        linkPressed_ = false;
        ReleaseCapture();
        // A label's click: pressed and released over it.
        if (linkRect().contains(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) openLink();
      }
      result = 0;
      return true;
    case WM_CAPTURECHANGED:
      linkPressed_ = false;
      return false;
    default:
      return false;
  }
}

LRESULT CALLBACK SettingsDialog::panelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* dialog = ui::windowObjectFor<SettingsDialog>(hwnd, msg, lParam);
  if (msg == WM_NCDESTROY) ui::bindWindowObject(hwnd, nullptr);
  if (!dialog) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return dialog->panelMessage(hwnd, msg, wParam, lParam);
}

LRESULT SettingsDialog::panelMessage(HWND panel, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(panel, &ps);
      panelImage_.paint(dc);
      const int chosen = lookForKind(settings::BGMKind).selected;
      if (choiceFocus_ && GetFocus() == choiceFocus_ && chosen >= 0) panelImage_.paintFocusMark(dc, lbl_BGM[chosen]);
      EndPaint(panel, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // The choice takes effect on the press, whichever button it is.
      if (const auto choice = choiceAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), twipsX_, twipsY_)) {
        chooseKind(*choice);
      }
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC: {
      // BGM_Repeat keeps its white background also while disabled (its edit then asks for the
      // static colours); the disabled text stays grey.
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, White);
      SetTextColor(dc, IsWindowEnabled(BGM_Repeat) ? GetSysColor(COLOR_WINDOWTEXT) : GetSysColor(COLOR_GRAYTEXT));
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(panelFont_);
    default:
      return DefWindowProcW(panel, msg, wParam, lParam);
  }
}

void showSettingsDialog() {
  SettingsDialog dialog;
  if (dialog.open()) dialog.runModal();
}

}  // namespace settings_dialog
