#include "ui/filelist.h"

#include <QByteArray>
#include <QFile>

#include "ui/listing.h"

FileList::FileList(QWidget* parent, FileSystem& fs)
    : QListWidget(parent), fs_(fs) {
  setUniformItemSizes(true);
}

void FileList::SetPath(const std::string& path) {
  clear();
  names_.clear();
  path_ = path;
  names_ = ListFolder(fs_, path, EntryKind::kFile);
  for (const std::string& name : names_)
    addItem(QFile::decodeName(QByteArray::fromStdString(name)));
}
