// Command's behaviour without its window: properties, first-use step, persistence, the state
// table of pointer, focus, resize and hover-timer events, the Click rule and the Space key.
// Platform-free; depends on property_bag_rules and the CommandPort the window supplies.
#include "host/controls/command_rules.h"

namespace controls {
namespace {

bool invertedFor(ButtonState state, bool previous) {
  switch (state) {
    case ButtonState::Normal:
    case ButtonState::Selected:
      return false;
    // Grey at the top whenever the pointer is over the button, focused or not, so the
    // hovered look does not depend on how the state was entered.
    case ButtonState::HighLight:
    case ButtonState::HighLightSelect:
      return true;
    case ButtonState::None:
      break;
  }
  return previous;
}

}  // namespace

const wchar_t* faceImageName(FaceImage image) {
  switch (image) {
    case FaceImage::Normal: return L"Normal";
    case FaceImage::HighLight: return L"HighLight";
    case FaceImage::Pressed: return L"Pressed";
    case FaceImage::Selected: return L"Selected";
    case FaceImage::HighLightSelect: return L"HighLightSelect";
    case FaceImage::Disable: return L"Disable";
  }
  return L"?";
}

CommandRules::CommandRules(CommandPort& port, FontDesc ambientFont)
    : port_(port), ambientFont_(std::move(ambientFont)) {
  lbl_.font = ambientFont_;
}

// ---- properties ----

void CommandRules::setCaption(const std::wstring& New_Caption) {
  lbl_.text = New_Caption;
  port_.captionChanged();
  port_.propertyChanged(KeyCaption);
}

void CommandRules::setFont(const FontDesc& New_Font) {
  lbl_.font = New_Font;
  port_.captionChanged();
  port_.propertyChanged(KeyFont);
}

std::uint32_t CommandRules::FontColour() {
  const std::uint32_t colour = lbl_.colour;
  RefreshFace();
  return colour;
}

void CommandRules::setFontColour(std::uint32_t New_FontColour) {
  lbl_.colour = New_FontColour;
  port_.captionChanged();
  RefreshFace();
  port_.propertyChanged(KeyFontColour);
}

bool CommandRules::Enabled() {
  // A control that was never loaded from a bag initialises itself on this first read.
  if (m_.FirstRun == 0) {
    RefreshFace();
    m_.FirstRun = 1;
    m_.Enabled = true;
  }
  const bool enabled = m_.Enabled;
  ApplyEnabledLook();
  return enabled;
}

void CommandRules::setEnabled(bool New_Enabled) {
  m_.Enabled = New_Enabled;
  port_.propertyChanged(KeyEnabled);
  ApplyEnabledLook();
}

std::uint8_t CommandRules::Visible() {
  if (!m_.FaceOpaque) return 0;
  RefreshFace();
  return 255;
}

void CommandRules::setVisible(std::uint8_t New_Visible) {
  if (New_Visible != 0) {
    m_.FaceOpaque = true;
    port_.opacityChanged();
    RefreshFace();
  } else {
    m_.FaceOpaque = false;
    port_.opacityChanged();
  }
  port_.propertyChanged(KeyVisible);
}

// ---- life cycle ----

void CommandRules::Initialize() {
  m_.State = ButtonState::Normal;
  port_.startHoverTimer(HoverIntervalMs);
}

void CommandRules::readProperties(const PropertyBag& bag) {
  // Each entry is applied straight after it is read; one that cannot be converted is
  // skipped and leaves its member as it was.
  if (auto v = toBoolean(readProperty(bag, KeyEnabled, true))) m_.Enabled = *v;
  if (auto v = toText(readProperty(bag, KeyCaption, DefaultCaption))) lbl_.text = *v;
  if (auto v = toFont(readProperty(bag, KeyFont, ambientFont_))) lbl_.font = *v;
  if (auto v = toUnsigned8(readProperty(bag, KeyFirstRun, L"1"))) m_.FirstRun = *v;
  if (auto v = toSigned32(readProperty(bag, KeyFontColour, L"0"))) {
    lbl_.colour = static_cast<std::uint32_t>(*v);
  }
  const bool wasOpaque = m_.FaceOpaque;
  if (auto v = toSigned16(readProperty(bag, KeyVisible, L"1"))) {
    if (*v == 0) m_.FaceOpaque = false;
    if (*v == 1) m_.FaceOpaque = true;
  }
  port_.captionChanged();
  if (m_.FaceOpaque != wasOpaque) port_.opacityChanged();
  RefreshFace();
}

void CommandRules::writeProperties(PropertyBag& bag) {
  writeProperty(bag, KeyEnabled, m_.Enabled, true);
  writeProperty(bag, KeyCaption, lbl_.text, DefaultCaption);
  writeProperty(bag, KeyFirstRun, static_cast<int>(m_.FirstRun), L"1");
  writeProperty(bag, KeyFont, lbl_.font, ambientFont_);
  writeProperty(bag, KeyFontColour, static_cast<int>(static_cast<std::int32_t>(lbl_.colour)), L"0");
  writeProperty(bag, KeyVisible, m_.FaceOpaque ? 1 : 0, L"1");
  RefreshFace();
}

// ---- repaint operations ----

void CommandRules::setCaptionLook(bool enabled) {
  if (lbl_.enabledLook == enabled) return;
  lbl_.enabledLook = enabled;
  port_.captionChanged();
}

void CommandRules::RefreshFace() {
  if (!m_.Enabled) return;
  setCaptionLook(true);
  if (m_.FirstRun == 0 && lbl_.colour != 0) {
    lbl_.colour = 0;
    port_.captionChanged();
  }
  PaintFace(FaceImage::Normal);
}

void CommandRules::ApplyEnabledLook() {
  if (m_.Enabled) {
    PaintFace(FaceImage::Normal);
    setCaptionLook(true);
  } else {
    PaintFace(FaceImage::Disable);
    setCaptionLook(false);
  }
}

void CommandRules::PaintFace(FaceImage image) {
  m_.GradientInverted = invertedFor(m_.State, m_.GradientInverted);
  lastImage_ = image;
  port_.composeFace(image, m_.GradientInverted);
}

void CommandRules::EndHover() {
  if (!m_.Enabled) return;
  if (m_.State == ButtonState::HighLight) {
    m_.State = ButtonState::Normal;
    PaintFace(FaceImage::Normal);
  } else if (m_.State == ButtonState::HighLightSelect) {
    m_.State = ButtonState::Selected;
    PaintFace(FaceImage::Selected);
  }
}

// ---- events ----

void CommandRules::pointerDown(MouseButton button) {
  pressedHere_ |= static_cast<std::uint8_t>(button);
  if (!m_.Enabled) return;
  if (button != MouseButton::Left) return;
  m_.ButtonHeld = true;
  PaintFace(FaceImage::Pressed);
}

void CommandRules::pointerMove() {
  if (!m_.Enabled) return;
  if (m_.State == ButtonState::Normal) {
    m_.State = ButtonState::HighLight;
    PaintFace(FaceImage::HighLight);
  } else if (m_.State == ButtonState::Selected && !m_.ButtonHeld) {
    m_.State = ButtonState::HighLightSelect;
    PaintFace(FaceImage::HighLightSelect);
  }
}

void CommandRules::pointerUp(MouseButton button) {
  const auto bit = static_cast<std::uint8_t>(button);
  // Only a release whose press went to this control counts.
  if ((pressedHere_ & bit) == 0) return;
  pressedHere_ = static_cast<std::uint8_t>(pressedHere_ & ~bit);
  if (!m_.Enabled) return;
  if (button == MouseButton::Left) {
    m_.ButtonHeld = false;
    if (m_.State == ButtonState::HighLight) {
      PaintFace(FaceImage::Normal);
    } else if (m_.State == ButtonState::HighLightSelect) {
      PaintFace(FaceImage::HighLightSelect);
    }
  }
  if (m_.State != ButtonState::Selected) port_.raiseClick();
}

void CommandRules::focusGained() {
  if (!m_.Enabled) return;
  if (m_.State == ButtonState::HighLight) {
    m_.State = ButtonState::HighLightSelect;
    PaintFace(FaceImage::Pressed);
  } else {
    m_.State = ButtonState::Selected;
    PaintFace(FaceImage::Selected);
  }
}

void CommandRules::focusLost() {
  spacePressedHere_ = false;
  if (!m_.Enabled) return;
  if (m_.State != ButtonState::Normal) {
    m_.State = ButtonState::Normal;
    PaintFace(FaceImage::Normal);
  }
}

void CommandRules::resize() { ApplyEnabledLook(); }

void CommandRules::hoverTick(bool pointerOverOwnWindow) {
  if (!pointerOverOwnWindow) EndHover();
}

void CommandRules::captureLost() {
  pressedHere_ = 0;
  m_.ButtonHeld = false;
}

void CommandRules::spaceDown() {
  if (m_.Enabled) spacePressedHere_ = true;
}

void CommandRules::spaceUp() {
  const bool pressed = spacePressedHere_;
  spacePressedHere_ = false;
  if (pressed && m_.Enabled) port_.raiseClick();
}

}  // namespace controls
