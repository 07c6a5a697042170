#include "ui/folderlist.h"

#include <QByteArray>
#include <QFile>
#include <QKeyEvent>
#include <QStyle>
#include <utility>

#include "engine/paths.h"

namespace {

constexpr int kPathRole = Qt::UserRole;

QTreeWidgetItem* AddEntry(QTreeWidgetItem* parent, const std::string& name,
                          const std::string& full, const QIcon& icon) {
  auto* item = new QTreeWidgetItem(parent);
  item->setText(0, QFile::decodeName(QByteArray::fromStdString(name)));
  item->setIcon(0, icon);
  item->setData(0, kPathRole, QByteArray::fromStdString(full));
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
  FolderView view = OpenFolder(fs_, path);
  if (!view_.path.empty() && view.path == view_.path) return;

  clear();
  const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
  QTreeWidgetItem* item = invisibleRootItem();
  for (const std::string& folder : view.chain)
    item = AddEntry(item, FolderEntryName(folder), folder, open);
  const QIcon closed = style()->standardIcon(QStyle::SP_DirIcon);
  for (size_t k = 0; k < view.subfolders.size(); ++k)
    AddEntry(item, view.subfolders[k], view.Subfolder(k), closed);
  expandAll();
  setCurrentItem(item);
  scrollToItem(item);

  view_ = std::move(view);
  emit Changed();
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
