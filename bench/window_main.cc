// Runs the window's batch command over a tree as a user would: the window
// shown, the folder opened in Dir1, the batch button clicked; the progress
// list, the repaint and the event processing after every file are the
// window's own. Run it with QT_QPA_PLATFORM=offscreen to need no display.
#include <QApplication>
#include <QEvent>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QString>
#include <cstdio>
#include <string>

#include "engine/filesystem.h"
#include "ui/dialogs.h"
#include "ui/folderlist.h"
#include "ui/form1.h"

namespace {

// Answers OK to every box and counts them; the batch ends with one box that
// gives the number of projects, and shows no other when all goes well.
class CountingDialogs : public Dialogs {
 public:
  bool MsgBox(QWidget*, QMessageBox::Icon, const QString&, const QString& text,
              QMessageBox::StandardButtons, const QString&) override {
    texts.append(text);
    return true;
  }
  QString OpenFile(QWidget*, const QString&, const QString&) override {
    return QString();
  }

  QStringList texts;
};

// Counts the paints of the progress list, to tell how often a batch paints.
class PaintCounter : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  long paints = 0;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s ROOT\n", argv[0]);
    return 2;
  }
  CountingDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  form.show();
  QApplication::processEvents();
  form.Dir1->SetPath(argv[1]);
  QApplication::processEvents();
  PaintCounter counter;
  form.lst->viewport()->installEventFilter(&counter);
  form.cmdButton2->click();

  const QRegularExpression done(QStringLiteral("^Done converting (\\d+) "));
  const QRegularExpressionMatch match = dlg.texts.isEmpty()
                                            ? QRegularExpressionMatch()
                                            : done.match(dlg.texts.last());
  for (const QString& text : dlg.texts) {
    if (!done.match(text).hasMatch()) {
      std::fprintf(stderr, "%s\n", qPrintable(text));
    }
  }
  if (!match.hasMatch()) {
    std::fprintf(stderr, "%s: the batch did not finish\n", argv[0]);
    return 1;
  }
  const qsizetype messages = dlg.texts.size() - 1;
  std::printf("projects=%s messages=%lld paints=%ld\n",
              qPrintable(match.captured(1)), static_cast<long long>(messages),
              counter.paints);
  return messages == 0 ? 0 : 1;
}
