#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

#include "ui/folderlist.h"
#include "ui/form1.h"
#include "ui/testkit/scripteddialogs.h"

// Every text of the fixed layout is shown whole, in whatever face the
// machine gives: the build runs this with the machine's fonts, with DejaVu
// Sans alone (wider than the face the layout was measured in), and at twice
// the pixel density.
class LayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void LabelTextsAreWhole();
  void ButtonTextsAreWhole();
  void KeepsTheClassicSizeWhereTheFaceFits();
};

namespace {

// Pixels of text: the labels draw dark text on a light window.
int Ink(QWidget& w) {
  const QImage image = w.grab().toImage();
  int ink = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(image.pixel(x, y)) > 0 && qGray(image.pixel(x, y)) < 128)
        ++ink;
  return ink;
}

}  // namespace

void LayoutTest::LabelTextsAreWhole() {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  form.resize(form.width(), form.Dir1->geometry().bottom() + 20);
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  qInfo() << "default face:" << QFontInfo(form.font()).family()
          << form.font().pointSizeF() << "pt";
  for (QLabel* label : {form.Label1, form.Label5, form.Label4, form.Label3}) {
    // The same label with room to spare below: lines that wrap out of the
    // real one show up in its twin.
    QLabel twin(label->text());
    twin.setFont(label->font());
    twin.setAlignment(label->alignment());
    twin.setWordWrap(label->wordWrap());
    twin.resize(label->width(), 4 * label->height());
    const QRect used =
        QFontMetrics(label->font())
            .boundingRect(QRect(0, 0, label->width(), 1000),
                          int(label->alignment()) | Qt::TextWordWrap,
                          label->text());
    QVERIFY2(used.width() <= label->width(), qPrintable(label->text()));
    QVERIFY(Ink(twin) > 0);
    QVERIFY2(Ink(*label) == Ink(twin), qPrintable(label->text()));
  }
}

void LayoutTest::ButtonTextsAreWhole() {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  for (QPushButton* button : {form.cmd, form.cmdButton2}) {
    QStyleOptionButton option;
    option.initFrom(button);
    const QRect inside = button->style()->subElementRect(
        QStyle::SE_PushButtonContents, &option, button);
    const QFontMetrics fm(button->font());
    QVERIFY2(fm.horizontalAdvance(button->text()) <= inside.width(),
             qPrintable(button->text()));
    QVERIFY2(fm.height() <= inside.height(), qPrintable(button->text()));
  }
}

// The design's widths are Arial's. Where a face with them exists, the
// window keeps the size the layout was measured in.
void LayoutTest::KeepsTheClassicSizeWhereTheFaceFits() {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  const QString face = QFontInfo(form.font()).family();
  if (!QStringList({"Arial", "Liberation Sans", "Arimo"}).contains(face))
    QSKIP(qPrintable("no face with Arial's widths, only " + face));
  QCOMPARE(form.font().pointSizeF(), 8.25);
  QCOMPARE(form.Label3->font().pointSizeF(), 8.25);
}

QTEST_MAIN(LayoutTest)
#include "layout_test.moc"
