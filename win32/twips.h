#ifndef WIN32_TWIPS_H_
#define WIN32_TWIPS_H_

#include <windows.h>

// The window is laid out in twips, 1440 to the inch. Converting with the
// screen's logical DPI keeps its proportions on dense screens (15 twips are
// one pixel at 96 DPI).
struct TwipScale {
  int dpi_x = 96;
  int dpi_y = 96;

  static TwipScale OfScreen() {
    const HDC dc = GetDC(nullptr);
    const TwipScale scale{GetDeviceCaps(dc, LOGPIXELSX),
                          GetDeviceCaps(dc, LOGPIXELSY)};
    ReleaseDC(nullptr, dc);
    return scale;
  }

  int X(int twips) const { return MulDiv(twips, dpi_x, 1440); }
  int Y(int twips) const { return MulDiv(twips, dpi_y, 1440); }
  // Edges are rounded, not sizes, so neighbouring controls stay aligned.
  RECT Rect(int left, int top, int width, int height) const {
    return {X(left), Y(top), X(left + width), Y(top + height)};
  }
};

#endif  // WIN32_TWIPS_H_
