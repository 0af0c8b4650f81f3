// The Command push button as a Win32 child window: a custom-drawn face (gradient and the frame
// of one of six state images), the caption LblMsg, the hover timer TmrMouse and the Click
// event. The window procedure feeds CommandRules (command_rules.h); this is the container's
// interface. Depends on user32, gdi32, msimg32 and host/ui (twips, back buffer, fonts).
//
// Use from a container (a window or a panel):
//   registerCommandClass(instance);          // once; later calls do nothing
//   auto* set = createCommand(parent, IDC_SET, {4860, 3000, 1155, 375, Units::Twips});
//   set->readProperties(bag);                          // the container's stored properties
//   set->Initialize();                                 // starts hover tracking
//   // Click goes to the click handler when one is set; otherwise it arrives as WM_COMMAND
//   // (sent) at the notify window, the parent unless changed:
//   //   LOWORD(wParam) = control id, HIWORD(wParam) = CommandClickCode, lParam = the HWND.
//   // Click comes last in the handling of the release, so the container may destroy the
//   // button (or the whole dialog) in it.
// The state images are resources of the executable (command_images.rc, linked into every
// program that links `command`).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/controls/command_rules.h"
#include "host/controls/property_bag_rules.h"
#include "host/ui/back_buffer.h"

namespace controls {

constexpr wchar_t CommandClassName[] = L"PomarelCommand";
// Notification code of Click in WM_COMMAND; the same as BN_CLICKED.
constexpr WORD CommandClickCode = 0;
// Default size on a container, in twips (117 x 28 px at 15 twips per pixel).
constexpr int DefaultWidthTwips = 1755;
constexpr int DefaultHeightTwips = 420;

// Registers the window class in the executable's module. True when the class is there.
bool registerCommandClass(HINSTANCE instance = nullptr);

enum class Units { Pixels, Twips };

// Position relative to the parent's client area, and size. Twips are converted with the
// screen's real density (host/ui/twips).
struct CommandPlacement {
  int x = 0;
  int y = 0;
  int width = DefaultWidthTwips;
  int height = DefaultHeightTwips;
  Units units = Units::Twips;
};

// Creates a visible child Command window on `parent` (registering the class if needed).
// `style` is added to WS_CHILD | WS_VISIBLE (WS_TABSTOP by default). Null on failure; the
// window owns the object and deletes it when it is destroyed. Its window text is its Caption.
// With the focus, Space pressed and released raises Click (the container moves the focus).
class Command;
class StateImages;
Command* createCommand(HWND parent, int id, const CommandPlacement& place, DWORD style = WS_TABSTOP);
// The object of a Command window (also one made with CreateWindowEx and the class name).
Command* commandFromWindow(HWND window);

class Command final : private CommandPort {
 public:
  HWND window() const { return hwnd_; }
  int id() const;

  // Properties; each setter notifies the change.
  std::wstring Caption() const { return core_.Caption(); }
  void setCaption(const std::wstring& New_Caption) { core_.setCaption(New_Caption); }
  FontDesc Font() const { return core_.Font(); }
  void setFont(const FontDesc& New_Font) { core_.setFont(New_Font); }
  std::uint32_t FontColour() { return core_.FontColour(); }
  void setFontColour(std::uint32_t New_FontColour) { core_.setFontColour(New_FontColour); }
  bool Enabled() { return core_.Enabled(); }
  void setEnabled(bool New_Enabled) { core_.setEnabled(New_Enabled); }
  std::uint8_t Visible() { return core_.Visible(); }
  void setVisible(std::uint8_t New_Visible) { core_.setVisible(New_Visible); }

  void Initialize() { core_.Initialize(); }
  void readProperties(const PropertyBag& bag) { core_.readProperties(bag); }
  void writeProperties(PropertyBag& bag) { core_.writeProperties(bag); }
  void RefreshFace() { core_.RefreshFace(); }

  // Events to the container.
  void setClickHandler(std::function<void(Command&)> handler) { onClick_ = std::move(handler); }
  void setChangeHandler(std::function<void(Command&, const std::wstring& property)> handler) {
    onChange_ = std::move(handler);
  }
  // Where WM_COMMAND goes (the parent by default; a panel may pass its dialog).
  void setNotifyWindow(HWND window) { notify_ = window; }

  // Read-only view of the members and the state machine.
  const CommandRules& core() const { return core_; }

  // The composed face as 0x00RRGGBB pixels, top row first (the back buffer, no caption).
  bool copyFace(std::vector<std::uint32_t>& pixels, int& width, int& height) const;
  // Face and caption as the window shows them, drawn into `dc` at (0, 0).
  void render(HDC dc) const;
  // Where the caption element sits, in client pixels.
  RECT captionRect() const;

 private:
  friend LRESULT CALLBACK commandWindowProc(HWND, UINT, WPARAM, LPARAM);
  Command(HWND hwnd, FontDesc ambient);
  ~Command() override;

  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void onButtonDown(MouseButton button);
  // May destroy the window (through Click): nothing touches the object after it returns.
  void onButtonUp(MouseButton button);
  void deliverPendingClick();
  bool ensureBuffer();  // the face's back buffer at the client size; false without one
  // The caption as LblMsg shows it; `mask` draws every text pixel white (for the region).
  void drawCaption(HDC dc, bool mask) const;
  COLORREF captionColour() const;
  void updateFont();
  void updateRegion();
  void placeCaption();

  // CommandPort
  void composeFace(FaceImage image, bool gradientInverted) override;
  void captionChanged() override;
  void opacityChanged() override;
  void startHoverTimer(unsigned intervalMs) override;
  void raiseClick() override;
  void propertyChanged(const wchar_t* name) override;

  HWND hwnd_ = nullptr;
  HWND notify_ = nullptr;
  CommandRules core_;
  std::function<void(Command&)> onClick_;
  std::function<void(Command&, const std::wstring&)> onChange_;

  ui::BackBuffer face_;  // the composed face, client size

  std::unique_ptr<StateImages> images_;
  HFONT font_ = nullptr;  // the caption font as a GDI object
  FontDesc fontDesc_;     // what font_ was made from
  RECT caption_{};        // LblMsg's rectangle
  std::wstring windowText_ = DefaultCaption;  // the caption as the window text has it
  int lineHeight_ = 13;   // of the caption font
  bool timerOn_ = false;
  bool clickPending_ = false;
  bool releasingCapture_ = false;
};

}  // namespace controls
