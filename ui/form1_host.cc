// The ConversionHost side of the window: the progress list, the message
// boxes and the window state, as a conversion drives them.
#include <QCoreApplication>
#include <QEvent>
#include <QListView>
#include <QMetaObject>
#include <QString>

#include "ui/dialogs.h"
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

// Painting the window, and handling the paint requests that each change of
// the list posts, after every file made a batch of small forms spend most
// of its time painting what no one could see: the lists lay out the text of
// every row in view for each paint. The progress is painted, and waiting
// events are handled, 25 times a second at most instead, which still reads
// as a list filling up; while a conversion runs the window takes no input,
// so nothing waits longer than that for its turn.
constexpr qint64 kFrameMs = 40;

}  // namespace

void Form1::ClearProgress() {
  selection_due_ = -1;
  progress_->Clear();
}

void Form1::AddProgress(const std::string& text) { progress_->Append(text); }

size_t Form1::ProgressCount() { return progress_->Count(); }

std::string Form1::ProgressItem(size_t i) { return progress_->Bytes(i); }

void Form1::SetProgressItem(size_t i, const std::string& text) {
  progress_->Set(i, text);
}

// Once an item's text has changed, selecting another makes the list lay
// all its items out again; after every file that costs a fifth of a batch's
// time. The list and its selection follow the conversion as often as it is
// painted, and catch up before the window is painted, shows a box or takes
// input again, so the user never sees them lag behind.
void Form1::SelectProgress(size_t i) {
  selection_due_ = static_cast<int>(i);
  if (since_select_.isValid() && since_select_.elapsed() < kFrameMs) return;
  CatchUp();
}

void Form1::CatchUp() {
  if (enable_due_) {
    enable_due_ = false;
    setEnabled(true);
  }
  progress_->Publish();
  if (selection_due_ < 0) return;
  const int row = selection_due_;
  selection_due_ = -1;
  const QModelIndex item = progress_->index(row);
  lst->setCurrentIndex(item);
  lst->scrollTo(item);
  since_select_.start();
}

void Form1::ShowInfo(const std::string& text, const std::string& details) {
  CatchUp();
  dlg.MsgBox(this, QMessageBox::Information, QString::fromLatin1(kAppTitle),
             MessageText(text), QMessageBox::Ok, MessageText(details));
}

bool Form1::AskOkCancel(const std::string& text, const std::string& details) {
  CatchUp();
  return dlg.MsgBox(this, QMessageBox::Information,
                    QString::fromLatin1(kAppTitle), MessageText(text),
                    QMessageBox::Ok | QMessageBox::Cancel,
                    MessageText(details));
}

void Form1::ShowDone(const std::string& text, const std::string& details) {
  CatchUp();
  dlg.MsgBox(this, QMessageBox::Information, QString::fromLatin1(kDoneTitle),
             MessageText(text), QMessageBox::Ok, MessageText(details));
}

void Form1::ShowFailure(const std::string& text, const std::string& details) {
  CatchUp();
  dlg.MsgBox(this, QMessageBox::Critical, QString::fromLatin1(kAppTitle),
             MessageText(text), QMessageBox::Ok, MessageText(details));
}

// A batch enables the window after each project and disables it for the
// next at once, with nothing painted and no input taken in between; each
// change reaches every control, and doing both cost a twentieth of the
// batch. Within a batch the window is enabled when it is next painted,
// shows a box or takes input, or when the batch ends, whichever comes first.
void Form1::SetWindowEnabled(bool yes) {
  if (!yes && enable_due_) {
    enable_due_ = false;
    return;
  }
  if (yes && batch_running_ && !isEnabled()) {
    enable_due_ = true;
    return;
  }
  setEnabled(yes);
  // Input reaches the window only through its event queue, and a batch
  // enables it after every project only to go on with the next at once: the
  // list catches up when the queue is next handled, if no paint or box came
  // first, rather than after every project.
  if (yes && (selection_due_ >= 0 || progress_->Unpublished())) {
    QMetaObject::invokeMethod(
        this, [this] { CatchUp(); }, Qt::QueuedConnection);
  }
}

void Form1::Repaint() {
  if (since_paint_.isValid() && since_paint_.elapsed() < kFrameMs) return;
  CatchUp();
  // The progress list is what a conversion changes; whatever else waits to
  // be painted goes with it, and the rest of the window is left as it is.
  lst->repaint();
  QCoreApplication::sendPostedEvents(this, QEvent::UpdateRequest);
  since_paint_.start();
}

void Form1::PumpEvents() {
  if (since_pump_.isValid() && since_pump_.elapsed() < kFrameMs) return;
  CatchUp();
  QCoreApplication::processEvents();
  since_pump_.start();
}
