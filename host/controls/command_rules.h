// The Command push button without its window: members, properties with their change
// notification, first-use step, persistence, the interaction state machine, the Click rule
// and the Space key. It asks a CommandPort (the Win32 window, or a recording fake in tests) to
// compose the face, change the caption's look and raise events. Platform-free; depends on
// property_bag_rules.
#pragma once

#include <cstdint>
#include <string>

#include "host/controls/property_bag_rules.h"

namespace controls {

// Interaction state. None only between creation and Initialize.
enum class ButtonState : std::uint8_t { None = 0, Normal = 1, HighLight = 2, Selected = 3, HighLightSelect = 4 };

// The six state images the face is framed with.
enum class FaceImage : std::uint8_t { Normal, HighLight, Pressed, Selected, HighLightSelect, Disable };
constexpr int FaceImageCount = 6;
const wchar_t* faceImageName(FaceImage image);  // L"Normal", L"HighLight", ...

enum class MouseButton : std::uint8_t { Left = 1, Right = 2, Middle = 4 };

constexpr unsigned HoverIntervalMs = 100;  // TmrMouse
constexpr wchar_t DefaultCaption[] = L"Command";

// Persisted entries, in the order of saving.
constexpr wchar_t KeyEnabled[] = L"Enabled";
constexpr wchar_t KeyCaption[] = L"Caption";
constexpr wchar_t KeyFirstRun[] = L"FirstRun";
constexpr wchar_t KeyFont[] = L"Font";
constexpr wchar_t KeyFontColour[] = L"FontColour";
constexpr wchar_t KeyVisible[] = L"Visible";

// What the core needs from the window around it.
class CommandPort {
 public:
  virtual ~CommandPort() = default;
  // Compose the whole face from `image` with the gradient direction given (its geometry, the
  // gradient and the frame, then the caption's place) and show it.
  virtual void composeFace(FaceImage image, bool gradientInverted) = 0;
  // The caption's text, font, colour or look changed: show it again (the face is kept).
  virtual void captionChanged() = 0;
  // The face became opaque or transparent.
  virtual void opacityChanged() = 0;
  virtual void startHoverTimer(unsigned intervalMs) = 0;
  virtual void raiseClick() = 0;
  // The named persisted property changed; the container saves the bag again.
  virtual void propertyChanged(const wchar_t* name) = 0;
};

// The members of the control (all zero or false at creation).
struct CommandMembers {
  bool Enabled = false;
  std::uint8_t FirstRun = 0;
  ButtonState State = ButtonState::None;
  bool ButtonHeld = false;
  bool GradientInverted = false;
  bool FaceOpaque = true;  // face opacity: opaque (1) or transparent (0)
};

// What the caption element LblMsg holds.
struct CaptionElement {
  std::wstring text = DefaultCaption;
  FontDesc font;
  std::uint32_t colour = 0;  // 0x00BBGGRR
  bool enabledLook = true;
};

class CommandRules {
 public:
  // `ambientFont` is the container's current font: the caption's first font and the default
  // of the "Font" entry.
  CommandRules(CommandPort& port, FontDesc ambientFont);

  const CommandMembers& members() const { return m_; }
  const CaptionElement& caption() const { return lbl_; }
  FaceImage lastImage() const { return lastImage_; }  // of the last composition
  void setAmbientFont(FontDesc font) { ambientFont_ = std::move(font); }

  // Properties. Reading Enabled, FontColour or Visible can repaint the face.
  const std::wstring& Caption() const { return lbl_.text; }
  void setCaption(const std::wstring& New_Caption);
  const FontDesc& Font() const { return lbl_.font; }
  void setFont(const FontDesc& New_Font);
  std::uint32_t FontColour();
  void setFontColour(std::uint32_t New_FontColour);
  bool Enabled();
  void setEnabled(bool New_Enabled);
  std::uint8_t Visible();
  void setVisible(std::uint8_t New_Visible);

  // Life cycle.
  void Initialize();
  void readProperties(const PropertyBag& bag);
  void writeProperties(PropertyBag& bag);

  void RefreshFace();
  void ApplyEnabledLook();
  void PaintFace(FaceImage image);
  void EndHover();

  // Events from the window. `pointerOverOwnWindow` is the hover check's answer.
  void pointerDown(MouseButton button);
  void pointerMove();
  void pointerUp(MouseButton button);
  void focusGained();
  void focusLost();
  void resize();
  void hoverTick(bool pointerOverOwnWindow);
  // The window lost the pointer capture before the release arrived (another window took it):
  // the pending presses are forgotten, so no release will count.
  void captureLost();
  // Keyboard activation while the button has the focus: Space pressed and released raises
  // Click, whatever State is, once per press; the face and State stay as they are. A press
  // that the button loses the focus before releasing does not count.
  void spaceDown();
  void spaceUp();

  // Buttons whose press went to this control and whose release has not come yet (MouseButton
  // bits); the window keeps the pointer captured while this is not zero.
  std::uint8_t buttonsPressedHere() const { return pressedHere_; }

 private:
  void setCaptionLook(bool enabled);

  CommandPort& port_;
  CommandMembers m_;
  CaptionElement lbl_;
  FontDesc ambientFont_;
  FaceImage lastImage_ = FaceImage::Disable;
  std::uint8_t pressedHere_ = 0;
  bool spacePressedHere_ = false;
};

}  // namespace controls
