#include "ui/filelist.h"

#include <QByteArray>
#include <QFile>
#include <filesystem>

#include "ui/listing.h"

FileList::FileList(QWidget* parent) : QListWidget(parent) {
  setUniformItemSizes(true);
}

void FileList::SetPath(const std::string& path) {
  clear();
  names_.clear();
  path_ = path;
  names_ = ListFolder(path, EntryKind::kFile);
  for (const std::string& name : names_)
    addItem(QFile::decodeName(QByteArray::fromStdString(name)));
}
