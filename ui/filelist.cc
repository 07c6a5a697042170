#include "ui/filelist.h"

#include <QByteArray>
#include <QFile>

FileList::FileList(QWidget* parent, FileSystem& fs)
    : QListWidget(parent), names_(fs) {
  setUniformItemSizes(true);
}

void FileList::SetPath(const std::string& path) {
  clear();
  names_.SetPath(path);
  for (size_t j = 0; j < names_.FileCount(); ++j)
    addItem(QFile::decodeName(QByteArray::fromStdString(names_.FileName(j))));
}
