#ifndef WIN32_CLASSICFONT_H_
#define WIN32_CLASSICFONT_H_

#include <windows.h>

#include <string>
#include <vector>

// MS Sans Serif 8.25 pt, in which the window's fixed layout was measured.
// It is a bitmap face drawn for 96 DPI and does not scale; on any other
// screen its TrueType successor stands in at the same point size.
LOGFONTA ClassicFont(bool bold, int dpi);

// A text of the fixed layout and the room it has, in pixels.
struct TextRoom {
  std::string text;
  SIZE room;
};

// font, or where some text would not fit on one line in its room, the
// largest smaller size of the scalable face that fits them all, never below
// 6 pt. The caller owns the font returned.
HFONT FitFont(const LOGFONTA& font, int dpi,
              const std::vector<TextRoom>& texts);

#endif  // WIN32_CLASSICFONT_H_
