// The ConversionHost side of the window: the progress list, the message
// boxes and the window state, as a conversion drives them.
#include <algorithm>
#include <vector>

#include "win32/dialogs.h"
#include "win32/form1.h"

namespace {

WPARAM Row(size_t i) { return static_cast<WPARAM>(i); }

LPARAM Text(const std::string& text) {
  return reinterpret_cast<LPARAM>(text.c_str());
}

// A screen shows a new frame about every 16 ms. Painting the window after
// every file made a batch of small forms spend most of its time painting
// what no one could see; it is painted, and waiting messages are handled, at
// most once a frame instead. Where painting is slow (a remote desktop, a
// virtual machine's display) the pause after a paint is three times as long
// as the paint took, so that converting keeps three quarters of the time.
// While a conversion runs the window takes no input, so nothing waits longer
// than that for its turn.
constexpr std::chrono::milliseconds kFrame(16);
using Clock = std::chrono::steady_clock;

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

void Form1::ShowInfo(const std::string& text, const std::string& details) {
  CatchUp();
  dlg.MsgBox(hwnd_, text, kAppTitle, MB_OK | MB_ICONINFORMATION, details);
}

bool Form1::AskOkCancel(const std::string& text, const std::string& details) {
  CatchUp();
  return dlg.MsgBox(hwnd_, text, kAppTitle, MB_OKCANCEL | MB_ICONINFORMATION,
                    details) == IDOK;
}

void Form1::ShowDone(const std::string& text, const std::string& details) {
  CatchUp();
  dlg.MsgBox(hwnd_, text, kDoneTitle, MB_OK | MB_ICONINFORMATION, details);
}

void Form1::ShowFailure(const std::string& text, const std::string& details) {
  CatchUp();
  dlg.MsgBox(hwnd_, text, kAppTitle, MB_OK | MB_ICONERROR, details);
}

void Form1::CatchUp() {
  ResumeProgress();
  if (!enable_due_) return;
  enable_due_ = false;
  EnableWindow(hwnd_, TRUE);
  RestoreFocus();
}

// A batch enables the window after each project and disables it for the
// next at once, with nothing painted and no input taken in between. Within a
// batch the window is enabled when it is next painted, shows a box or takes
// input, or when the batch ends, whichever comes first.
void Form1::SetWindowEnabled(bool yes) {
  if (!yes && enable_due_) {
    enable_due_ = false;
    return;
  }
  if (yes && batch_running_ && !IsWindowEnabled(hwnd_)) {
    enable_due_ = true;
    return;
  }
  ResumeProgress();
  if (!yes) RememberFocus();
  EnableWindow(hwnd_, yes ? TRUE : FALSE);
  if (yes) RestoreFocus();
}

void Form1::Repaint() {
  const Clock::time_point start = Clock::now();
  if (start < next_paint_) return;
  CatchUp();
  // What is out of date: the progress list, and whatever else waits to be
  // painted; the rest of the window is left as it is.
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  const Clock::time_point end = Clock::now();
  next_paint_ = end + std::max<Clock::duration>(kFrame, 3 * (end - start));
}

void Form1::PumpEvents() {
  const Clock::time_point now = Clock::now();
  if (now < next_pump_) return;
  next_pump_ = now + kFrame;
  if (enable_due_) CatchUp();  // before the input it lets through
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
