// The start routine's rules: command-line reading, preview geometry and the order of the start
// steps. No system call here; everything outside goes through StartPort.
#include "host/start_rules.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace host {

const char SessionWindowTitle[] = "Swirlbloom_Main";
const char SettingsWindowTitle[] = "<Pomarel>";

namespace {

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

wchar_t upperAscii(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

// Round half to even, the way the conversion to a whole number rounds.
double roundHalfEven(double value) {
  const double floorValue = std::floor(value);
  const double fraction = value - floorValue;
  if (fraction > 0.5) return floorValue + 1.0;
  if (fraction < 0.5) return floorValue;
  return std::fmod(floorValue, 2.0) == 0.0 ? floorValue : floorValue + 1.0;
}

}  // namespace

wchar_t modeLetter(const std::wstring& arguments) {
  return arguments.size() < 2 ? L'\0' : upperAscii(arguments[1]);
}

StartMode startModeFor(const std::wstring& arguments) {
  switch (modeLetter(arguments)) {
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
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && (text[i] == L' ' || text[i] == L'\t')) ++i;
  std::string span;
  if (i < n && (text[i] == L'+' || text[i] == L'-')) span += static_cast<char>(text[i++]);
  size_t digits = 0;
  while (i < n && isDigit(text[i])) {
    span += static_cast<char>(text[i++]);
    ++digits;
  }
  if (i < n && text[i] == L'.') {
    span += '.';
    ++i;
    while (i < n && isDigit(text[i])) {
      span += static_cast<char>(text[i++]);
      ++digits;
    }
  }
  if (digits == 0) return 0.0;
  // An exponent counts only when digits follow it: "12e" reads as 12.
  if (i < n && (text[i] == L'E' || text[i] == L'e')) {
    size_t j = i + 1;
    std::string exponent = "e";
    if (j < n && (text[j] == L'+' || text[j] == L'-')) exponent += static_cast<char>(text[j++]);
    const size_t start = j;
    while (j < n && isDigit(text[j])) exponent += static_cast<char>(text[j++]);
    if (j > start) span += exponent;
  }
  return std::strtod(span.c_str(), nullptr);
}

std::optional<uint32_t> previewHandle(const std::wstring& arguments) {
  const std::wstring tail = arguments.size() > 3 ? arguments.substr(3) : std::wstring();
  const double rounded = roundHalfEven(readLeadingNumber(tail));
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
  if (port.windowExists(SessionWindowTitle) || port.windowExists(SettingsWindowTitle)) return AfterStart::End;
  const StartMode mode = startModeFor(arguments);
  if (mode == StartMode::Preview) return startPreview(arguments, port, rect);
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

}  // namespace host
