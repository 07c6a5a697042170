#include "win32/form1.h"

#include <commctrl.h>

#include <vector>

#include "win32/classicfont.h"
#include "win32/dialogs.h"
#include "win32/twips.h"

namespace {

constexpr char kClassName[] = "TabulonMigrationForm1";

HWND NewControl(HWND parent, int id, const char* cls, const char* text,
                DWORD style, const RECT& px, DWORD ex_style = 0) {
  return CreateWindowExA(ex_style, cls, text, WS_CHILD | WS_VISIBLE | style,
                         px.left, px.top, px.right - px.left,
                         px.bottom - px.top, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
}

// Labels wrap, as the layout's two-line-high description expects, and show
// an ampersand as it is.
HWND NewLabel(HWND parent, int id, const char* text, const RECT& px) {
  return NewControl(parent, id, "STATIC", text, SS_LEFT | SS_NOPREFIX, px);
}

HWND NewButton(HWND parent, int id, const char* text, const RECT& px) {
  return NewControl(parent, id, "BUTTON", text,
                    WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, px);
}

std::string TextOf(HWND hwnd) {
  std::string text(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
  text.resize(static_cast<size_t>(
      GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

SIZE SizeOf(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return {r.right - r.left, r.bottom - r.top};
}

void RegisterClassOnce(WNDPROC proc) {
  static const bool registered = [proc] {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(1));
    wc.hIconSm = static_cast<HICON>(
        LoadImageA(wc.hInstance, MAKEINTRESOURCEA(1), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                   LR_DEFAULTCOLOR));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    return RegisterClassExA(&wc) != 0;
  }();
  (void)registered;
}

}  // namespace

Form1::Form1(Dialogs& dialogs, FileSystem& fs)
    : dlg(dialogs), Dir1(fs), File1(fs), fs_(fs) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  RegisterClassOnce(Proc);
  dpi_ = TwipScale::OfScreen().dpi_y;

  // The content area is 6405 by 4170 twips; the window is sized around it.
  const TwipScale tw = TwipScale::OfScreen();
  constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  RECT frame = {0, 0, tw.X(6405), tw.Y(4170)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  CreateWindowExA(0, kClassName, "Quorvane Tabulon 8 to 8c Migration Utility",
                  kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                  frame.right - frame.left, frame.bottom - frame.top, nullptr,
                  nullptr, GetModuleHandleA(nullptr), this);
  CreateControls();
  Form_Load();
  SetFonts();
  focus_ = lst;
  try {
    if (Dir1.SetPath(".")) Dir1_Change();
  } catch (const std::filesystem::filesystem_error& e) {
    ShowFailure(FailureText(e), std::string());  // the current directory went
  }
}

Form1::~Form1() {
  if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  if (font_ != nullptr) DeleteObject(font_);
  if (bold_ != nullptr) DeleteObject(bold_);
}

// Created in the order of their tab index: IsDialogMessage moves the focus
// through the controls in the order they were made.
void Form1::CreateControls() {
  const TwipScale tw = TwipScale::OfScreen();
  lst = NewControl(hwnd_, kLstId, "LISTBOX", "",
                   WS_TABSTOP | WS_VSCROLL | LBS_HASSTRINGS | LBS_NOTIFY |
                       LBS_NOINTEGRALHEIGHT,
                   tw.Rect(120, 1800, 6015, 1665), WS_EX_CLIENTEDGE);
  Label1 = NewLabel(hwnd_, kLabel1Id, "", tw.Rect(120, 120, 6150, 390));
  Label2 = NewLabel(hwnd_, kLabel2Id, "", tw.Rect(120, 3600, 6135, 195));
  Label5 = NewLabel(hwnd_, kLabel5Id,
                    "Project Files:", tw.Rect(120, 1560, 1215, 195));
  cmdButton2 = NewButton(hwnd_, kCmdButton2Id,
                         "Convert all projects in the selected folder",
                         tw.Rect(2640, 4800, 3615, 375));
  Dir1.Create(hwnd_, kDir1Id, tw.Rect(120, 5280, 2415, 1215), dpi_);
  File1.Create(hwnd_, kFile1Id, tw.Rect(2640, 5280, 3615, 1260));
  cmd = NewButton(hwnd_, kCmdId, "Select project to convert",
                  tw.Rect(120, 840, 3885, 555));
  Label3 = NewLabel(hwnd_, kLabel3Id, "Double-click a folder to select it.",
                    tw.Rect(120, 4920, 2415, 255));
  Label4 = NewLabel(hwnd_, kLabel4Id,
                    "Batch Conversion:", tw.Rect(120, 4440, 2415, 255));
  // The separator: an etched line from (120, 4320) to (6240, 4320), below
  // the window's initial content area.
  const RECT line = {tw.X(120), tw.Y(4320) - 1, tw.X(6240), tw.Y(4320) + 1};
  Line1 = NewControl(hwnd_, kLine1Id, "STATIC", "", SS_ETCHEDHORZ, line);
}

void Form1::Form_Load() {
  tables_ = InitTables();
  const std::string description =
      std::string("This utility converts VB projects that use ") +
      "Tabulon8 to Tabulon8c";
  SetWindowTextA(Label1, description.c_str());
}

// Every control gets its font: one without shows the System font. The
// layout's sizes are fixed; where the default face is wider than the one
// they were measured in, a smaller size keeps every text whole.
void Form1::SetFonts() {
  const auto label = [](HWND h) { return TextRoom{TextOf(h), SizeOf(h)}; };
  SIZE button = SizeOf(cmdButton2);
  button.cx -= 2 * (GetSystemMetrics(SM_CXEDGE) + MulDiv(3, dpi_, 96));
  button.cy -= 2 * GetSystemMetrics(SM_CYEDGE);
  font_ = FitFont(ClassicFont(false, dpi_), dpi_,
                  {label(Label1),
                   label(Label5),
                   label(Label3),
                   {TextOf(cmdButton2), button}});
  const LOGFONTA bold = ClassicFont(true, dpi_);
  bold_ = CreateFontIndirectA(&bold);
  for (HWND h :
       {lst, Label1, Label2, Label5, cmdButton2, File1.hwnd(), Label3, Line1}) {
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }
  Dir1.SetFont(font_);
  for (HWND h : {cmd, Label4}) {
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(bold_), FALSE);
  }
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

void Form1::Show(int how) {
  ShowWindow(hwnd_, how);
  UpdateWindow(hwnd_);
  RestoreFocus();
}

void Form1::Dir1_Change() { FollowFolder(Dir1.View(), File1, *this); }

void Form1::Dir1_Open() {
  bool changed = false;
  try {
    changed = Dir1.OpenSelected();
  } catch (const std::filesystem::filesystem_error& e) {
    ShowFailure(FailureText(e), std::string());
  }
  if (changed) Dir1_Change();
}

bool Form1::TranslateKeys(MSG& msg) {
  if (msg.message == WM_KEYDOWN) {
    // A button ignores the arrows. IsDialogMessage would move the focus
    // through the window's one group of controls instead.
    const WPARAM key = msg.wParam;
    const bool arrow =
        key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
    if (arrow && (msg.hwnd == cmd || msg.hwnd == cmdButton2)) return true;
  }
  return IsDialogMessageA(hwnd_, &msg) != FALSE;
}

void Form1::OnCommand(int id, int code) {
  switch (id) {
    case kCmdId:
      if (code == BN_CLICKED) cmd_Click();
      break;
    case kCmdButton2Id:
      if (code == BN_CLICKED) cmdButton2_Click();
      break;
    case kDir1Id:
      if (code == LBN_DBLCLK) Dir1_Open();
      break;
    case IDOK: {
      // Enter on a button: IsDialogMessage asks the window, as the window
      // has no default button. The focused button is the one pressed.
      const HWND focus = GetFocus();
      if (focus == cmd || focus == cmdButton2) {
        SendMessageA(focus, BM_CLICK, 0, 0);
      }
      break;
    }
    case IDCANCEL:  // Escape: the window has nothing to cancel
      break;
  }
}

void Form1::RememberFocus() {
  const HWND focus = GetFocus();
  if (focus != nullptr && IsChild(hwnd_, focus)) focus_ = focus;
}

void Form1::RestoreFocus() {
  if (focus_ != nullptr && IsWindowEnabled(hwnd_) &&
      GetActiveWindow() == hwnd_) {
    SetFocus(focus_);
  }
}

LRESULT CALLBACK Form1::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<Form1*>(
        reinterpret_cast<const CREATESTRUCTA*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Form1*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(hwnd, msg, wp, lp);
  return self->Handle(hwnd, msg, wp, lp);
}

LRESULT Form1::Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_MEASUREITEM: {
      auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      if (item.CtlID != kDir1Id) break;
      item.itemHeight = Dir1.ItemHeight();
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (item.CtlID != kDir1Id) break;
      Dir1.Draw(item);
      return TRUE;
    }
    case WM_ACTIVATE:
      // A plain window forgets which control had the focus when another
      // window is activated; a dialog would not.
      if (LOWORD(wp) == WA_INACTIVE) {
        RememberFocus();
      } else {
        RestoreFocus();
      }
      return 0;
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    case WM_CLOSE:
      // A disabled window still gets WM_CLOSE, from the taskbar or Alt+F4:
      // a conversion is running then, and must not be cut off.
      if (IsWindowEnabled(hwnd_)) DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      if (ends_program_) PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}
