// Swirlbloom_R: the still picture shown in the system's preview pane. A borderless grey form
// holding the image control Img_Prev with the stored JPEG, stretched. Win32 via host/ui.
#pragma once

#include <windows.h>

#include "host/ui/form.h"
#include "host/ui/image.h"

namespace preview {

class PreviewWindow : public ui::Form {
 public:
  PreviewWindow();

  bool load();  // hidden, top-level until reparented
  // The pane the preview was embedded into; null when there is none to watch.
  void watchPane(HWND pane);
  // True once the watched pane, or the preview's own window, is no longer a window. Not part
  // of the form's own behaviour: the pane belongs to another process, which may destroy it,
  // and the preview inside it, without a word to us; the program's message loop asks this.
  bool paneGone() const;

  ui::Image Img_Prev;

 protected:
  void onLoad() override;
  void onUnload() override;

 private:
  HWND pane_ = nullptr;
};

}  // namespace preview
