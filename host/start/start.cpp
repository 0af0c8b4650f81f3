// The start routine's system side: a named mutex and FindWindowA for the instance test, the settings loader,
// the cursor, and the preview embedding into another process's pane (GetClientRect,
// Get/SetWindowLongA, SetParent). The decisions are runStart (start_rules.cpp).
#include "host/start/start.h"

#include <windows.h>

#include "common/last_api_result.h"
#include "host/preview/preview.h"
#include "host/session/session.h"
#include "host/settings/settings.h"
#include "host/settings_dialog/settings_dialog.h"
#include "host/ui/twips.h"

namespace start {

namespace {

HWND toWindow(uint32_t handle) {
  // Window handles are 32-bit values, sign-extended in a 64-bit process.
  return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(handle)));
}

// Per logon session, like the windows the title test looks for. Held by this thread from the
// test on; the system lets go of it when the process ends, and a copy killed while holding it
// leaves it abandoned, which the next copy takes as free.
constexpr char InstanceLockName[] = "Local\\Pomarel.scr instance";
// A preview holds the lock for no more than the title test; a session or dialog for its life.
constexpr DWORD InstanceLockWaitMs = 200;
HANDLE instanceLock = nullptr;

class SystemStart : public StartPort {
 public:
  explicit SystemStart(StartModule& module) : module_(module) {}

  bool windowExists(const char* title) override { return FindWindowA(nullptr, title) != nullptr; }
  bool lockInstance() override {
    if (!instanceLock) instanceLock = CreateMutexA(nullptr, FALSE, InstanceLockName);
    if (!instanceLock) return true;  // no lock to be had: the title test alone decides
    const DWORD waited = WaitForSingleObject(instanceLock, InstanceLockWaitMs);
    return waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  }
  void unlockInstance() override {
    if (instanceLock) ReleaseMutex(instanceLock);
  }
  void loadSettings() override { settings::LoadSettings(); }
  void showSettingsDialog() override { settings_dialog::showSettingsDialog(); }
  void hideCursor() override { ShowCursor(FALSE); }
  bool loadSession() override { return module_.Swirlbloom_S->load(); }

  bool isWindow(uint32_t handle) override { return IsWindow(toWindow(handle)) != FALSE; }
  void paneSize(uint32_t handle, int32_t& width, int32_t& height) override {
    // The client area, not the window rectangle: a child can only ever cover the client area,
    // and the system's borderless pane has the two equal anyway.
    RECT rect = {0, 0, 0, 0};
    LastApiResult = GetClientRect(toWindow(handle), &rect);
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
  }
  int twipsPerPixelX() override { return ui::twipsPerPixelX(); }
  int twipsPerPixelY() override { return ui::twipsPerPixelY(); }
  bool createPreview() override { return module_.Swirlbloom_R->load(); }
  void addChildStyle() override {
    const HWND preview = module_.Swirlbloom_R->hwnd();
    const LONG style = GetWindowLongA(preview, GWL_STYLE);
    LastApiResult = SetWindowLongA(preview, GWL_STYLE, style | WS_CHILD);
  }
  void setPreviewParent(uint32_t handle) override {
    const HWND pane = toWindow(handle);
    LastApiResult =
        static_cast<int32_t>(reinterpret_cast<intptr_t>(SetParent(module_.Swirlbloom_R->hwnd(), pane)));
    module_.Swirlbloom_R->watchPane(pane);
  }
  void placePreview(int32_t width, int32_t height) override { module_.Swirlbloom_R->move(0, 0, width, height); }
  void sizePreviewImage(int32_t width, int32_t height) override {
    module_.Swirlbloom_R->Img_Prev.move(0, 0, width, height);
  }
  void showPreview() override { module_.Swirlbloom_R->show(SW_SHOW); }

 private:
  StartModule& module_;
};

}  // namespace

StartModule& startModule() {
  static preview::PreviewWindow preview;
  static session::SessionWindow session;
  static StartModule module{{}, &preview, &session};
  return module;
}

AfterStart startProgram(const std::wstring& arguments) {
  StartModule& module = startModule();
  SystemStart port(module);
  return runStart(arguments, port, module.PreviewRect);
}

namespace {

// When the pane's process dies, Wine destroys the pane and the preview inside it without a
// single message reaching this process, so a timer of the preview's would never tick. The
// loop itself asks the preview after every wait; a wait with a timeout cannot be taken away
// from outside.
constexpr DWORD PaneCheckMs = 250;

}  // namespace

int runMessageLoop() {
  preview::PreviewWindow& preview = *startModule().Swirlbloom_R;
  MSG msg = {};
  for (;;) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, PaneCheckMs, QS_ALLINPUT);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        preview.watchPane(nullptr);
        return static_cast<int>(msg.wParam);
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (preview.paneGone()) {
      preview.watchPane(nullptr);
      return 0;
    }
  }
}

}  // namespace start
