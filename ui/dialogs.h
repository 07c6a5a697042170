#ifndef UI_DIALOGS_H_
#define UI_DIALOGS_H_

#include <QMessageBox>
#include <QString>

class QWidget;

// Every modal box and the open-file dialog, so tests can answer them.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // True when the user chose OK; closing the box any other way is not OK.
  // Details, unless empty, go in an area of the box that is closed at first.
  virtual bool MsgBox(QWidget* parent, QMessageBox::Icon icon,
                      const QString& title, const QString& text,
                      QMessageBox::StandardButtons buttons,
                      const QString& details) = 0;
  // Lets the user pick one existing file. filter is one "Text (*.ext)"
  // entry; default_suffix is added to a typed name without one. Empty:
  // cancelled.
  virtual QString OpenFile(QWidget* parent, const QString& filter,
                           const QString& default_suffix) = 0;
};

// What users get: a QMessageBox and a QFileDialog.
class QtDialogs : public Dialogs {
 public:
  bool MsgBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
              const QString& text, QMessageBox::StandardButtons buttons,
              const QString& details) override;
  QString OpenFile(QWidget* parent, const QString& filter,
                   const QString& default_suffix) override;
};

#endif  // UI_DIALOGS_H_
