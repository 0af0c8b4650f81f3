// The start routine's rules: command-line reading, preview geometry and the order of the start
// steps. No system call here; everything outside goes through StartPort.
#include "host/start/start_rules.h"

#include <string>

#include "common/text_rules.h"

namespace start {

StartMode startModeFor(const std::wstring& arguments) {
  switch (text::modeLetter(arguments)) {
    case L'P':
      return StartMode::Preview;
    case L'C':
      return StartMode::Settings;
    case L'S':
      return StartMode::Saver;
    default:
      return arguments.empty() ? StartMode::SaverWithoutSwitch : StartMode::Quit;
  }
}

double readLeadingNumber(const std::wstring& text) {
  return text::scanDecimal(text, text::NumberSpan::Leading).value_or(0.0);
}

std::optional<uint32_t> previewHandle(const std::wstring& arguments) {
  const std::wstring tail = arguments.size() > 3 ? arguments.substr(3) : std::wstring();
  const double rounded = text::roundHalfEven(readLeadingNumber(tail));
  // Signed values keep their 32-bit pattern (handles are sign-extended on 64-bit Windows);
  // values up to 2^32 - 1 are taken as the unsigned form of the same handle.
  if (!(rounded >= -2147483648.0 && rounded <= 4294967295.0)) return std::nullopt;
  const int64_t whole = static_cast<int64_t>(rounded);
  return static_cast<uint32_t>(whole & 0xFFFFFFFF);
}

PreviewRectTwips previewRectFor(int32_t paneWidth, int32_t paneHeight, int twipsPerPixelX, int twipsPerPixelY) {
  auto twips = [](int32_t pixels, int perPixel) {
    const int64_t value = static_cast<int64_t>(pixels < 0 ? 0 : pixels) * (perPixel < 1 ? 1 : perPixel);
    return static_cast<int32_t>(value > INT32_MAX ? INT32_MAX : value);
  };
  PreviewRectTwips rect;
  rect.width = twips(paneWidth, twipsPerPixelX);
  rect.height = twips(paneHeight, twipsPerPixelY);
  return rect;
}

int32_t twipsToPixels(int32_t twips, int twipsPerPixel) { return twips / (twipsPerPixel < 1 ? 1 : twipsPerPixel); }

namespace {

// The preview start. A handle that names no window ends the instance at once: embedding into
// nothing would leave an invisible process behind with nothing to end it.
AfterStart startPreview(const std::wstring& arguments, StartPort& port, PreviewRectTwips& rect) {
  const std::optional<uint32_t> handle = previewHandle(arguments);
  if (!handle || *handle == 0 || !port.isWindow(*handle)) return AfterStart::End;
  int32_t width = 0;
  int32_t height = 0;
  port.paneSize(*handle, width, height);
  const int perPixelX = port.twipsPerPixelX();
  const int perPixelY = port.twipsPerPixelY();
  rect = previewRectFor(width, height, perPixelX, perPixelY);
  if (!port.createPreview()) return AfterStart::End;
  port.addChildStyle();
  port.setPreviewParent(*handle);
  port.placePreview(twipsToPixels(rect.width, perPixelX), twipsToPixels(rect.height, perPixelY));
  port.sizePreviewImage(twipsToPixels(rect.width, perPixelX), twipsToPixels(rect.height, perPixelY));
  port.showPreview();
  return AfterStart::RunPreview;
}

}  // namespace

AfterStart runStart(const std::wstring& arguments, StartPort& port, PreviewRectTwips& rect) {
  const StartMode mode = startModeFor(arguments);
  // The title test alone lets two copies started together both pass before either has its
  // window. A session or dialog keeps the lock for its whole life; a preview, which may run
  // beside a session, only holds it across the test.
  if (mode != StartMode::Quit && !port.lockInstance()) return AfterStart::End;
  if (port.windowExists(SessionWindowTitle) || port.windowExists(SettingsWindowTitle)) return AfterStart::End;
  if (mode == StartMode::Preview) {
    port.unlockInstance();
    return startPreview(arguments, port, rect);
  }
  port.loadSettings();
  if (mode == StartMode::Settings) {
    port.showSettingsDialog();
    return AfterStart::End;
  }
  if (mode == StartMode::Quit) return AfterStart::End;
  if (mode == StartMode::Saver) port.hideCursor();
  // Without its session window nothing would ever end the program.
  return port.loadSession() ? AfterStart::RunSession : AfterStart::End;
}

}  // namespace start
