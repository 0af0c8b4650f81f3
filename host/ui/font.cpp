// Font creation and reading through LOGFONTW: the wide form keeps a Japanese face name intact
// whatever the ANSI code page is. Depends on gdi32 and host/ui/twips.
#include "host/ui/font.h"

#include "host/ui/twips.h"

namespace ui {
namespace {

int pixelsPerInchY() {
  const int perPixel = twipsPerPixelY();
  return perPixel > 0 ? 1440 / perPixel : 96;
}

}  // namespace

HFONT createFont(const FontLook& look) {
  LOGFONTW lf = {};
  lf.lfHeight = -MulDiv(static_cast<int>(look.points * 100.0 + 0.5), pixelsPerInchY(), 7200);
  lf.lfWeight = look.weight;
  lf.lfItalic = look.italic;
  lf.lfUnderline = look.underline;
  lf.lfStrikeOut = look.strikeout;
  lf.lfCharSet = static_cast<BYTE>(look.charset);
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  lstrcpynW(lf.lfFaceName, look.name.c_str(), LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

FontLook fontLookOf(HFONT font) {
  FontLook look;
  LOGFONTW lf = {};
  if (!font || !GetObjectW(font, sizeof(lf), &lf)) return look;
  look.name = lf.lfFaceName;
  const int pixels = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
  look.points = static_cast<double>(MulDiv(pixels, 7200, pixelsPerInchY())) / 100.0;
  look.weight = lf.lfWeight ? static_cast<int>(lf.lfWeight) : FW_NORMAL;
  look.italic = lf.lfItalic != 0;
  look.underline = lf.lfUnderline != 0;
  look.strikeout = lf.lfStrikeOut != 0;
  look.charset = lf.lfCharSet;
  return look;
}

}  // namespace ui
