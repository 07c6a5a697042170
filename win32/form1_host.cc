// The window as its commands drive it: the progress list, the message
// boxes, the dialog and the window state, each done at once.
#include <string>
#include <vector>

#include "win32/dialogs.h"
#include "win32/form1.h"

namespace {

WPARAM Row(size_t i) { return static_cast<WPARAM>(i); }

LPARAM Text(const std::string& text) {
  return reinterpret_cast<LPARAM>(text.c_str());
}

// What CommDlgExtendedError's codes mean; the system has no text for them.
const char* DialogErrorText(DWORD error) {
  switch (error) {
    case FNERR_BUFFERTOOSMALL:
      return "The file name chosen is too long.";
    case FNERR_INVALIDFILENAME:
      return "The file name is not valid.";
    case CDERR_MEMALLOCFAILURE:
    case CDERR_MEMLOCKFAILURE:
      return "Not enough memory to open the dialog.";
    default:
      return "The open-file dialog could not be shown.";
  }
}

}  // namespace

// A list box that may paint updates its scroll bar at every change, and a
// batch of small forms spent most of its time there. The list stops
// painting at its first change and starts again when the window is painted
// or anything else is shown.
void Form1::PauseProgress() {
  if (progress_paused_) return;
  SendMessageA(lst, WM_SETREDRAW, FALSE, 0);
  progress_paused_ = true;
}

void Form1::ResumeProgress() {
  if (!progress_paused_) return;
  SendMessageA(lst, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(lst, nullptr, TRUE);
  progress_paused_ = false;
}

void Form1::ClearProgress() {
  PauseProgress();
  SendMessageA(lst, LB_RESETCONTENT, 0, 0);
}

// The list box keeps its items in the order added: it has no LBS_SORT.
void Form1::AddProgress(const std::string& text) {
  PauseProgress();
  SendMessageA(lst, LB_ADDSTRING, 0, Text(text));
}

size_t Form1::ProgressCount() {
  const LRESULT n = SendMessageA(lst, LB_GETCOUNT, 0, 0);
  return n < 0 ? 0 : static_cast<size_t>(n);
}

std::string Form1::ProgressItem(size_t i) {
  const LRESULT n = SendMessageA(lst, LB_GETTEXTLEN, Row(i), 0);
  if (n == LB_ERR) return std::string();
  std::vector<char> buf(static_cast<size_t>(n) + 1);
  const LRESULT got = SendMessageA(lst, LB_GETTEXT, Row(i),
                                   reinterpret_cast<LPARAM>(buf.data()));
  if (got == LB_ERR) return std::string();
  return std::string(buf.data(), static_cast<size_t>(got));
}

// A list box cannot change an item's text: the item is deleted and one
// inserted at its place, and the selection and scroll position put back.
void Form1::SetProgressItem(size_t i, const std::string& text) {
  if (i >= ProgressCount()) return;
  PauseProgress();
  const LRESULT selected = SendMessageA(lst, LB_GETCURSEL, 0, 0);
  const LRESULT top = SendMessageA(lst, LB_GETTOPINDEX, 0, 0);
  SendMessageA(lst, LB_DELETESTRING, Row(i), 0);
  SendMessageA(lst, LB_INSERTSTRING, Row(i), Text(text));
  if (selected != LB_ERR) {
    SendMessageA(lst, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  }
  SendMessageA(lst, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
}

// LB_SETCURSEL scrolls the item into view.
void Form1::SelectProgress(size_t i) {
  PauseProgress();
  SendMessageA(lst, LB_SETCURSEL, Row(i), 0);
}

bool Form1::ShowBox(const BoxDescription& box) {
  ResumeProgress();
  const UINT type =
      (box.cancel ? MB_OKCANCEL : MB_OK) |
      (box.icon == BoxIcon::kCritical ? MB_ICONERROR : MB_ICONINFORMATION);
  return dlg.MsgBox(hwnd_, box.text, box.title, type, box.details) == IDOK;
}

FileChoice Form1::OpenFile(const FileDialogDescription& dialog) {
  // One filter entry, "text\0pattern\0", ended by the string's own NUL.
  const std::string filter = dialog.filter + '\0' + dialog.pattern + '\0';
  std::string file(32768, '\0');  // the initial file name is empty
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd_;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrDefExt = dialog.default_extension.c_str();
  // OFN_FILEMUSTEXIST alone: the dialog changes the current directory to
  // the chosen file's folder and offers its "Open as read-only" box.
  ofn.Flags = 4096;
  DWORD error = 0;
  if (dlg.OpenFile(ofn, &error)) {
    file.resize(file.find('\0'));
    return {file, std::string()};
  }
  if (error == 0) return FileChoice();  // cancelled
  return {std::string(),
          "Error " + std::to_string(error) + ": " + DialogErrorText(error)};
}

void Form1::SetWindowEnabled(bool yes) {
  ResumeProgress();
  if (!yes) RememberFocus();
  EnableWindow(hwnd_, yes ? TRUE : FALSE);
  if (yes) RestoreFocus();
}

// What is out of date: the progress list, and whatever else waits to be
// painted; the rest of the window is left as it is.
void Form1::Repaint() {
  ResumeProgress();
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// WM_CLOSE, which a running command refuses.
void Form1::Close() { SendMessageA(hwnd_, WM_CLOSE, 0, 0); }

void Form1::PumpEvents() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the main loop
      return;
    }
    if (TranslateKeys(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}
