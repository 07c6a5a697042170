#include "ui/filelist.h"

#include <QAbstractListModel>
#include <QByteArray>
#include <QFile>
#include <QScopeGuard>

class FileNamesModel : public QAbstractListModel {
 public:
  FileNamesModel(QObject* parent, FileSystem& fs)
      : QAbstractListModel(parent), names(fs) {}

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(names.FileCount());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || role != Qt::DisplayRole ||
        static_cast<size_t>(index.row()) >= names.FileCount()) {
      return QVariant();
    }
    return QFile::decodeName(QByteArray::fromStdString(
        names.FileName(static_cast<size_t>(index.row()))));
  }

  void SetPath(const std::string& path) {
    beginResetModel();
    const auto reset = qScopeGuard([this] { endResetModel(); });
    names.SetPath(path);
  }

  FileNames names;
};

FileList::FileList(QWidget* parent, FileSystem& fs)
    : QListView(parent), names_(new FileNamesModel(this, fs)) {
  setModel(names_);
  setUniformItemSizes(true);
}

void FileList::SetPath(const std::string& path) { names_->SetPath(path); }

const std::string& FileList::Path() const { return names_->names.Path(); }

size_t FileList::FileCount() const { return names_->names.FileCount(); }

const std::string& FileList::FileName(size_t j) const {
  return names_->names.FileName(j);
}
