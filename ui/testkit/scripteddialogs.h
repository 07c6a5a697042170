#ifndef UI_TESTKIT_SCRIPTEDDIALOGS_H_
#define UI_TESTKIT_SCRIPTEDDIALOGS_H_

#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <functional>

#include "ui/dialogs.h"

// Answers the window's boxes and open-file dialog from queues the test
// fills, and records what was shown. A call nobody scripted fails the test
// and answers "cancel", so no run waits for a user.
class ScriptedDialogs : public Dialogs {
 public:
  struct Box {
    QMessageBox::Icon icon;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    bool window_enabled;  // the parent window's state while the box is open
    QString details;
  };

  QStringList files;    // OpenFile answers in turn; an empty one cancels
  QList<bool> answers;  // MsgBox answers in turn; true chooses OK
  std::function<void()> while_open;  // runs inside every box
  QList<Box> shown;
  QStringList filters;  // the filter and suffix of each OpenFile, joined by |

  bool MsgBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
              const QString& text, QMessageBox::StandardButtons buttons,
              const QString& details) override {
    shown.append(
        {icon, title, text, buttons, parent->window()->isEnabled(), details});
    if (while_open) while_open();
    if (answers.isEmpty()) {
      QTest::qFail(qPrintable("unscripted box: " + text), __FILE__, __LINE__);
      return false;
    }
    return answers.takeFirst();
  }

  QString OpenFile(QWidget*, const QString& filter,
                   const QString& default_suffix) override {
    filters.append(filter + '|' + default_suffix);
    if (files.isEmpty()) {
      QTest::qFail("unscripted open-file dialog", __FILE__, __LINE__);
      return QString();
    }
    return files.takeFirst();
  }
};

#endif  // UI_TESTKIT_SCRIPTEDDIALOGS_H_
