#include "ui/filelist.h"

#include <QByteArray>
#include <QFile>
#include <QStringList>

FileList::FileList(QWidget* parent, FileSystem& fs)
    : QListWidget(parent), names_(fs) {
  setUniformItemSizes(true);
}

void FileList::SetPath(const std::string& path) {
  clear();
  names_.SetPath(path);
  // A batch sets the path once per project folder; the list takes the
  // names in one insertion rather than one per file.
  QStringList shown;
  shown.reserve(static_cast<qsizetype>(names_.FileCount()));
  for (size_t j = 0; j < names_.FileCount(); ++j)
    shown.append(
        QFile::decodeName(QByteArray::fromStdString(names_.FileName(j))));
  addItems(shown);
}
