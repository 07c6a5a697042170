#ifndef UI_TWIPS_H_
#define UI_TWIPS_H_

#include <QRect>
#include <QWidget>

// The window is laid out in twips, 1440 to the inch. Converting with the
// screen's logical DPI keeps its proportions on dense screens (15 twips are
// one pixel at 96 DPI).
class TwipScale {
 public:
  explicit TwipScale(const QWidget& w)
      : x_(w.logicalDpiX() / 1440.0), y_(w.logicalDpiY() / 1440.0) {}

  int X(int twips) const { return qRound(twips * x_); }
  int Y(int twips) const { return qRound(twips * y_); }

  // Edges are rounded, not sizes, so neighbouring controls stay aligned.
  QRect Rect(int left, int top, int width, int height) const {
    const int l = X(left), t = Y(top);
    return QRect(l, t, X(left + width) - l, Y(top + height) - t);
  }

 private:
  double x_;
  double y_;
};

#endif  // UI_TWIPS_H_
