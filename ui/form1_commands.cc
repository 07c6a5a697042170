// The window's two commands: the dialog, the lists, and the command layer.
#include <QFile>
#include <QScopeGuard>
#include <QString>
#include <string>

#include "engine/commands.h"
#include "ui/dialogs.h"
#include "ui/filelist.h"
#include "ui/folderlist.h"
#include "ui/form1.h"

void Form1::cmd_Click() {
  const QString fn =
      dlg.OpenFile(this, QStringLiteral("Visual Basic Projecs (*.vbp)"),
                   QStringLiteral("vbp"));
  ConvertChosenProject(QFile::encodeName(fn).toStdString(), tables_, *this,
                       fs_);
}

void Form1::cmdButton2_Click() {
  batch_running_ = true;
  const auto ended = qScopeGuard([this] {
    batch_running_ = false;
    CatchUp();
  });
  ConvertBatchFolder(Dir1->View(), *File1, tables_, *this, fs_);
}
