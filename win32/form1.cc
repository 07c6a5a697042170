#include "win32/form1.h"

#include <commctrl.h>

#include <utility>
#include <vector>

#include "win32/classicfont.h"
#include "win32/dialogs.h"
#include "win32/twips.h"

namespace {

constexpr char kClassName[] = "TabulonMigrationForm1";

// Ids follow the tab index. None is IDOK (1) or IDCANCEL (2): IsDialogMessage
// sends those for Enter and Escape, and a button with either id would be
// pressed by a key pressed anywhere in the window. A line, which nothing
// addresses, has none. A menu item's id is its command, apart from these.
constexpr int kFirstControlId = 100;
constexpr int kNoId = -1;

int IdOf(const ControlDescription& c) {
  return c.tab_index < 0 ? kNoId : kFirstControlId + c.tab_index;
}

// A line is an etched line two pixels high, centred on its edge.
RECT PlaceOf(const ControlDescription& c, const TwipScale& tw) {
  const TwipRect& r = c.twips;
  if (c.kind == ControlKind::kLine) {
    return {tw.X(r.left), tw.Y(r.top) - 1, tw.X(r.left + r.width),
            tw.Y(r.top) + 1};
  }
  return tw.Rect(r.left, r.top, r.width, r.height);
}

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

// The menu bar of the description; the window destroys it with itself.
HMENU NewMenuBar(const std::vector<MenuDescription>& menus) {
  const HMENU bar = CreateMenu();
  for (const MenuDescription& m : menus) {
    const HMENU menu = CreatePopupMenu();
    for (const MenuItemDescription& item : m.items) {
      if (item.IsSeparator()) {
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      } else {
        AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(item.command),
                    item.text.c_str());
      }
    }
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu),
                m.title.c_str());
  }
  return bar;
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
    : dlg(dialogs), Dir1(fs), File1(fs), fs_(fs), session_(*this, tables_, fs) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  RegisterClassOnce(Proc);
  dpi_ = TwipScale::OfScreen().dpi_y;

  // The window is sized around its content area, the client area; the menu
  // bar lies outside it, as the frame does.
  const WindowDescription& form = Form1Description();
  const TwipScale tw = TwipScale::OfScreen();
  constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  RECT frame = {0, 0, tw.X(form.width), tw.Y(form.height)};
  AdjustWindowRectEx(&frame, kStyle, TRUE, 0);
  CreateWindowExA(0, kClassName, form.caption.c_str(), kStyle, CW_USEDEFAULT,
                  CW_USEDEFAULT, frame.right - frame.left,
                  frame.bottom - frame.top, nullptr, NewMenuBar(form.menus),
                  GetModuleHandleA(nullptr), this);
  CreateControls();
  Form_Load();
  SetFonts();
  focus_ = lst;
  try {
    if (Dir1.SetPath(".")) Dir1_Change();
  } catch (const std::filesystem::filesystem_error& e) {
    session_.ReportFailure(e);  // the current directory went
  }
}

Form1::~Form1() {
  if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  if (font_ != nullptr) DeleteObject(font_);
  if (bold_ != nullptr) DeleteObject(bold_);
}

// Made in the description's order: IsDialogMessage moves the focus through
// the controls in the order they were made, and screen readers name a list
// by the label made just before it.
void Form1::CreateControls() {
  const TwipScale tw = TwipScale::OfScreen();
  for (const ControlDescription& c : Form1Description().controls) {
    const RECT px = PlaceOf(c, tw);
    const int id = IdOf(c);
    const char* text = c.text.c_str();
    HWND h = nullptr;
    switch (c.kind) {
      case ControlKind::kLabel:
        h = NewLabel(hwnd_, id, text, px);
        break;
      case ControlKind::kButton:
        h = NewButton(hwnd_, id, text, px);
        break;
      case ControlKind::kList:
        h = NewControl(hwnd_, id, "LISTBOX", "",
                       WS_TABSTOP | WS_VSCROLL | LBS_HASSTRINGS | LBS_NOTIFY |
                           LBS_NOINTEGRALHEIGHT,
                       px, WS_EX_CLIENTEDGE);
        break;
      case ControlKind::kLine:
        h = NewControl(hwnd_, id, "STATIC", "", SS_ETCHEDHORZ, px);
        break;
      case ControlKind::kFolderList:
        dir1_id_ = static_cast<UINT>(id);  // measured while it is made
        h = Dir1.Create(hwnd_, id, px, dpi_);
        break;
      case ControlKind::kFileList:
        h = File1.Create(hwnd_, id, px);
        break;
    }
    if (HWND* member = Member(c.name)) *member = h;
    made_.push_back(h);
  }
}

HWND* Form1::Member(const std::string& name) {
  const std::pair<const char*, HWND*> members[] = {
      {"lst", &lst},       {"Label1", &Label1},         {"Label2", &Label2},
      {"Label3", &Label3}, {"Label4", &Label4},         {"Label5", &Label5},
      {"cmd", &cmd},       {"cmdButton2", &cmdButton2}, {"Line1", &Line1}};
  for (const auto& [n, member] : members) {
    if (name == n) return member;
  }
  return nullptr;  // Dir1 and File1 keep their own
}

void Form1::Form_Load() {
  tables_ = InitTables();
  SetWindowTextA(Label1, Form1Description().description.c_str());
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
  const auto& controls = Form1Description().controls;
  for (size_t i = 0; i < controls.size(); ++i) {
    const HFONT font = controls[i].font.IsDefault() ? font_ : bold_;
    if (controls[i].kind == ControlKind::kFolderList) {
      Dir1.SetFont(font);
    } else {
      SendMessageA(made_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
  }
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

void Form1::Show(int how) {
  ShowWindow(hwnd_, how);
  UpdateWindow(hwnd_);
  RestoreFocus();
}

void Form1::cmd_Click() { session_.Run(ConvertChosenProject); }

void Form1::cmdButton2_Click() { session_.Run(ConvertBatchFolder); }

void Form1::Dir1_Change() { session_.Run(FollowFolder); }

void Form1::Dir1_Open() {
  bool changed = false;
  try {
    changed = Dir1.OpenSelected();
  } catch (const std::filesystem::filesystem_error& e) {
    session_.ReportFailure(e);
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

// A control's notice comes with its window; IDOK and IDCANCEL come from
// IsDialogMessage, and a menu item's command from the menu, without a
// window.
void Form1::OnCommand(int id, int code, HWND from) {
  if (id == IDOK) {
    // Enter on a button: IsDialogMessage asks the window, as the window
    // has no default button. The focused button is the one pressed.
    const HWND focus = GetFocus();
    if (focus == cmd || focus == cmdButton2) {
      SendMessageA(focus, BM_CLICK, 0, 0);
    }
  } else if (id == IDCANCEL) {
    // Escape: the window has nothing to cancel
  } else if (from == cmd && code == BN_CLICKED) {
    cmd_Click();
  } else if (from == cmdButton2 && code == BN_CLICKED) {
    cmdButton2_Click();
  } else if (from == Dir1.hwnd() && code == LBN_DBLCLK) {
    Dir1_Open();
  } else if (from == nullptr) {
    RunMenuCommand(session_, static_cast<MenuCommand>(id));
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
      OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    case WM_MEASUREITEM: {
      auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      if (item.CtlID != dir1_id_) break;
      item.itemHeight = Dir1.ItemHeight();
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (item.hwndItem != Dir1.hwnd()) break;
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
      // a command is running then, and must not be cut off.
      if (session_.MayClose()) DestroyWindow(hwnd_);
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
