// libFuzzer target for the start routine's command-line rules: the argument text split from a
// command line, the mode letter, the preview handle and the /c: forms, and the start steps run
// against a port whose answers come from the input. Links start_rules and the common text
// rules (the splitting rule of host/ui/ui_rules); no system at all.
#include "common/text_rules.h"
#include "host/start/start_rules.h"
#include "host/ui/ui_rules.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

// Answers from the first input bytes; checks the order of the steps as they come.
class FuzzStart : public start::StartPort {
 public:
  uint8_t flags = 0;
  uint32_t pane = 0;
  int32_t paneWidth = 0, paneHeight = 0;
  int perPixel = 15;
  bool locked = false, released = false, searched = false, preview = false, created = false;
  int dialogs = 0, sessions = 0;
  int32_t placedWidth = -1;

  bool windowExists(const char*) override {
    searched = true;
    return flags & 1;
  }
  bool lockInstance() override {
    require(!searched && !locked);  // the lock comes before the title test, once
    locked = true;
    return !(flags & 2);
  }
  void unlockInstance() override {
    require(locked && searched && !released);
    released = true;
  }
  void loadSettings() override { require(searched && !(flags & 1)); }
  void showSettingsDialog() override { ++dialogs; }
  void hideCursor() override {}
  bool loadSession() override {
    ++sessions;
    return flags & 4;
  }
  bool isWindow(uint32_t handle) override {
    require(handle != 0);
    return handle == pane;
  }
  void paneSize(uint32_t, int32_t& width, int32_t& height) override {
    width = paneWidth;
    height = paneHeight;
  }
  int twipsPerPixelX() override { return perPixel; }
  int twipsPerPixelY() override { return perPixel; }
  bool createPreview() override {
    created = true;
    return flags & 8;
  }
  void addChildStyle() override { require(created); }
  void setPreviewParent(uint32_t handle) override { require(created && handle == pane); }
  void placePreview(int32_t width, int32_t height) override {
    require(width >= 0 && height >= 0);
    placedWidth = width;
  }
  void sizePreviewImage(int32_t width, int32_t) override { require(width == placedWidth); }
  void showPreview() override { preview = true; }
};

int32_t read32(const uint8_t* data) {
  return static_cast<int32_t>(static_cast<uint32_t>(data[0]) | data[1] << 8 | data[2] << 16 |
                              static_cast<uint32_t>(data[3]) << 24);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 14) return 0;
  FuzzStart port;
  port.flags = data[0];
  port.perPixel = static_cast<int8_t>(data[1]);
  port.paneWidth = read32(data + 2);
  port.paneHeight = read32(data + 6);
  port.pane = static_cast<uint32_t>(read32(data + 10));
  data += 14;
  size -= 14;
  std::wstring line;
  for (size_t i = 0; i + 1 < size; i += 2) line += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));

  const std::wstring arguments = ui::argumentText(line);
  require(line.size() >= arguments.size() &&
          line.compare(line.size() - arguments.size(), arguments.size(), arguments) == 0);

  const wchar_t letter = text::modeLetter(arguments);
  if (arguments.size() < 2) {
    require(letter == 0);
  } else {
    const wchar_t second = arguments[1];
    require(letter == (second >= L'a' && second <= L'z' ? second - 32 : second));
  }
  const start::StartMode mode = start::startModeFor(arguments);

  const auto handle = start::previewHandle(arguments);
  if (handle) {
    // The handle survives being written back the way the system writes it.
    const std::wstring again = L"/p " + std::to_wstring(static_cast<int32_t>(*handle));
    require(start::previewHandle(again) == handle);
  }

  start::PreviewRectTwips rect;
  const start::AfterStart after = start::runStart(arguments, port, rect);
  const bool refused = (mode != start::StartMode::Quit && (port.flags & 2)) || (port.flags & 1);
  require(!refused || (port.dialogs == 0 && port.sessions == 0 && !port.created));
  require(port.released == (mode == start::StartMode::Preview && !refused));
  require(port.dialogs == (mode == start::StartMode::Settings && !refused ? 1 : 0));
  require(port.sessions <= 1 && (port.sessions == 0 || mode == start::StartMode::Saver ||
                                 mode == start::StartMode::SaverWithoutSwitch));
  require((after == start::AfterStart::RunPreview) == port.preview);
  require(after != start::AfterStart::RunSession || port.sessions == 1);
  if (port.preview) {
    require(handle && *handle == port.pane && rect.width >= 0 && rect.height >= 0);
    require(port.placedWidth == start::twipsToPixels(rect.width, port.perPixel));
    if (port.perPixel >= 1 && port.paneWidth >= 0 && static_cast<int64_t>(port.paneWidth) * port.perPixel <= INT32_MAX) {
      require(port.placedWidth == port.paneWidth);  // the preview covers the pane exactly
    }
  }
  return 0;
}
