#include "win32/folderlist.h"

#include <commctrl.h>
#include <shellapi.h>

#include <utility>

#include "engine/paths.h"
#include "engine/text.h"

namespace {

// The roots of the machine's drives, "A:\" to "Z:\".
std::vector<std::string> DriveRoots() {
  std::vector<std::string> roots;
  char buf[4 * 26 + 2] = {};
  const DWORD n = GetLogicalDriveStringsA(sizeof buf, buf);
  if (n == 0 || n > sizeof buf) return roots;
  for (const char* p = buf; *p != '\0'; p += roots.back().size() + 1) {
    roots.emplace_back(p);
  }
  return roots;
}

// The shell's small folder icon, open or closed, as Explorer shows it.
HICON FolderIcon(bool open) {
  SHFILEINFOA info{};
  const UINT flags = SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES |
                     (open ? SHGFI_OPENICON : 0);
  if (SHGetFileInfoA("folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                     flags) == 0) {
    return nullptr;
  }
  return info.hIcon;
}

HICON DriveIcon() {
  SHSTOCKICONINFO info{};
  info.cbSize = sizeof info;
  if (FAILED(SHGetStockIconInfo(SIID_DRIVEFIXED, SHGSI_ICON | SHGSI_SMALLICON,
                                &info))) {
    return FolderIcon(false);
  }
  return info.hIcon;
}

}  // namespace

FolderList::~FolderList() {
  for (HICON icon : icons_) {
    if (icon != nullptr) DestroyIcon(icon);
  }
}

HWND FolderList::Create(HWND parent, int id, const RECT& px, int dpi) {
  dpi_ = dpi;
  icons_[kDrive] = DriveIcon();
  icons_[kOpen] = FolderIcon(true);
  icons_[kClosed] = FolderIcon(false);
  hwnd_ = CreateWindowExA(
      WS_EX_CLIENTEDGE, "LISTBOX", "",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY |
          LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
      px.left, px.top, px.right - px.left, px.bottom - px.top, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  SetWindowSubclass(hwnd_, Proc, 0, reinterpret_cast<DWORD_PTR>(this));
  return hwnd_;
}

void FolderList::SetFont(HFONT font) {
  font_ = font;
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageA(hwnd_, LB_SETITEMHEIGHT, 0, ItemHeight());
}

bool FolderList::SetPath(const std::string& path) {
  FolderView view = OpenFolder(fs_, path);
  if (!view_.path.empty() && view.path == view_.path) return false;

  std::vector<Entry> entries;
  for (const std::string& root : DriveRoots()) {
    if (!EqualsIgnoreCase(root, view.chain.front())) {
      entries.push_back({root, root, 0, kDrive});
    }
  }
  int depth = 0;
  for (const std::string& folder : view.chain) {
    entries.push_back({FolderEntryName(folder), folder, depth++, kOpen});
  }
  const size_t current = entries.size() - 1;
  for (size_t k = 0; k < view.subfolders.size(); ++k) {
    entries.push_back({view.subfolders[k], view.Subfolder(k), depth, kClosed});
  }

  SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
  SendMessageA(hwnd_, LB_RESETCONTENT, 0, 0);
  for (const Entry& e : entries) {
    SendMessageA(hwnd_, LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(e.name.c_str()));
  }
  SendMessageA(hwnd_, LB_SETCURSEL, current, 0);
  SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);

  entries_ = std::move(entries);
  view_ = std::move(view);
  return true;
}

bool FolderList::OpenSelected() {
  const LRESULT i = SendMessageA(hwnd_, LB_GETCURSEL, 0, 0);
  if (i < 0 || static_cast<size_t>(i) >= entries_.size()) return false;
  // The entry's path is absolute, so no current directory is needed.
  return SetPath(std::string(entries_[static_cast<size_t>(i)].path));
}

UINT FolderList::ItemHeight() const {
  int text = 13;
  if (font_ != nullptr) {
    const HDC dc = GetDC(hwnd_);
    const HGDIOBJ old = SelectObject(dc, font_);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    text = metrics.tmHeight;
  }
  const int icon = GetSystemMetrics(SM_CYSMICON);
  return static_cast<UINT>((text > icon ? text : icon) + MulDiv(2, dpi_, 96));
}

void FolderList::Draw(const DRAWITEMSTRUCT& item) const {
  if (item.itemID == static_cast<UINT>(-1) || item.itemID >= entries_.size()) {
    return;
  }
  const Entry& e = entries_[item.itemID];
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const HDC dc = item.hDC;
  RECT r = item.rcItem;
  FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

  const int indent = MulDiv(8, dpi_, 96);
  const int icon = GetSystemMetrics(SM_CXSMICON);
  const int x = r.left + MulDiv(2, dpi_, 96) + e.depth * indent;
  if (icons_[e.look] != nullptr) {
    const int y =
        r.top + (r.bottom - r.top - GetSystemMetrics(SM_CYSMICON)) / 2;
    DrawIconEx(dc, x, y, icons_[e.look], icon, GetSystemMetrics(SM_CYSMICON), 0,
               nullptr, DI_NORMAL);
  }
  RECT text = r;
  text.left = x + icon + MulDiv(3, dpi_, 96);
  const HGDIOBJ old = font_ != nullptr ? SelectObject(dc, font_) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc,
               GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  DrawTextA(dc, e.name.data(), static_cast<int>(e.name.size()), &text,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (old != nullptr) SelectObject(dc, old);
  if ((item.itemState & ODS_FOCUS) != 0) DrawFocusRect(dc, &r);
}

// Enter opens the highlighted entry, as a double-click does. The list asks
// for it: a window that IsDialogMessage serves would otherwise turn Enter
// into IDOK for its parent.
LRESULT CALLBACK FolderList::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                  UINT_PTR, DWORD_PTR) {
  switch (msg) {
    case WM_GETDLGCODE: {
      LRESULT code = DefSubclassProc(hwnd, msg, wp, lp);
      const MSG* m = reinterpret_cast<const MSG*>(lp);
      if (m != nullptr && m->message == WM_KEYDOWN && m->wParam == VK_RETURN) {
        code |= DLGC_WANTMESSAGE;
      }
      return code;
    }
    case WM_KEYDOWN:
      if (wp == VK_RETURN) {
        const int id = GetDlgCtrlID(hwnd);
        SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK),
                     reinterpret_cast<LPARAM>(hwnd));
        return 0;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, Proc, 0);
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}
