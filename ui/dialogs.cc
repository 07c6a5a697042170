#include "ui/dialogs.h"

#include <QFileDialog>
#include <QStringList>

bool QtDialogs::MsgBox(QWidget* parent, QMessageBox::Icon icon,
                       const QString& title, const QString& text,
                       QMessageBox::StandardButtons buttons,
                       const QString& details) {
  QMessageBox box(icon, title, text, buttons, parent);
  // The box adds its "Show Details..." button, and keeps Escape on the one
  // other button when OK is alone.
  if (!details.isEmpty()) box.setDetailedText(details);
  // Enter chooses OK; Escape, like closing the box, never does.
  if (buttons & QMessageBox::Ok) box.setDefaultButton(QMessageBox::Ok);
  if (buttons & QMessageBox::Cancel) box.setEscapeButton(QMessageBox::Cancel);
  return box.exec() == QMessageBox::Ok;
}

QString QtDialogs::OpenFile(QWidget* parent, const QString& filter,
                            const QString& default_suffix) {
  QFileDialog fd(parent);
  fd.setAcceptMode(QFileDialog::AcceptOpen);
  fd.setFileMode(QFileDialog::ExistingFile);
  fd.setNameFilter(filter);
  fd.setDefaultSuffix(default_suffix);
  // Projects made on Windows are often named DEMO.VBP. Qt's own dialog
  // matches the filter with letter case ignored; a desktop's native dialog
  // may not, and would hide them.
  fd.setOption(QFileDialog::DontUseNativeDialog);
  if (fd.exec() != QDialog::Accepted) return QString();
  const QStringList files = fd.selectedFiles();
  return files.isEmpty() ? QString() : files.first();
}
