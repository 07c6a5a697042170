#ifndef UI_FILELIST_H_
#define UI_FILELIST_H_

#include <QListView>
#include <cstddef>
#include <string>

#include "engine/commands.h"
#include "engine/filesystem.h"

class FileNamesModel;

// The names of every regular file in one folder, whatever the extension,
// and no folders. It is filled at once when its folder is set, because the
// batch reads it right afterwards; only the names in sight are decoded for
// showing, which a batch does once per project folder. Names and paths are
// file-system bytes.
class FileList : public QListView, public FileListing {
  Q_OBJECT

 public:
  // Files are listed through fs.
  FileList(QWidget* parent, FileSystem& fs);

  void SetPath(const std::string& path) override;
  const std::string& Path() const override;
  size_t FileCount() const override;
  const std::string& FileName(size_t j) const override;

 private:
  FileNamesModel* names_;  // in the order shown
};

#endif  // UI_FILELIST_H_
