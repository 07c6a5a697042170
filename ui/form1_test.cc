#include "ui/form1.h"

#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <string>
#include <vector>

#include "engine/form1description.h"
#include "ui/filelist.h"
#include "ui/folderlist.h"
#include "ui/testkit/scripteddialogs.h"
#include "ui/testkit/testfiles.h"
#include "ui/twips.h"

class Form1Test : public QObject {
  Q_OBJECT

 private slots:
  void StartsEmptyAndListsTheCurrentDirectory();
  void BuildsTheControlsOfTheDescription();
  void BuildsTheMenuOfTheDescription();
  void OpensWithBatchAreaOutOfView();
  void TabVisitsControlsInTabIndexOrder();
  void ProgressListKeepsOrderAndBytes();
  void SelectingAnItemScrollsItIntoView();
  void RepaintPaintsTheProgressAtOnce();
  void BoxesShowWhatTheyAreGiven();
  void OpenFileDialogOffersProjectsInAnyCase();

 private:
  QTemporaryDir tmp_;
};

void Form1Test::StartsEmptyAndListsTheCurrentDirectory() {
  WriteTestFile(tmp_.path(), "Start/notes.txt", "x");
  QVERIFY(QDir::setCurrent(tmp_.path() + "/Start"));
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  QCOMPARE(form.lst->model()->rowCount(), 0);
  QCOMPARE(form.Dir1->Path(), TestFolder(tmp_.path(), "Start"));
  QCOMPARE(form.File1->Path(), form.Dir1->Path());
  QCOMPARE(form.File1->FileCount(), size_t{1});
  QVERIFY(dlg.shown.isEmpty());
}

void Form1Test::BuildsTheControlsOfTheDescription() {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  const TwipScale tw(form);
  const auto* window = QAccessible::queryAccessibleInterface(&form);
  QCOMPARE(window->text(QAccessible::Name),
           QString::fromStdString(Form1Description().caption));
  QCOMPARE(window->text(QAccessible::Description),
           QString::fromStdString(Form1Description().description));
  const QObjectList made = form.content()->children();
  const auto& controls = Form1Description().controls;
  QCOMPARE(made.size(), qsizetype(controls.size()));
  for (size_t i = 0; i < controls.size(); ++i) {
    const ControlDescription& c = controls[i];
    // Form_Load gives Label1 its text.
    const QString text = QString::fromStdString(
        c.name == "Label1" ? Form1Description().description : c.text);
    const QString name = QString::fromStdString(c.name);
    auto* w = qobject_cast<QWidget*>(made[qsizetype(i)]);
    QVERIFY2(w != nullptr && w->objectName() == name, qPrintable(name));
    const TwipRect& r = c.twips;
    if (c.kind == ControlKind::kLine) {
      QCOMPARE(w->geometry().center().y() + 1, tw.Y(r.top));
      QCOMPARE(w->x(), tw.X(r.left));
      QCOMPARE(w->geometry().right() + 1, tw.X(r.left + r.width));
    } else {
      QCOMPARE(w->geometry(), tw.Rect(r.left, r.top, r.width, r.height));
    }
    if (auto* label = qobject_cast<QLabel*>(w)) QCOMPARE(label->text(), text);
    if (auto* button = qobject_cast<QPushButton*>(w))
      QCOMPARE(button->text(), text);
    if (!c.font.IsDefault()) {
      QCOMPARE(w->font().family(), QString::fromStdString(c.font.face));
      QCOMPARE(w->font().pointSizeF(), c.font.points);
      QCOMPARE(w->font().bold(), c.font.bold);
      QVERIFY(!w->font().italic() && !w->font().underline());
    } else {
      QCOMPARE(w->font(), form.font());
    }
    const auto* a = QAccessible::queryAccessibleInterface(w);
    QCOMPARE(a->text(QAccessible::Name),
             c.accessible_name.empty()
                 ? text
                 : QString::fromStdString(c.accessible_name));
    if (!c.accessible_description.empty()) {
      QCOMPARE(a->text(QAccessible::Description),
               QString::fromStdString(c.accessible_description));
    }
  }
}

// What a screen reader says of each menu and item is its text without the
// ampersand; the ampersand is Qt's mark of the item's letter too.
void Form1Test::BuildsTheMenuOfTheDescription() {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  QMenuBar& bar = *form.menu_bar();
  QVERIFY(!bar.isNativeMenuBar());
  const auto& menus = Form1Description().menus;
  QCOMPARE(bar.actions().size(), qsizetype(menus.size()));
  const auto* bar_a = QAccessible::queryAccessibleInterface(&bar);
  for (size_t m = 0; m < menus.size(); ++m) {
    QAction* title = bar.actions()[qsizetype(m)];
    QCOMPARE(title->text(), QString::fromStdString(menus[m].title));
    QCOMPARE(bar_a->child(int(m))->text(QAccessible::Name),
             QString::fromStdString(menus[m].accessible_name));
    QMenu& menu = *title->menu();
    const auto& items = menus[m].items;
    QCOMPARE(menu.actions().size(), qsizetype(items.size()));
    const auto* menu_a = QAccessible::queryAccessibleInterface(&menu);
    for (size_t i = 0; i < items.size(); ++i) {
      const QAction& action = *menu.actions()[qsizetype(i)];
      QCOMPARE(action.isSeparator(), items[i].IsSeparator());
      if (items[i].IsSeparator()) continue;
      QCOMPARE(action.text(), QString::fromStdString(items[i].text));
      QCOMPARE(menu_a->child(int(i))->text(QAccessible::Name),
               QString::fromStdString(items[i].accessible_name));
    }
  }
}

// The menu bar lies above the content area, which keeps its size and every
// control its place in it: the window grows by the bar alone.
void Form1Test::OpensWithBatchAreaOutOfView() {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  const TwipScale tw(form);
  const QWidget& bar = *form.menu_bar();
  QVERIFY(bar.isVisible() && bar.height() > 0);
  QCOMPARE(bar.geometry(), QRect(0, 0, form.width(), bar.height()));
  QCOMPARE(form.size(), QSize(tw.X(6405), tw.Y(4170) + bar.height()));
  const QWidget& content = *form.content();
  QCOMPARE(content.geometry(), QRect(0, bar.height(), tw.X(6405), tw.Y(4170)));
  QVERIFY(form.Label2->geometry().bottom() < content.height());
  const QList<QWidget*> batch_area = {form.Line1,  form.Label4, form.cmdButton2,
                                      form.Label3, form.Dir1,   form.File1};
  for (const QWidget* w : batch_area) {
    QVERIFY2(w->y() >= content.height(), qPrintable(w->objectName()));
    QVERIFY(w->isVisible() && w->isEnabled());
  }
}

void Form1Test::TabVisitsControlsInTabIndexOrder() {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  form.show();
  form.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&form));
  QCOMPARE(QApplication::focusWidget(), form.lst);
  std::vector<const ControlDescription*> order;
  for (const ControlDescription& c : Form1Description().controls)
    if (TakesFocus(c.kind)) order.push_back(&c);
  std::sort(order.begin(), order.end(),
            [](auto* a, auto* b) { return a->tab_index < b->tab_index; });
  QCOMPARE(QApplication::focusWidget()->objectName(),
           QString::fromStdString(order[0]->name));
  for (size_t i = 1; i <= order.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    const std::string& next = order[i % order.size()]->name;
    QCOMPARE(QApplication::focusWidget()->objectName(),
             QString::fromStdString(next));
  }
}

void Form1Test::ProgressListKeepsOrderAndBytes() {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  // A Windows-1252 e acute and a Shift-JIS pair whose second byte is '\'.
  const std::string odd("Forms\\\xE9t\xE9\x83\x5C.frm", 15);
  // Shown in the user's encoding, which here is UTF-8.
  const std::string cafe = "Caf\xC3\xA9.vbp... OK";
  form.AddProgress(cafe);
  form.AddProgress("A.frm");
  form.AddProgress(odd);
  form.SetProgressItem(1, "A.frm... OK");
  QCOMPARE(form.ProgressCount(), size_t{3});
  QCOMPARE(form.ProgressItem(0), cafe);
  QCOMPARE(form.ProgressItem(1), std::string("A.frm... OK"));
  QCOMPARE(form.ProgressItem(2), odd);

  form.SelectProgress(2);
  const QAbstractItemModel& shown = *form.lst->model();
  QCOMPARE(shown.rowCount(), 3);
  QCOMPARE(shown.index(0, 0).data().toString(),
           QString::fromUtf8("Caf\u00e9.vbp... OK"));
  QCOMPARE(shown.index(1, 0).data().toString(), QString("A.frm... OK"));
  QCOMPARE(form.lst->currentIndex().row(), 2);
  QVERIFY(form.lst->selectionModel()->isRowSelected(2));
  form.ClearProgress();
  QCOMPARE(form.ProgressCount(), size_t{0});
}

void Form1Test::SelectingAnItemScrollsItIntoView() {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  for (int i = 0; i < 40; ++i) form.AddProgress(std::to_string(i) + ".frm");
  form.SelectProgress(39);
  QCOMPARE(form.lst->currentIndex().row(), 39);
  QVERIFY(form.lst->viewport()->rect().contains(
      form.lst->visualRect(form.lst->model()->index(39, 0))));
}

namespace {

class PaintCounter : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  int paints = 0;
};

}  // namespace

// A conversion holds the event loop while it fills the list, so what it
// adds must be painted within Repaint itself.
void Form1Test::RepaintPaintsTheProgressAtOnce() {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  QCoreApplication::processEvents();
  PaintCounter counter;
  form.lst->viewport()->installEventFilter(&counter);
  form.AddProgress("Orders.vbp");
  form.Repaint();
  QCOMPARE(counter.paints, 1);
}

// Each kind of box the commands show, with the window's icon and buttons;
// texts keep their bytes but for CR LF, at which the box does not break.
void Form1Test::BoxesShowWhatTheyAreGiven() {
  const struct {
    BoxIcon icon;
    bool cancel;
    QMessageBox::Icon shown_icon;
    QMessageBox::StandardButtons buttons;
  } cases[] = {
      {BoxIcon::kInformation, false, QMessageBox::Information, QMessageBox::Ok},
      {BoxIcon::kInformation, true, QMessageBox::Information,
       QMessageBox::Ok | QMessageBox::Cancel},
      {BoxIcon::kCritical, false, QMessageBox::Critical, QMessageBox::Ok},
  };
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  for (const auto& c : cases) {
    dlg.answers = {c.cancel};
    QCOMPARE(
        form.ShowBox({c.icon, c.cancel, "Done", "a\r\n\r\nCaf\xC3\xA9", "d\n"}),
        c.cancel);
    const ScriptedDialogs::Box& box = dlg.shown.last();
    QCOMPARE(box.icon, c.shown_icon);
    QCOMPARE(box.buttons, c.buttons);
    QCOMPARE(box.title, QString("Done"));
    QCOMPARE(box.text, QString::fromUtf8("a\n\nCaf\u00e9"));
    QCOMPARE(box.details, QString("d\n"));
  }
}

// The one test of the real dialog. Whatever happens inside, the timer
// closes it, so a failure cannot leave the run waiting.
void Form1Test::OpenFileDialogOffersProjectsInAnyCase() {
  const QString dir = tmp_.path() + "/Pick";
  for (const char* name : {"Pick/DEMO.VBP", "Pick/demo.vbp.bak",
                           "Pick/notes.txt", "Pick/small.vbp"})
    WriteTestFile(tmp_.path(), name, "Type=Exe\r\n");
  QVERIFY(QDir::setCurrent(dir));

  QStringList offered;
  QString filter;
  QTimer::singleShot(0, [&] {
    auto* fd = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    auto close = qScopeGuard([] {
      if (QWidget* w = QApplication::activeModalWidget()) w->close();
    });
    QVERIFY(fd != nullptr);
    filter = fd->selectedNameFilter();
    auto* model = fd->findChild<QFileSystemModel*>();
    QVERIFY(model != nullptr);
    const QModelIndex folder = model->index(dir);
    QTRY_COMPARE(model->rowCount(folder), 2);
    for (int i = 0; i < 2; ++i)
      offered << model->index(i, 0, folder).data().toString();
    auto* name = fd->findChild<QLineEdit*>("fileNameEdit");
    QVERIFY(name != nullptr);
    name->setText("DEMO.VBP");
    QTest::keyClick(name, Qt::Key_Return);
    close.dismiss();
  });
  QtDialogs dlg;
  const QString fn =
      dlg.OpenFile(nullptr, "Visual Basic Projecs (*.vbp)", "vbp");

  QCOMPARE(filter, QString("Visual Basic Projecs (*.vbp)"));
  offered.sort(Qt::CaseInsensitive);
  QCOMPARE(offered, QStringList({"DEMO.VBP", "small.vbp"}));
  QCOMPARE(QFileInfo(fn).canonicalFilePath(),
           QString::fromStdString(TestFolder(tmp_.path(), "Pick/DEMO.VBP")));
}

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
