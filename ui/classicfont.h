#ifndef UI_CLASSICFONT_H_
#define UI_CLASSICFONT_H_

#include <QFont>
#include <QSizeF>
#include <QString>
#include <vector>

class QPaintDevice;

// MS Sans Serif 8.25 pt, in which the window's fixed layout was measured,
// or where that face is missing a face with the same widths.
QFont ClassicFont(bool bold);

// A text of the fixed layout and the room it has, in pixels of the device.
struct TextRoom {
  QString text;
  QSizeF room;
};

// font, or where some text would not fit on one line in its room, with its
// top as the first line's top and no part of any letter cut off, the largest
// smaller font in quarter points that fits them all. Never below 6 pt.
QFont FitFont(const QFont& font, const QPaintDevice& device,
              const std::vector<TextRoom>& texts);

#endif  // UI_CLASSICFONT_H_
