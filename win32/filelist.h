#ifndef WIN32_FILELIST_H_
#define WIN32_FILELIST_H_

#include <windows.h>

#include <cstddef>
#include <string>

#include "engine/commands.h"
#include "engine/filesystem.h"

// The names of every regular file in one folder, whatever the extension,
// and no folders, in a list box. It is filled at once when its folder is
// set, because the batch reads it right afterwards. Names and paths are
// file-system bytes, shown in the system's ANSI code page.
class FileList : public FileListing {
 public:
  explicit FileList(FileSystem& fs) : names_(fs) {}
  FileList(const FileList&) = delete;
  FileList& operator=(const FileList&) = delete;

  HWND Create(HWND parent, int id, const RECT& px);
  HWND hwnd() const { return hwnd_; }

  void SetPath(const std::string& path) override;
  const std::string& Path() const override { return names_.Path(); }
  size_t FileCount() const override { return names_.FileCount(); }
  const std::string& FileName(size_t j) const override {
    return names_.FileName(j);
  }

 private:
  FileNames names_;  // in the order shown
  HWND hwnd_ = nullptr;
};

#endif  // WIN32_FILELIST_H_
