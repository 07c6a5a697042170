#ifndef UI_FOLDERLIST_H_
#define UI_FOLDERLIST_H_

#include <QTreeWidget>
#include <cstddef>
#include <string>
#include <vector>

#include "engine/filesystem.h"

class QKeyEvent;

// A folder, its ancestors above it and its immediate subfolders below it.
// Opening an entry (double-click, or Enter) makes it the current folder; a
// single click only highlights it. Paths are file-system bytes.
class FolderList : public QTreeWidget {
  Q_OBJECT

 public:
  // Folders are listed through fs.
  explicit FolderList(QWidget* parent = nullptr,
                      FileSystem& fs = DefaultFileSystem());

  const std::string& Path() const { return path_; }
  // Shows path, made absolute. A folder that cannot be read shows no
  // subfolders; whoever lists its files will report why.
  void SetPath(const std::string& path);

  size_t SubfolderCount() const { return subfolders_.size(); }
  std::string Subfolder(size_t k) const;  // full path, k counts from 0

 signals:
  void Changed();  // the current folder is another one

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void drawBranches(QPainter* painter, const QRect& rect,
                    const QModelIndex& index) const override;

 private:
  void Open(QTreeWidgetItem* item);

  FileSystem& fs_;
  std::string path_;
  std::vector<std::string> subfolders_;  // names, in the order shown
};

#endif  // UI_FOLDERLIST_H_
