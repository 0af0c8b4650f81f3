// The preview form: its look, the picture from the program's resources (decoded by the system),
// the end of the instance when its window goes, and whether its pane has gone. Depends on
// host/ui and common (LastApiResult).
#include "host/preview/preview.h"

#include "common/last_api_result.h"
#include "host/res/resource.h"
#include "host/ui/picture.h"

namespace preview {

PreviewWindow::PreviewWindow() : ui::Form("Swirlbloom_R") {}

bool PreviewWindow::load() {
  ui::FormLook look;
  look.caption = L"Preview Window";
  look.style = WS_POPUP | WS_CLIPCHILDREN;  // no border, no title bar
  look.colour = RGB(192, 192, 192);
  look.iconResource = IconScissors;
  return ui::Form::load(look);
}

void PreviewWindow::onLoad() {
  if (Img_Prev.create(hwnd(), 0, 0, 0, 0)) {
    Img_Prev.setStretch(true);
    Img_Prev.setPicture(ui::loadPictureResource(PreviewPictureType, PreviewPicture));
  }
}

void PreviewWindow::watchPane(HWND pane) { pane_ = pane; }

// The window handle is asked too: destroyed without a message, the form still holds it.
bool PreviewWindow::paneGone() const { return pane_ && (!IsWindow(pane_) || !IsWindow(hwnd())); }

void PreviewWindow::onUnload() {
  // The form's own unload: a close request to itself, already closing, recorded and no more.
  LastApiResult = PostMessageA(hwnd(), WM_CLOSE, 0, 0);
  // Nothing else keeps the instance alive once its window has gone.
  PostQuitMessage(0);
}

}  // namespace preview
