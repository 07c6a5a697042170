#ifndef UI_FOLDERLIST_H_
#define UI_FOLDERLIST_H_

#include <QTreeWidget>
#include <cstddef>
#include <string>

#include "engine/commands.h"
#include "engine/filesystem.h"

class QKeyEvent;

// A folder, its ancestors above it and its immediate subfolders below it.
// Opening an entry (double-click, or Enter) makes it the current folder; a
// single click only highlights it. Paths are file-system bytes.
class FolderList : public QTreeWidget {
  Q_OBJECT

 public:
  // Folders are listed through fs.
  FolderList(QWidget* parent, FileSystem& fs);

  // What the list shows, as the batch takes it.
  const FolderView& View() const { return view_; }
  const std::string& Path() const { return view_.path; }
  // Shows path, made absolute against the current directory. A folder that
  // cannot be read shows no subfolders and keeps the reason in View().
  // Throws std::filesystem::filesystem_error when the current directory
  // cannot be had.
  void SetPath(const std::string& path);

  size_t SubfolderCount() const { return view_.subfolders.size(); }
  std::string Subfolder(size_t k) const { return view_.Subfolder(k); }

 signals:
  void Changed();  // the current folder is another one

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void drawBranches(QPainter* painter, const QRect& rect,
                    const QModelIndex& index) const override;

 private:
  void Open(QTreeWidgetItem* item);

  FileSystem& fs_;
  FolderView view_;
};

#endif  // UI_FOLDERLIST_H_
