#include "ui/folderlist.h"

#include <QByteArray>
#include <QFile>
#include <QKeyEvent>
#include <QStyle>
#include <filesystem>
#include <utility>

#include "ui/listing.h"

namespace {

constexpr int kPathRole = Qt::UserRole;

QTreeWidgetItem* AddEntry(QTreeWidgetItem* parent, const std::string& name,
                          const std::filesystem::path& full,
                          const QIcon& icon) {
  auto* item = new QTreeWidgetItem(parent);
  item->setText(0, QFile::decodeName(QByteArray::fromStdString(name)));
  item->setIcon(0, icon);
  item->setData(0, kPathRole, QByteArray::fromStdString(full.string()));
  return item;
}

}  // namespace

FolderList::FolderList(QWidget* parent, FileSystem& fs)
    : QTreeWidget(parent), fs_(fs) {
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setExpandsOnDoubleClick(false);
  setUniformRowHeights(true);
  setIndentation(8);
  connect(this, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { Open(item); });
}

void FolderList::SetPath(const std::string& path) {
  namespace fs = std::filesystem;
  fs::path full = fs::absolute(path).lexically_normal();
  if (full.has_relative_path() && !full.has_filename())
    full = full.parent_path();  // "/a/b/" names the folder "/a/b"
  if (full.string() == path_) return;

  std::vector<std::string> names;
  try {
    names = ListFolder(fs_, full.string(), EntryKind::kFolder);
  } catch (const fs::filesystem_error&) {
    names.clear();
  }

  clear();
  const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
  QTreeWidgetItem* item = AddEntry(
      invisibleRootItem(), full.root_path().string(), full.root_path(), open);
  fs::path walked = full.root_path();
  for (const fs::path& part : full.relative_path()) {
    walked /= part;
    item = AddEntry(item, part.string(), walked, open);
  }
  const QIcon closed = style()->standardIcon(QStyle::SP_DirIcon);
  for (const std::string& name : names)
    AddEntry(item, name, full / name, closed);
  expandAll();
  setCurrentItem(item);
  scrollToItem(item);

  path_ = full.string();
  subfolders_ = std::move(names);
  emit Changed();
}

std::string FolderList::Subfolder(size_t k) const {
  return (std::filesystem::path(path_) / subfolders_.at(k)).string();
}

void FolderList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    Open(currentItem());
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

// Every entry stays expanded; an arrow would offer to fold it.
void FolderList::drawBranches(QPainter*, const QRect&,
                              const QModelIndex&) const {}

void FolderList::Open(QTreeWidgetItem* item) {
  if (item == nullptr) return;
  SetPath(item->data(0, kPathRole).toByteArray().toStdString());
}
