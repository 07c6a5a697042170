#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <utility>

#include "ui/dialogs.h"
#include "ui/filelist.h"
#include "ui/folderlist.h"
#include "ui/form1.h"
#include "ui/testkit/scripteddialogs.h"
#include "ui/testkit/testfiles.h"

// The window used from the keyboard alone, and what a screen reader learns
// of its controls. Keys go to the widget that has the focus, as typed keys
// do.
class KeyboardTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void EveryControlHasANameAndDescription();
  void KeyboardAloneOpensAFolderAndRunsTheBatch();
  void EnterOrSpacePressesTheFocusedButton();
  void EscapeCancelsAQuestionAndEnterConfirmsIt();
  void AltFOpensTheMenuAndALetterChoosesAnItem();

 private:
  void ShowActive(Form1& form);
  static void Type(Qt::Key key, Qt::KeyboardModifiers modifiers = {});

  QTemporaryDir tmp_;
  QString root_;
};

void KeyboardTest::init() {
  root_ = tmp_.path() + "/" + QTest::currentTestFunction();
  // A project without any grid control: the batch reports it and goes on.
  WriteTestFile(root_, "Work/Alpha/Alpha.vbp", "Type=Exe\r\n");
  QVERIFY(QDir::setCurrent(root_));
}

void KeyboardTest::ShowActive(Form1& form) {
  form.show();
  form.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&form));
}

void KeyboardTest::Type(Qt::Key key, Qt::KeyboardModifiers modifiers) {
  QWidget* focus = QApplication::focusWidget();
  QVERIFY(focus != nullptr);
  QTest::keyClick(focus, key, modifiers);
}

void KeyboardTest::EveryControlHasANameAndDescription() {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  const QList<QWidget*> controls = {&form,           form.lst,  form.cmd,
                                    form.cmdButton2, form.Dir1, form.File1};
  for (QWidget* w : controls) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    QVERIFY(a != nullptr);
    QVERIFY2(!a->text(QAccessible::Name).isEmpty(),
             qPrintable(w->objectName()));
    QVERIFY2(!a->text(QAccessible::Description).isEmpty(),
             qPrintable(w->objectName()));
  }

  // The headings are tied to what they head.
  const QList<std::pair<QLabel*, QObject*>> headings = {
      {form.Label5, form.lst}, {form.Label3, form.Dir1}};
  for (const auto& [label, labelled] : headings) {
    const auto relations =
        QAccessible::queryAccessibleInterface(label)->relations(
            QAccessible::Labelled);
    QCOMPARE(relations.size(), 1);
    QCOMPARE(relations[0].first->object(), labelled);
  }
}

// The batch area lies out of view: it is reached with Tab, its folder opened
// with the arrow keys and Enter, and its button pressed with Space.
void KeyboardTest::KeyboardAloneOpensAFolderAndRunsTheBatch() {
  ScriptedDialogs dlg;
  dlg.answers = {true, true};  // no convertible controls; done
  Form1 form(dlg, DefaultFileSystem());
  ShowActive(form);
  QCOMPARE(QApplication::focusWidget(), form.lst);

  Type(Qt::Key_Tab);
  Type(Qt::Key_Tab);
  QCOMPARE(QApplication::focusWidget(), form.Dir1);
  Type(Qt::Key_Down);  // from the current folder to its first subfolder
  QCOMPARE(form.Dir1->currentItem()->text(0), QString("Work"));
  QCOMPARE(form.Dir1->Path(), TestFolder(root_));
  Type(Qt::Key_Return);
  QCOMPARE(form.Dir1->Path(), TestFolder(root_, "Work"));
  QCOMPARE(form.File1->Path(), form.Dir1->Path());

  Type(Qt::Key_Tab, Qt::ShiftModifier);
  QCOMPARE(QApplication::focusWidget(), form.cmdButton2);
  Type(Qt::Key_Space);
  QCOMPARE(dlg.shown.size(), 2);
  QCOMPARE(dlg.shown[1].text, QString("Done converting 1 projects."));
  QCOMPARE(form.File1->Path(), TestFolder(root_, "Work/Alpha"));
  QVERIFY(dlg.files.isEmpty() && dlg.answers.isEmpty());
}

void KeyboardTest::EnterOrSpacePressesTheFocusedButton() {
  ScriptedDialogs dlg;
  dlg.files = {QString(), QString()};  // the user cancels, twice
  dlg.answers = {true};                // done
  Form1 form(dlg, DefaultFileSystem());
  ShowActive(form);

  for (int i = 0; i < 4; ++i) Type(Qt::Key_Tab);
  QCOMPARE(QApplication::focusWidget(), form.cmd);
  Type(Qt::Key_Return);
  QCOMPARE(dlg.filters.size(), 1);
  Type(Qt::Key_Space);
  QCOMPARE(dlg.filters.size(), 2);

  form.cmdButton2->setFocus();
  Type(Qt::Key_Enter, Qt::KeypadModifier);
  QCOMPARE(dlg.shown.size(), 1);
  QCOMPARE(dlg.shown[0].text, QString("Done converting 0 projects."));
}

// The real box, answered from the keyboard, with and without a details
// area, which stays closed until asked for. A box the key left open is
// ended as not OK, so a failure cannot leave the run waiting.
void KeyboardTest::EscapeCancelsAQuestionAndEnterConfirmsIt() {
  QtDialogs dlg;
  for (const QString& details : {QString(), QString("Orders.vbp: rewritten")}) {
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
      bool asked = false;
      QTimer::singleShot(0, [&] {
        auto end = qScopeGuard([] {
          if (auto* d =
                  qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            d->done(0);
        });
        auto* box =
            qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        asked = true;
        QCOMPARE(box->text(), QString("About to convert Orders.vbp"));
        QCOMPARE(box->detailedText(), details);
        auto* area = box->findChild<QTextEdit*>();
        QCOMPARE(area != nullptr, !details.isEmpty());
        if (area != nullptr) QVERIFY(!area->isVisible());
        QTest::keyClick(box, key);
      });
      const bool ok =
          dlg.MsgBox(nullptr, QMessageBox::Information, kAppTitle,
                     "About to convert Orders.vbp",
                     QMessageBox::Ok | QMessageBox::Cancel, details);
      QVERIFY(asked);
      QCOMPARE(ok, key == Qt::Key_Return);
    }
  }
}

// The menu opens over the window; its keys go to it as typed keys do.
// Escape closes it and leaves the bar highlighted, as a native menu does; a
// second Escape gives the focus back.
void KeyboardTest::AltFOpensTheMenuAndALetterChoosesAnItem() {
  const struct {
    Qt::Key key;
    int dialogs;  // open-file dialogs shown
    int boxes;
    bool closes;  // the window
  } cases[] = {
      {Qt::Key_Escape, 0, 0, false},
      {Qt::Key_R, 1, 0, false},  // the user cancels the dialog
      {Qt::Key_A, 0, 1, false},  // nothing to restore
      {Qt::Key_X, 0, 0, true},
  };
  for (const auto& c : cases) {
    ScriptedDialogs dlg;
    dlg.files = {QString()};
    dlg.answers = {true};
    Form1 form(dlg, DefaultFileSystem());
    ShowActive(form);
    Type(Qt::Key_F, Qt::AltModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu != nullptr);
    QCOMPARE(menu->title(), QString("&File"));
    QTest::keyClick(menu, c.key);
    QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
    QTRY_COMPARE(form.isVisible(), !c.closes);
    QCOMPARE(dlg.filters.size(), c.dialogs);
    QCOMPARE(dlg.shown.size(), c.boxes);
    if (c.key == Qt::Key_Escape) {
      Type(Qt::Key_Escape);
      QCOMPARE(QApplication::focusWidget(), form.lst);
    }
  }
}

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
