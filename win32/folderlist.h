#ifndef WIN32_FOLDERLIST_H_
#define WIN32_FOLDERLIST_H_

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "engine/commands.h"
#include "engine/filesystem.h"

// A folder, its ancestors above it and its immediate subfolders below it,
// in an owner-drawn list box: the open folders with an open folder's look,
// the subfolders closed. The other drives of the machine stand above the
// ancestors, so a batch can start on any of them while the entries below
// the current folder stay its subfolders alone. Opening an entry
// (double-click, or Enter) makes it the current folder; a single click only
// highlights it. Paths are file-system bytes.
class FolderList {
 public:
  explicit FolderList(FileSystem& fs) : fs_(fs) {}
  FolderList(const FolderList&) = delete;
  FolderList& operator=(const FolderList&) = delete;
  ~FolderList();

  // Makes the list box. Enter and a double-click reach parent as LBN_DBLCLK.
  HWND Create(HWND parent, int id, const RECT& px, int dpi);
  HWND hwnd() const { return hwnd_; }
  void SetFont(HFONT font);

  // What the list shows, as the batch takes it.
  const FolderView& View() const { return view_; }
  const std::string& Path() const { return view_.path; }
  // Shows path, made absolute against the current directory; false when it
  // is the folder shown already. A folder that cannot be read shows no
  // subfolders and keeps the reason in View(). Throws
  // std::filesystem::filesystem_error when the current directory cannot be
  // had.
  bool SetPath(const std::string& path);
  // Opens the highlighted entry; false when nothing changed.
  bool OpenSelected();

  size_t EntryCount() const { return entries_.size(); }
  const std::string& EntryPath(size_t i) const { return entries_.at(i).path; }
  const std::string& EntryName(size_t i) const { return entries_.at(i).name; }
  bool EntryIsOpen(size_t i) const { return entries_.at(i).look == kOpen; }

  // The parent's WM_MEASUREITEM and WM_DRAWITEM for the list.
  UINT ItemHeight() const;
  void Draw(const DRAWITEMSTRUCT& item) const;

 private:
  enum Look { kDrive, kOpen, kClosed };
  struct Entry {
    std::string name;
    std::string path;
    int depth;
    Look look;
  };
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                               UINT_PTR, DWORD_PTR self);

  FileSystem& fs_;
  FolderView view_;
  std::vector<Entry> entries_;
  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  int dpi_ = 96;
  HICON icons_[3] = {};
};

#endif  // WIN32_FOLDERLIST_H_
