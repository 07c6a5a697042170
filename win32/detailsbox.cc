// The box is a dialog made from a template in memory, so the system's
// dialog manager does what it does for MessageBoxA: the owner is disabled
// while the box is open and gets the focus back after it, Tab moves between
// the controls, Enter presses the default button (from the read-only
// details too, which have no ES_WANTRETURN), Escape and the close button
// press IDCANCEL. The template holds no controls: they are made and placed
// in pixels once the message font is known, as the texts measure in it.
#include "win32/detailsbox.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

namespace {

enum : int { kDetailsButtonId = 100, kDetailsId, kTextId, kIconId };

constexpr int kDetailsLines = 12;
// In dialog units: room for a path and a note on one line of the details.
constexpr int kMinWidth = 300;

// A multi-line edit control breaks lines at CR LF only.
std::string WithCrLf(const std::string& s) {
  std::string out;
  out.reserve(s.size() + s.size() / 32 + 1);
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) out.push_back('\r');
    out.push_back(s[i]);
  }
  return out;
}

struct Box {
  const std::string& text;
  const std::string& title;
  const std::string& details;
  UINT type;
  HFONT font;
  HWND owner;
  HWND button = nullptr;  // shows and hides the details
  HWND edit = nullptr;
  int closed_height = 0;  // of the whole box, in pixels
  int open_height = 0;
  bool open = false;
};

bool HasCancel(UINT type) { return (type & MB_TYPEMASK) == MB_OKCANCEL; }

LPCSTR IconOf(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
      return IDI_ERROR;
    case MB_ICONQUESTION:
      return IDI_QUESTION;
    case MB_ICONWARNING:
      return IDI_WARNING;
    case MB_ICONINFORMATION:
      return IDI_INFORMATION;
    default:
      return nullptr;
  }
}

HWND NewControl(HWND box, int id, const char* cls, const char* text,
                DWORD style, int x, int y, int w, int h, HFONT font,
                DWORD ex_style = 0) {
  const HWND hwnd =
      CreateWindowExA(ex_style, cls, text, WS_CHILD | style, x, y, w, h, box,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                      GetModuleHandleA(nullptr), nullptr);
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return hwnd;
}

// Ctrl+A selects all the details, as in the edit boxes of newer systems.
LRESULT CALLBACK DetailsProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                             UINT_PTR id, DWORD_PTR) {
  if (msg == WM_CHAR && wp == 1) {
    SendMessageA(hwnd, EM_SETSEL, 0, -1);
    return 0;
  }
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, DetailsProc, id);
  return DefSubclassProc(hwnd, msg, wp, lp);
}

RECT WorkAreaOf(HWND hwnd) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoA(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &info);
  return info.rcWork;
}

int TextWidth(HDC dc, const char* s) {
  SIZE size{};
  GetTextExtentPoint32A(dc, s, static_cast<int>(std::strlen(s)), &size);
  return size.cx;
}

// Places the box, w by h pixels, over the middle of its owner, or of the
// screen when the owner cannot be seen, and wholly inside the work area.
void CentreOn(HWND hwnd, HWND owner, const RECT& work, int w, int h) {
  RECT around = work;
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {
    GetWindowRect(owner, &around);
  }
  const auto place = [](LONG lo, LONG hi, LONG work_lo, LONG work_hi,
                        int size) {
    return static_cast<int>(
        std::clamp<LONG>((lo + hi - size) / 2, work_lo,
                         std::max<LONG>(work_lo, work_hi - size)));
  };
  SetWindowPos(hwnd, nullptr,
               place(around.left, around.right, work.left, work.right, w),
               place(around.top, around.bottom, work.top, work.bottom, h), w, h,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// Makes and places the controls and sizes the box around them, closed,
// centred on its owner.
void Build(HWND hwnd, Box& box) {
  SetWindowTextA(hwnd, box.title.c_str());
  const HDC dc = GetDC(hwnd);
  const HGDIOBJ old = SelectObject(dc, box.font);
  // Dialog units of the font: the measures MessageBoxA's layout uses.
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  const int unit_x =
      (TextWidth(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") /
           26 +
       1) /
      2;
  const auto dx = [unit_x](int du) { return MulDiv(du, unit_x, 4); };
  const auto dy = [&tm](int du) { return MulDiv(du, tm.tmHeight, 8); };
  const int margin_x = dx(7), margin_y = dy(7), gap = dx(4);
  const int icon_w = GetSystemMetrics(SM_CXICON);
  const int icon_h = GetSystemMetrics(SM_CYICON);
  const RECT work = WorkAreaOf(box.owner ? box.owner : hwnd);

  // Long lines wrap at three fifths of the screen's width.
  RECT text{0, 0, (work.right - work.left) * 3 / 5, 0};
  DrawTextA(dc, box.text.data(), static_cast<int>(box.text.size()), &text,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  const LPCSTR icon_id = IconOf(box.type);
  const int text_x = icon_id ? margin_x + icon_w + margin_x : margin_x;
  const int top_h = std::max(icon_id ? icon_h : 0, int{text.bottom});

  const auto button_w = [&](const char* s) {
    return std::max(dx(50), TextWidth(dc, s) + dx(12));
  };
  const int ok_w = button_w("OK");
  const int cancel_w = HasCancel(box.type) ? button_w("Cancel") : 0;
  const int details_w =
      std::max(button_w(kShowDetails), button_w(kHideDetails));
  const int button_h = dy(14);
  const int row_w =
      details_w + 3 * gap + ok_w + (cancel_w ? gap + cancel_w : 0);
  const int client_w = std::max({text_x + int{text.right} + margin_x,
                                 margin_x + row_w + margin_x, dx(kMinWidth)});

  if (icon_id) {
    const HWND icon =
        NewControl(hwnd, kIconId, "STATIC", "", WS_VISIBLE | SS_ICON, margin_x,
                   margin_y, icon_w, icon_h, box.font);
    SendMessageA(icon, STM_SETICON,
                 reinterpret_cast<WPARAM>(LoadIconA(nullptr, icon_id)), 0);
  }
  // A text shorter than the icon is centred beside it.
  NewControl(hwnd, kTextId, "STATIC", box.text.c_str(),
             WS_VISIBLE | SS_LEFT | SS_NOPREFIX, text_x,
             margin_y + (top_h - text.bottom) / 2, text.right, text.bottom,
             box.font);

  // Made in the order Tab visits them: OK, Cancel, the button, the details.
  const int row_y = margin_y + top_h + margin_y;
  int x = client_w - margin_x - cancel_w - (cancel_w ? gap : 0) - ok_w;
  const HWND ok = NewControl(hwnd, IDOK, "BUTTON", "OK",
                             WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, x,
                             row_y, ok_w, button_h, box.font);
  if (cancel_w) {
    x += ok_w + gap;
    NewControl(hwnd, IDCANCEL, "BUTTON", "Cancel",
               WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, x, row_y, cancel_w,
               button_h, box.font);
  }
  box.button = NewControl(hwnd, kDetailsButtonId, "BUTTON", kShowDetails,
                          WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, margin_x,
                          row_y, details_w, button_h, box.font);
  const int edit_y = row_y + button_h + margin_y;
  const int edit_h = kDetailsLines * tm.tmHeight +
                     2 * GetSystemMetrics(SM_CYEDGE) +
                     GetSystemMetrics(SM_CYHSCROLL) + 4;
  box.edit = NewControl(hwnd, kDetailsId, "EDIT", "",
                        WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                            ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                        margin_x, edit_y, client_w - 2 * margin_x, edit_h,
                        box.font, WS_EX_CLIENTEDGE);
  SendMessageA(box.edit, EM_SETLIMITTEXT, 0, 0);
  SetWindowTextA(box.edit, WithCrLf(box.details).c_str());
  SetWindowSubclass(box.edit, DetailsProc, 0, 0);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);

  const auto style = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE));
  const auto ex_style =
      static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE));
  RECT closed{0, 0, client_w, edit_y};
  AdjustWindowRectEx(&closed, style, FALSE, ex_style);
  RECT open{0, 0, client_w, edit_y + edit_h + margin_y};
  AdjustWindowRectEx(&open, style, FALSE, ex_style);
  box.closed_height = closed.bottom - closed.top;
  box.open_height = open.bottom - open.top;

  CentreOn(hwnd, box.owner, work, closed.right - closed.left,
           box.closed_height);
  SendMessageA(hwnd, DM_SETDEFID, IDOK, 0);
  SendMessageA(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(ok), TRUE);
}

// The box grows downwards to show the details, and moves up where it would
// leave the screen.
void ToggleDetails(HWND hwnd, Box& box) {
  box.open = !box.open;
  if (!box.open && GetFocus() == box.edit) {
    SendMessageA(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box.button),
                 TRUE);
  }
  SetWindowTextA(box.button, box.open ? kHideDetails : kShowDetails);
  ShowWindow(box.edit, box.open ? SW_SHOWNA : SW_HIDE);
  RECT r{};
  GetWindowRect(hwnd, &r);
  const int h = box.open ? box.open_height : box.closed_height;
  const RECT work = WorkAreaOf(hwnd);
  const LONG top =
      std::max(work.top, std::min(r.top, static_cast<LONG>(work.bottom - h)));
  SetWindowPos(hwnd, nullptr, r.left, top, r.right - r.left, h,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK BoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* box = reinterpret_cast<Box*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(hwnd, DWLP_USER, lp);
      Build(hwnd, *reinterpret_cast<Box*>(lp));
      MessageBeep(reinterpret_cast<Box*>(lp)->type & MB_ICONMASK);
      return FALSE;  // the focus is on OK
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDOK:
          EndDialog(hwnd, IDOK);
          return TRUE;
        case IDCANCEL:  // Escape, or the close button
          EndDialog(hwnd, HasCancel(box->type) ? IDCANCEL : IDOK);
          return TRUE;
        case kDetailsButtonId:
          if (HIWORD(wp) == BN_CLICKED) ToggleDetails(hwnd, *box);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

HFONT NewMessageFont() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics,
                             0)) {
    return nullptr;
  }
  return CreateFontIndirectA(&metrics.lfMessageFont);
}

}  // namespace

int DetailsBox(HWND owner, const std::string& text, const std::string& title,
               UINT type, const std::string& details) {
  // A DLGTEMPLATE with no menu, the dialog class, no title (set as bytes
  // later) and no controls. It must start on a DWORD boundary.
  constexpr DWORD kStyle =
      WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND;
  alignas(DWORD) WORD tmpl[12] = {LOWORD(kStyle), HIWORD(kStyle)};
  HFONT made = NewMessageFont();
  const HFONT font =
      made ? made : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  Box box{text, title, details, type, font, owner};
  const INT_PTR answer = DialogBoxIndirectParamA(
      GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(tmpl), owner,
      BoxProc, reinterpret_cast<LPARAM>(&box));
  if (made) DeleteObject(made);
  // Where the box could not be made the message still reaches the user.
  if (answer <= 0) {
    return MessageBoxA(owner, text.c_str(), title.c_str(), type);
  }
  return static_cast<int>(answer);
}
