// Fonts of the host's windows: the one place where a face name and a size in points become a
// GDI font, and a GDI font is read back as such (the settings dialog's labels, the Command
// button's caption and the font its container hands it). Win32 (gdi32).
#pragma once

#include <windows.h>

#include <string>

namespace ui {

struct FontLook {
  std::wstring name;  // face name, e.g. L"ＭＳ Ｐゴシック"
  double points = 0.0;
  int weight = FW_NORMAL;
  bool italic = false;
  bool underline = false;
  bool strikeout = false;
  int charset = DEFAULT_CHARSET;
};

// A font the caller owns (DeleteObject), sized at the screen's density in the host's own
// measure of it (1440 / twips per pixel, host/ui/twips.h), so that text keeps its proportion
// to controls placed in twips; null when the system refuses.
HFONT createFont(const FontLook& look);

// What `font` is, its size in whole hundredths of a point at that same density (13 px at 96
// dots per inch is 9.75); a FontLook with no name for no font.
FontLook fontLookOf(HFONT font);

}  // namespace ui
