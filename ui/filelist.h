#ifndef UI_FILELIST_H_
#define UI_FILELIST_H_

#include <QListWidget>
#include <cstddef>
#include <string>

#include "engine/commands.h"
#include "engine/filesystem.h"

// The names of every regular file in one folder, whatever the extension,
// and no folders. It is filled at once when its folder is set, because the
// batch reads it right afterwards. Names and paths are file-system bytes.
class FileList : public QListWidget, public FileListing {
  Q_OBJECT

 public:
  // Files are listed through fs.
  FileList(QWidget* parent, FileSystem& fs);

  void SetPath(const std::string& path) override;
  const std::string& Path() const override { return names_.Path(); }
  size_t FileCount() const override { return names_.FileCount(); }
  const std::string& FileName(size_t j) const override {
    return names_.FileName(j);
  }

 private:
  FileNames names_;  // in the order shown
};

#endif  // UI_FILELIST_H_
