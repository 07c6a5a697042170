#include "win32/classicfont.h"

#include <cstring>

namespace {

constexpr char kBitmapFace[] = "MS Sans Serif";
constexpr char kScalableFace[] = "Microsoft Sans Serif";

void SetFace(LOGFONTA& font, const char* face) {
  std::strncpy(font.lfFaceName, face, LF_FACESIZE - 1);
  font.lfFaceName[LF_FACESIZE - 1] = '\0';
}

// Pixels of a character height in hundredths of a point.
LONG Height(int centipoints, int dpi) {
  return -MulDiv(centipoints, dpi, 7200);
}

bool Fits(HDC dc, HFONT font, const std::vector<TextRoom>& texts) {
  const HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  bool fits = true;
  for (const TextRoom& t : texts) {
    SIZE size{};
    GetTextExtentPoint32A(dc, t.text.data(), static_cast<int>(t.text.size()),
                          &size);
    if (size.cx > t.room.cx || metrics.tmHeight > t.room.cy) fits = false;
  }
  SelectObject(dc, old);
  return fits;
}

}  // namespace

LOGFONTA ClassicFont(bool bold, int dpi) {
  LOGFONTA font{};
  font.lfHeight = Height(825, dpi);
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = ANSI_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  SetFace(font, dpi == 96 ? kBitmapFace : kScalableFace);
  return font;
}

HFONT FitFont(const LOGFONTA& font, int dpi,
              const std::vector<TextRoom>& texts) {
  const HDC dc = GetDC(nullptr);
  HFONT fitted = CreateFontIndirectA(&font);
  // The bitmap face comes in a few sizes only, so the scalable face is tried
  // at the same size first, then smaller.
  LOGFONTA smaller = font;
  SetFace(smaller, kScalableFace);
  const LONG smallest = Height(600, dpi);
  while (!Fits(dc, fitted, texts) && smaller.lfHeight <= smallest) {
    DeleteObject(fitted);
    fitted = CreateFontIndirectA(&smaller);
    ++smaller.lfHeight;  // heights are negative: one pixel less
  }
  ReleaseDC(nullptr, dc);
  return fitted;
}
