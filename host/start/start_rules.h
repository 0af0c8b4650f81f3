// Swirlbloom_B's decisions, free of any system call: the start mode and the preview handle
// read from the argument text, the preview geometry, and the start routine itself, which
// reaches windows, settings and cursor through StartPort. Depends on common (the mode letter,
// the window titles) and the C++ library.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/contract.h"

namespace start {

enum class StartMode { Preview, Settings, Saver, SaverWithoutSwitch, Quit };

// By the mode letter (text::modeLetter); Quit for any other letter, or none in a text that is
// not empty.
StartMode startModeFor(const std::wstring& arguments);

// A decimal number read as far as it goes after leading blanks: sign, digits, fraction and
// exponent; 0 when the text starts with no number. Never fails.
double readLeadingNumber(const std::wstring& text);

// The preview pane's handle: the argument text from its fourth character on, read as above
// and rounded half to even. The 32 bits of the handle, or nothing when the number fits neither
// a signed nor an unsigned 32-bit integer (no window can have it).
std::optional<uint32_t> previewHandle(const std::wstring& arguments);

// PreviewRect: left, top, width and height in twips. 32 bits wide, so a pane of any size
// the screen can have fits (16 bits stopped at 2184 pixels).
struct PreviewRectTwips {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// From the pane's size in pixels; a negative size counts as 0.
PreviewRectTwips previewRectFor(int32_t paneWidth, int32_t paneHeight, int twipsPerPixelX, int twipsPerPixelY);
int32_t twipsToPixels(int32_t twips, int twipsPerPixel);

using contract::SessionWindowTitle;
using contract::SettingsWindowTitle;

class StartPort {
 public:
  virtual ~StartPort() = default;
  virtual bool windowExists(const char* title) = 0;  // any class, hidden windows too
  // The lock that makes the instance test and the creation of the guarded window one step
  // for every copy of the program: waits briefly for it, false when another copy keeps it.
  // Once taken it is kept until the program ends unless released.
  virtual bool lockInstance() = 0;
  virtual void unlockInstance() = 0;
  virtual void loadSettings() = 0;
  virtual void showSettingsDialog() = 0;  // modal, no owner; returns when it has closed
  virtual void hideCursor() = 0;
  virtual bool loadSession() = 0;  // the hidden session window

  // The preview start, step by step.
  virtual bool isWindow(uint32_t handle) = 0;
  virtual void paneSize(uint32_t handle, int32_t& width, int32_t& height) = 0;  // pixels
  virtual int twipsPerPixelX() = 0;
  virtual int twipsPerPixelY() = 0;
  virtual bool createPreview() = 0;  // hidden
  virtual void addChildStyle() = 0;
  virtual void setPreviewParent(uint32_t handle) = 0;
  virtual void placePreview(int32_t width, int32_t height) = 0;  // at 0, 0 of the pane, pixels
  virtual void sizePreviewImage(int32_t width, int32_t height) = 0;
  virtual void showPreview() = 0;
};

// What the program does once the start routine has returned.
enum class AfterStart { End, RunPreview, RunSession };

// The whole start routine for one argument text. `rect` receives PreviewRect.
AfterStart runStart(const std::wstring& arguments, StartPort& port, PreviewRectTwips& rect);

}  // namespace start
