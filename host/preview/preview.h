// Swirlbloom_R: the still picture shown in the system's preview pane. A borderless grey form
// holding the image control Img_Prev with the stored JPEG, stretched. Win32 via host/ui.
#pragma once

#include <windows.h>

#include "host/ui/form.h"
#include "host/ui/image.h"

class PreviewWindow : public ui::Form {
 public:
  PreviewWindow();

  bool load();  // hidden, top-level until reparented
  // Ends the preview once `pane` is no longer a window.
  void watchPane(HWND pane);

  ui::Image Img_Prev;

 protected:
  void onLoad() override;
  void onUnload() override;
  void onTimer(ui::Timer& timer) override;

 private:
  HWND pane_ = nullptr;
  // Not part of the form's own behaviour: the pane belongs to another process, which may
  // destroy it without a word to us.
  ui::Timer paneWatch_;
};
