#include "ui/classicfont.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QRectF>
#include <QStringList>
#include <algorithm>

QFont ClassicFont(bool bold) {
  QFont font;
  // Where MS Sans Serif is missing, a face with Arial's or Helvetica's
  // widths keeps the texts inside their controls; the usual default faces
  // are wider.
  font.setFamilies({"MS Sans Serif", "Microsoft Sans Serif", "Arial",
                    "Liberation Sans", "Arimo", "Helvetica", "Nimbus Sans"});
  font.setPointSizeF(8.25);
  font.setWeight(bold ? QFont::Bold : QFont::Normal);
  font.setItalic(false);
  font.setUnderline(false);
  font.setStrikeOut(false);
  return font;
}

namespace {

bool Fits(const QFont& font, const QPaintDevice& device, const TextRoom& t) {
  // Measured on the device, so that its resolution counts.
  const QFontMetricsF fm(font, &device);
  const QRectF ink = fm.tightBoundingRect(t.text);
  const qreal width = std::max(fm.horizontalAdvance(t.text), ink.right());
  // Some faces reserve more room below the line than their letters use, so
  // what counts is where the ink ends below the first baseline.
  const qreal bottom = fm.ascent() + std::max(ink.bottom(), qreal{0});
  return width <= t.room.width() && bottom <= t.room.height();
}

}  // namespace

QFont FitFont(const QFont& font, const QPaintDevice& device,
              const std::vector<TextRoom>& texts) {
  constexpr qreal kSmallest = 6.0, kStep = 0.25;
  QFont fitted = font;
  const auto all_fit = [&] {
    return std::all_of(texts.begin(), texts.end(), [&](const TextRoom& t) {
      return Fits(fitted, device, t);
    });
  };
  while (!all_fit() && fitted.pointSizeF() - kStep >= kSmallest)
    fitted.setPointSizeF(fitted.pointSizeF() - kStep);
  return fitted;
}
