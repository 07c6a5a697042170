// The window's two commands, and how they report a failed conversion.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <string>

#include "engine/files.h"
#include "engine/projectconvert.h"
#include "engine/text.h"
#include "ui/dialogs.h"
#include "ui/filelist.h"
#include "ui/folderlist.h"
#include "ui/form1.h"

namespace fs = std::filesystem;

namespace {

bool IsProjectFile(const std::string& f) {
  return f.size() >= 4 && EqualsIgnoreCase(f.substr(f.size() - 4), ".vbp");
}

}  // namespace

void Form1::cmd_Click() {
  const QString fn =
      dlg.OpenFile(this, QStringLiteral("Visual Basic Projecs (*.vbp)"),
                   QStringLiteral("vbp"));
  if (fn.isEmpty()) return;
  try {
    const std::string pth = QFile::encodeName(fn).toStdString();
    // A conversion runs in its project's folder.
    const std::string folder = fs::path(pth).parent_path().string();
    if (!folder.empty()) {
      if (int err = fs_.ChangeDir(folder)) ThrowFileError("chdir", folder, err);
    }
    ConvertProject(pth, true, tables_, *this, fs_);
  } catch (const fs::filesystem_error& e) {
    ReportFailure(e);
  }
}

void Form1::cmdButton2_Click() {
  try {
    uint64_t counter = 0;
    // A form shared by two projects of the batch is converted once.
    WrittenFiles written;
    const size_t n = Dir1->SubfolderCount();
    for (size_t k = 0; k < n; ++k) {
      File1->SetPath(Dir1->Subfolder(k));
      const size_t m = File1->FileCount();
      for (size_t j = 0; j < m; ++j) {
        const std::string f = File1->FileName(j);
        if (!IsProjectFile(f)) continue;
        const std::string pth = (fs::path(File1->Path()) / f).string();
        if (int err = fs_.ChangeDir(File1->Path()))
          ThrowFileError("chdir", File1->Path(), err);
        ConvertProject(pth, false, tables_, *this, fs_, &written);
        ++counter;
      }
    }
    dlg.MsgBox(this, QMessageBox::Information, QStringLiteral("Done"),
               QStringLiteral("Done converting %1 projects.").arg(counter),
               QMessageBox::Ok);
  } catch (const fs::filesystem_error& e) {
    ReportFailure(e);
  }
}

// The conversion has stopped at the failing file. The window is usable
// again, and the user learns the system's error number and text and the
// path it concerns.
void Form1::ReportFailure(const fs::filesystem_error& e) {
  setEnabled(true);
  const std::string message = e.code().message();
  QString text =
      QStringLiteral("Error %1: %2")
          .arg(e.code().value())
          .arg(QString::fromLocal8Bit(message.data(),
                                      static_cast<qsizetype>(message.size())));
  if (!e.path1().empty())
    text += QLatin1Char('\n') +
            QFile::decodeName(QByteArray::fromStdString(e.path1().string()));
  dlg.MsgBox(this, QMessageBox::Critical, QString::fromLatin1(kAppTitle), text,
             QMessageBox::Ok);
}
