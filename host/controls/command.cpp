// The Command window: registers the class, turns window messages (the pointer's, the focus's,
// Space) into CommandRules events, keeps the persistent back buffer the face is composed in,
// draws the caption LblMsg over it, keeps it as the window text and delivers Click. Depends
// on user32, gdi32, face (msimg32) and host/ui.
#include "host/controls/command.h"

#include <algorithm>
#include <new>
#include <vector>

#include "host/controls/face.h"
#include "host/controls/face_rules.h"
#include "host/ui/font.h"
#include "host/ui/twips.h"
#include "host/ui/window_class.h"

namespace controls {
namespace {

constexpr UINT_PTR HoverTimerId = 1;  // TmrMouse
constexpr UINT CaptionFormat = DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;

constexpr char CommandClassNameA[] = "PomarelCommand";  // CommandClassName for the class helper
// The Command object sits in the class's own extra bytes, leaving GWLP_USERDATA to the
// container, as a control should.
constexpr int ObjectSlot = 0;

struct ClassRegistration {
  HINSTANCE instance = nullptr;
  bool registered = false;
};
ClassRegistration g_class;

// The caption font between the property bag's description and the window layer's.
FontDesc fontDescOf(HFONT font) {
  const ui::FontLook look = ui::fontLookOf(font);
  return FontDesc{look.name, look.points, look.weight, look.italic, look.underline, look.strikeout, look.charset};
}

HFONT createFont(const FontDesc& font) {
  return ui::createFont(
      ui::FontLook{font.name, font.points, font.weight, font.italic, font.underline, font.strikeout, font.charset});
}

}  // namespace

LRESULT CALLBACK commandWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

bool registerCommandClass(HINSTANCE instance) {
  if (g_class.registered) return true;
  if (!instance) instance = GetModuleHandleW(nullptr);
  ui::WindowClassInfo info;
  info.name = CommandClassNameA;
  info.procedure = commandWindowProc;
  info.unicode = true;
  info.extraBytes = sizeof(Command*);
  info.instance = instance;
  if (!ui::ensureWindowClass(info)) return false;
  g_class.instance = instance;
  g_class.registered = true;
  return true;
}

Command* createCommand(HWND parent, int id, const CommandPlacement& place, DWORD style) {
  if (!registerCommandClass(nullptr)) return nullptr;
  int x = place.x, y = place.y, width = place.width, height = place.height;
  if (place.units == Units::Twips) {
    x = ui::twipsToPixelsX(x);
    y = ui::twipsToPixelsY(y);
    width = ui::twipsToPixelsX(width);
    height = ui::twipsToPixelsY(height);
  }
  HWND hwnd = CreateWindowExW(0, CommandClassName, DefaultCaption, WS_CHILD | WS_VISIBLE | style, x, y, width,
                              height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              g_class.instance, nullptr);
  return hwnd ? commandFromWindow(hwnd) : nullptr;
}

Command* commandFromWindow(HWND window) {
  if (!window) return nullptr;
  wchar_t name[64] = {};
  if (!GetClassNameW(window, name, 64) || lstrcmpiW(name, CommandClassName) != 0) return nullptr;
  return ui::windowObject<Command>(window, ObjectSlot);
}

LRESULT CALLBACK commandWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    HFONT ambient = create->hwndParent
                        ? reinterpret_cast<HFONT>(SendMessageW(create->hwndParent, WM_GETFONT, 0, 0))
                        : nullptr;
    if (!ambient) ambient = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    auto* command = new (std::nothrow) Command(hwnd, fontDescOf(ambient));
    if (!command) return FALSE;
    command->notify_ = create->hwndParent;
    ui::bindWindowObject(hwnd, command, ObjectSlot);
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  auto* command = ui::windowObject<Command>(hwnd, ObjectSlot);
  if (!command) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ui::bindWindowObject(hwnd, nullptr, ObjectSlot);
    delete command;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return command->handle(message, wParam, lParam);
}

Command::Command(HWND hwnd, FontDesc ambient)
    : hwnd_(hwnd), core_(*this, std::move(ambient)), images_(std::make_unique<StateImages>()) {
  updateFont();
}

Command::~Command() {
  if (font_) DeleteObject(font_);
}

int Command::id() const { return GetDlgCtrlID(hwnd_); }

LRESULT Command::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the back buffer covers everything
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      if (dc) render(dc);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      render(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SIZE:
      ensureBuffer();
      placeCaption();
      core_.resize();
      if (!core_.members().FaceOpaque) updateRegion();
      return 0;
    case WM_MOUSEMOVE:
      core_.pointerMove();
      return 0;
    case WM_LBUTTONDOWN:
      onButtonDown(MouseButton::Left);
      return 0;
    case WM_RBUTTONDOWN:
      onButtonDown(MouseButton::Right);
      return 0;
    case WM_MBUTTONDOWN:
      onButtonDown(MouseButton::Middle);
      return 0;
    case WM_LBUTTONUP:
      onButtonUp(MouseButton::Left);
      return 0;
    case WM_RBUTTONUP:
      onButtonUp(MouseButton::Right);
      return 0;
    case WM_MBUTTONUP:
      onButtonUp(MouseButton::Middle);
      return 0;
    case WM_CAPTURECHANGED:
      if (!releasingCapture_ && reinterpret_cast<HWND>(lParam) != hwnd_) core_.captureLost();
      return 0;
    case WM_KEYDOWN:
      if (wParam != VK_SPACE) break;
      core_.spaceDown();
      return 0;
    case WM_KEYUP:
      if (wParam != VK_SPACE) break;
      core_.spaceUp();
      deliverPendingClick();  // may destroy the window
      return 0;
    case WM_SETFOCUS:
      core_.focusGained();
      return 0;
    case WM_KILLFOCUS:
      core_.focusLost();
      return 0;
    case WM_TIMER:
      if (wParam == HoverTimerId) {
        POINT point;
        // A failed position query skips this tick's check.
        if (GetCursorPos(&point)) core_.hoverTick(WindowFromPoint(point) == hwnd_);
        return 0;
      }
      break;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_DESTROY:
      if (timerOn_) KillTimer(hwnd_, HoverTimerId);
      timerOn_ = false;
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void Command::onButtonDown(MouseButton button) {
  // A left press on an unfocused button takes the focus first, so the focus row of the state
  // table runs before the press row (as with the system's buttons, other buttons do not).
  if (button == MouseButton::Left && GetFocus() != hwnd_) SetFocus(hwnd_);
  // The release must come back here even when it happens outside the face.
  if (GetCapture() != hwnd_) SetCapture(hwnd_);
  core_.pointerDown(button);
}

void Command::onButtonUp(MouseButton button) {
  core_.pointerUp(button);
  if (core_.buttonsPressedHere() == 0 && GetCapture() == hwnd_) {
    releasingCapture_ = true;
    ReleaseCapture();
    releasingCapture_ = false;
  }
  deliverPendingClick();
}

void Command::deliverPendingClick() {
  if (!clickPending_) return;
  clickPending_ = false;
  // The container may destroy this window in its handler: take copies and touch nothing after.
  const auto handler = onClick_;
  HWND target = notify_;
  HWND self = hwnd_;
  const int controlId = id();
  if (handler) {
    handler(*this);
  } else if (target) {
    SendMessageW(target, WM_COMMAND, MAKEWPARAM(controlId, CommandClickCode), reinterpret_cast<LPARAM>(self));
  }
}

// ---- back buffer and drawing ----

bool Command::ensureBuffer() {
  RECT client = {};
  GetClientRect(hwnd_, &client);
  return face_.resize(client.right - client.left, client.bottom - client.top);
}

void Command::composeFace(FaceImage image, bool gradientInverted) {
  if (ensureBuffer()) {
    controls::composeFace(face_.dc(), face_.width(), face_.height(), images_->get(image), gradientInverted);
    GdiFlush();
  }
  placeCaption();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void Command::render(HDC dc) const {
  if (!dc) return;
  if (core_.members().FaceOpaque && face_.valid()) {
    face_.copyTo(dc);
  } else if (!core_.members().FaceOpaque) {
    // Transparent: the window region leaves only the caption's pixels, which get the text
    // colour whole (no half-blended edge against a face that is not shown).
    RECT client = {};
    GetClientRect(hwnd_, &client);
    const CaptionElement& lbl = core_.caption();
    HBRUSH brush = CreateSolidBrush(lbl.enabledLook ? captionColour() : GetSysColor(COLOR_GRAYTEXT));
    if (brush) {
      FillRect(dc, &client, brush);
      DeleteObject(brush);
    }
  }
  drawCaption(dc, false);
}

COLORREF Command::captionColour() const {
  const std::uint32_t colour = core_.caption().colour;
  // A colour with the top bit set names a system colour by its index.
  if (colour & 0x80000000u) return GetSysColor(static_cast<int>(colour & 0xFFu));
  return colour & 0x00FFFFFFu;
}

void Command::drawCaption(HDC dc, bool mask) const {
  const CaptionElement& lbl = core_.caption();
  if (lbl.text.empty()) return;
  HGDIOBJ oldFont = font_ ? SelectObject(dc, font_) : nullptr;
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColour = GetTextColor(dc);
  RECT rect = caption_;
  if (lbl.enabledLook) {
    SetTextColor(dc, mask ? RGB(255, 255, 255) : captionColour());
    DrawTextW(dc, lbl.text.c_str(), static_cast<int>(lbl.text.size()), &rect, CaptionFormat);
  } else {
    // The standard disabled text: a highlight copy one pixel down and right, grey on top.
    RECT shadow = rect;
    OffsetRect(&shadow, 1, 1);
    SetTextColor(dc, mask ? RGB(255, 255, 255) : GetSysColor(COLOR_3DHILIGHT));
    DrawTextW(dc, lbl.text.c_str(), static_cast<int>(lbl.text.size()), &shadow, CaptionFormat);
    SetTextColor(dc, mask ? RGB(255, 255, 255) : GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(dc, lbl.text.c_str(), static_cast<int>(lbl.text.size()), &rect, CaptionFormat);
  }
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
  if (oldFont) SelectObject(dc, oldFont);
}

void Command::updateFont() {
  const FontDesc& wanted = core_.Font();
  if (font_ && wanted == fontDesc_) return;
  HFONT font = createFont(wanted);
  if (!font) return;  // keeps the font it had
  if (font_) DeleteObject(font_);
  font_ = font;
  fontDesc_ = wanted;
  // LblMsg is one text line high; measured once per font, not on every paint.
  if (HDC dc = CreateCompatibleDC(nullptr)) {
    HGDIOBJ old = SelectObject(dc, font_);
    TEXTMETRICW tm;
    if (GetTextMetricsW(dc, &tm) && tm.tmHeight > 0) lineHeight_ = tm.tmHeight;
    SelectObject(dc, old);
    DeleteDC(dc);
  }
}

void Command::placeCaption() {
  RECT client = {};
  GetClientRect(hwnd_, &client);
  const int top = captionTop(client.bottom, lineHeight_, ui::twipsPerPixelY());
  caption_ = {0, top, client.right, top + lineHeight_};
}

void Command::updateRegion() {
  if (core_.members().FaceOpaque) {
    SetWindowRgn(hwnd_, nullptr, TRUE);
    return;
  }
  RECT client = {};
  GetClientRect(hwnd_, &client);
  const int width = client.right;
  const int height = client.bottom;
  HRGN region = nullptr;
  ui::BackBuffer mask;  // black, with the caption's text pixels drawn white
  if (mask.resize(width, height)) {
    drawCaption(mask.dc(), true);
    const std::vector<std::uint32_t> pixels = mask.pixels();
    // One rectangle per run of text pixels in each row.
    std::vector<RECT> runs;
    for (int y = 0; y < height; ++y) {
      int x = 0;
      while (x < width) {
        while (x < width && pixels[y * width + x] == 0) ++x;
        const int start = x;
        while (x < width && pixels[y * width + x] != 0) ++x;
        if (x > start) runs.push_back({start, y, x, y + 1});
      }
    }
    std::vector<std::uint8_t> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
    auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
    header->dwSize = sizeof(RGNDATAHEADER);
    header->iType = RDH_RECTANGLES;
    header->nCount = static_cast<DWORD>(runs.size());
    header->nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
    header->rcBound = client;
    if (!runs.empty()) {
      std::copy(reinterpret_cast<const std::uint8_t*>(runs.data()),
                reinterpret_cast<const std::uint8_t*>(runs.data() + runs.size()), data.data() + sizeof(RGNDATAHEADER));
    }
    region = ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<const RGNDATA*>(data.data()));
  }
  if (!region) region = CreateRectRgn(0, 0, 0, 0);
  if (region && !SetWindowRgn(hwnd_, region, TRUE)) DeleteObject(region);
}

// ---- CommandPort ----

void Command::captionChanged() {
  // The caption is the window text too, which is how screen readers name the button.
  if (core_.Caption() != windowText_ && SetWindowTextW(hwnd_, core_.Caption().c_str())) windowText_ = core_.Caption();
  updateFont();
  placeCaption();
  if (!core_.members().FaceOpaque) updateRegion();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void Command::opacityChanged() {
  updateRegion();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void Command::startHoverTimer(unsigned intervalMs) {
  if (SetTimer(hwnd_, HoverTimerId, intervalMs, nullptr)) timerOn_ = true;
}

void Command::raiseClick() { clickPending_ = true; }

void Command::propertyChanged(const wchar_t* name) {
  if (onChange_) {
    const auto handler = onChange_;
    handler(*this, name);
  }
}

// ---- inspection ----

bool Command::copyFace(std::vector<std::uint32_t>& pixels, int& width, int& height) const {
  if (!face_.valid()) return false;
  width = face_.width();
  height = face_.height();
  pixels = face_.pixels();
  return true;
}

RECT Command::captionRect() const { return caption_; }

}  // namespace controls
