// The window as its commands drive it: the progress list, the message
// boxes, the dialog, the lists and the window state, each done at once.
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QListView>
#include <QString>

#include "ui/dialogs.h"
#include "ui/filelist.h"
#include "ui/folderlist.h"
#include "ui/form1.h"
#include "ui/progressmodel.h"

namespace {

// Messages quote a project's file name, which is in the file system's
// encoding. Lines in them end in CR LF; a box breaks lines at LF.
QString MessageText(const std::string& text) {
  return QString::fromLocal8Bit(text.data(),
                                static_cast<qsizetype>(text.size()))
      .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString Latin1(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void Form1::ClearProgress() { progress_->Clear(); }

void Form1::AddProgress(const std::string& text) { progress_->Append(text); }

size_t Form1::ProgressCount() { return progress_->Count(); }

std::string Form1::ProgressItem(size_t i) { return progress_->Bytes(i); }

void Form1::SetProgressItem(size_t i, const std::string& text) {
  progress_->Set(i, text);
}

void Form1::SelectProgress(size_t i) {
  progress_->Publish();
  const QModelIndex item = progress_->index(static_cast<int>(i));
  lst->setCurrentIndex(item);
  lst->scrollTo(item);
}

bool Form1::ShowBox(const BoxDescription& box) {
  progress_->Publish();
  return dlg.MsgBox(
      this,
      box.icon == BoxIcon::kCritical ? QMessageBox::Critical
                                     : QMessageBox::Information,
      Latin1(box.title), MessageText(box.text),
      box.cancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
      MessageText(box.details));
}

FileChoice Form1::OpenFile(const FileDialogDescription& dialog) {
  const QString fn = dlg.OpenFile(this, Latin1(dialog.filter),
                                  Latin1(dialog.default_extension));
  return {QFile::encodeName(fn).toStdString(), std::string()};
}

const FolderView& Form1::Folder() { return Dir1->View(); }

FileListing& Form1::Files() { return *File1; }

void Form1::SetWindowEnabled(bool yes) { setEnabled(yes); }

// The progress list is what a command changes; whatever else waits to be
// painted goes with it, and the rest of the window is left as it is.
void Form1::Repaint() {
  progress_->Publish();
  lst->repaint();
  QCoreApplication::sendPostedEvents(this, QEvent::UpdateRequest);
}

void Form1::PumpEvents() { QCoreApplication::processEvents(); }

void Form1::Close() { close(); }
