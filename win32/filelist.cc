#include "win32/filelist.h"

namespace {

// Filling the list paints it once, at the end, whether or not the folder
// could be read.
class RedrawPaused {
 public:
  explicit RedrawPaused(HWND hwnd) : hwnd_(hwnd) {
    SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
  }
  RedrawPaused(const RedrawPaused&) = delete;
  RedrawPaused& operator=(const RedrawPaused&) = delete;
  ~RedrawPaused() {
    SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
  }

 private:
  HWND hwnd_;
};

}  // namespace

HWND FileList::Create(HWND parent, int id, const RECT& px) {
  // No LBS_SORT: the names come in the order the batch walks them.
  hwnd_ = CreateWindowExA(
      WS_EX_CLIENTEDGE, "LISTBOX", "",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_HASSTRINGS |
          LBS_NOINTEGRALHEIGHT,
      px.left, px.top, px.right - px.left, px.bottom - px.top, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  return hwnd_;
}

void FileList::SetPath(const std::string& path) {
  const RedrawPaused paused(hwnd_);
  SendMessageA(hwnd_, LB_RESETCONTENT, 0, 0);
  names_.SetPath(path);
  for (size_t j = 0; j < names_.FileCount(); ++j) {
    SendMessageA(hwnd_, LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(names_.FileName(j).c_str()));
  }
}
