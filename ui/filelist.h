#ifndef UI_FILELIST_H_
#define UI_FILELIST_H_

#include <QListWidget>
#include <cstddef>
#include <string>
#include <vector>

#include "engine/filesystem.h"

// The names of every regular file in one folder, whatever the extension,
// and no folders. It is filled at once when its folder is set, because the
// batch reads it right afterwards. Names and paths are file-system bytes.
class FileList : public QListWidget {
  Q_OBJECT

 public:
  // Files are listed through fs.
  explicit FileList(QWidget* parent = nullptr,
                    FileSystem& fs = DefaultFileSystem());

  const std::string& Path() const { return path_; }
  // Lists the files of path. Throws std::filesystem::filesystem_error when
  // the folder cannot be read; the list is then empty, and Path() is path.
  void SetPath(const std::string& path);

  size_t FileCount() const { return names_.size(); }
  const std::string& FileName(size_t j) const { return names_.at(j); }

 private:
  FileSystem& fs_;
  std::string path_;
  std::vector<std::string> names_;  // in the order shown
};

#endif  // UI_FILELIST_H_
