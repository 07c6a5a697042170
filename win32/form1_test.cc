#include "win32/form1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/form1description.h"
#include "win32/testkit/scripteddialogs.h"
#include "win32/testkit/windowtest.h"
#include "win32/twips.h"

namespace {

using Form1Test = WindowTest;

RECT PlaceOf(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The window's own controls, in the order they were made.
std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> children;
  for (HWND h = GetWindow(parent, GW_CHILD); h != nullptr;
       h = GetWindow(h, GW_HWNDNEXT)) {
    children.push_back(h);
  }
  return children;
}

// A menu runs its own modal loop, inside the key that opened it. A timer
// types the keys meant for it, one a tick, and notes what each tick found:
// 'p' the menu open, 'b' the bar alone highlighted, '-' no menu. A menu
// still open once the keys are typed is closed and noted, so that no run
// waits for a user.
class MenuDriver {
 public:
  explicit MenuDriver(std::vector<WPARAM> keys) : keys_(std::move(keys)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
  }
  ~MenuDriver() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  std::string seen;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    MenuDriver* d = current_;
    if (d == nullptr) return;
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(GetCurrentThreadId(), &gui);
    if ((gui.flags & GUI_INMENUMODE) == 0) return;
    // The key that opened the menu is up.
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_MENU] = 0;
    SetKeyboardState(state);
    const HWND popup = FindWindowA("#32768", nullptr);
    d->seen += popup != nullptr && IsWindowVisible(popup) ? 'p' : 'b';
    if (d->next_ < d->keys_.size()) {
      const WPARAM key = d->keys_[d->next_++];
      PostMessageA(gui.hwndFocus, WM_KEYDOWN, key, 1);
      PostMessageA(gui.hwndFocus, WM_KEYUP, key, LPARAM(0xC0000001));
      return;
    }
    EndMenu();
    PostMessageA(gui.hwndFocus, WM_KEYDOWN, VK_ESCAPE, 1);
  }

  static inline MenuDriver* current_ = nullptr;
  std::vector<WPARAM> keys_;
  size_t next_ = 0;
  UINT_PTR timer_ = 0;
};

LOGFONTA FontOf(HWND control) {
  LOGFONTA font{};
  const auto h =
      reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  EXPECT_NE(nullptr, h);
  GetObjectA(h, sizeof font, &font);
  return font;
}

TEST_F(Form1Test, StartsEmptyAndListsTheCurrentDirectory) {
  tmp_.Write("Demo.vbp", "");
  tmp_.Write("Sub/inner.txt", "");
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  form.Show(SW_SHOWNORMAL);
  EXPECT_EQ(0u, form.ProgressCount());
  EXPECT_EQ(form.lst, GetFocus());
  EXPECT_EQ(tmp_.path(), form.Dir1.Path());
  EXPECT_EQ(tmp_.path(), form.File1.Path());
  EXPECT_EQ(std::vector<std::string>{"Demo.vbp"}, Items(form.File1.hwnd()));
  EXPECT_TRUE(dlg.shown.empty());
}

// What the window made, in the order it made them, is the description.
TEST_F(Form1Test, MakesTheControlsOfTheDescription) {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  const WindowDescription& layout = Form1Description();
  const TwipScale tw = TwipScale::OfScreen();
  RECT client{};
  GetClientRect(form.hwnd(), &client);
  EXPECT_EQ(tw.X(layout.width), client.right);
  EXPECT_EQ(tw.Y(layout.height), client.bottom);
  // The window is the content area with a frame and the menu bar.
  RECT frame = client;
  AdjustWindowRectEx(&frame, GetWindowLongA(form.hwnd(), GWL_STYLE), FALSE,
                     GetWindowLongA(form.hwnd(), GWL_EXSTYLE));
  RECT window{};
  GetWindowRect(form.hwnd(), &window);
  EXPECT_EQ(frame.right - frame.left, window.right - window.left);
  EXPECT_EQ(frame.bottom - frame.top + GetSystemMetrics(SM_CYMENU),
            window.bottom - window.top);
  EXPECT_EQ(layout.caption, TextOf(form.hwnd()));
  const std::vector<HWND> made = ChildrenOf(form.hwnd());
  ASSERT_EQ(layout.controls.size(), made.size());
  for (size_t i = 0; i < made.size(); ++i) {
    const ControlDescription& c = layout.controls[i];
    const TwipRect& r = c.twips;
    const RECT want = tw.Rect(r.left, r.top, r.width, r.height);
    const RECT got = PlaceOf(made[i]);
    if (c.kind == ControlKind::kLine) {
      // Two pixels about its edge; the etched static may take an edge of
      // its own at the end, and keeps no font, as it shows no text.
      EXPECT_EQ(want.left, got.left);
      EXPECT_EQ(want.top - 1, got.top);
      EXPECT_EQ(want.top + 1, got.bottom);
      EXPECT_GE(got.right, want.right);
      continue;
    }
    EXPECT_TRUE(EqualRect(&want, &got))
        << c.name << " at " << got.left << "," << got.top;
    if (c.kind == ControlKind::kLabel || c.kind == ControlKind::kButton) {
      // Form_Load gives Label1 its text.
      EXPECT_EQ(c.name == "Label1" ? layout.description : c.text,
                TextOf(made[i]));
    }
    const LOGFONTA font = FontOf(made[i]);
    EXPECT_EQ(c.font.bold ? FW_BOLD : FW_NORMAL, font.lfWeight) << c.name;
    EXPECT_FALSE(font.lfItalic || font.lfUnderline || font.lfStrikeOut);
    if (!c.font.IsDefault()) {
      EXPECT_EQ(ANSI_CHARSET, font.lfCharSet);
      EXPECT_EQ(-MulDiv(static_cast<int>(c.font.points * 100), tw.dpi_y, 7200),
                font.lfHeight);
    }
    const bool tab_stop =
        (GetWindowLongA(made[i], GWL_STYLE) & WS_TABSTOP) != 0;
    EXPECT_EQ(TakesFocus(c.kind), tab_stop) << c.name;
    // IsDialogMessage presses IDOK or IDCANCEL for Enter and Escape.
    const int id = GetDlgCtrlID(made[i]);
    EXPECT_TRUE(id != IDOK && id != IDCANCEL) << id;
  }
}

// The menu's ids are its commands, apart from every control's and from
// the ids that Enter and Escape send. Screen readers say an item's text
// without its ampersand.
TEST_F(Form1Test, MakesTheMenuOfTheDescription) {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  std::set<int> ids = {IDOK, IDCANCEL};
  for (const HWND h : ChildrenOf(form.hwnd())) ids.insert(GetDlgCtrlID(h));
  const auto& menus = Form1Description().menus;
  const HMENU bar = GetMenu(form.hwnd());
  ASSERT_EQ(static_cast<int>(menus.size()), GetMenuItemCount(bar));
  const auto text = [](HMENU menu, int i) {
    char buf[128] = {};
    GetMenuStringA(menu, static_cast<UINT>(i), buf, sizeof buf, MF_BYPOSITION);
    return std::string(buf);
  };
  for (size_t m = 0; m < menus.size(); ++m) {
    EXPECT_EQ(menus[m].title, text(bar, static_cast<int>(m)));
    const HMENU menu = GetSubMenu(bar, static_cast<int>(m));
    const auto& items = menus[m].items;
    ASSERT_EQ(static_cast<int>(items.size()), GetMenuItemCount(menu));
    for (size_t i = 0; i < items.size(); ++i) {
      const int at = static_cast<int>(i);
      const bool separator =
          (GetMenuState(menu, static_cast<UINT>(at), MF_BYPOSITION) &
           MF_SEPARATOR) != 0;
      EXPECT_EQ(items[i].IsSeparator(), separator) << i;
      if (separator) continue;
      EXPECT_EQ(items[i].text, text(menu, at));
      const int id = static_cast<int>(GetMenuItemID(menu, at));
      EXPECT_EQ(static_cast<int>(items[i].command), id);
      EXPECT_TRUE(ids.insert(id).second) << items[i].text;
    }
  }
}

// Alt+F opens the menu, and so do F10 and F; R, A and X choose the items;
// Escape closes the menu and leaves the bar highlighted, a second Escape
// the bar.
TEST_F(Form1Test, KeysOpenTheMenuAndChooseItsItems) {
  tmp_.Write("Work/Alpha/Alpha.vbp", "Type=Exe\r\n");
  const struct {
    WPARAM open;  // with Alt; F10 alone
    std::vector<WPARAM> keys;
    const char* seen;  // what the menu showed at each key
    size_t dialogs;    // open-file dialogs shown
    size_t boxes;
    bool closes;  // the window
  } cases[] = {
      {'F', {VK_ESCAPE, VK_ESCAPE}, "pb", 0, 0, false},
      {'F', {'R'}, "p", 1, 0, false},  // the user cancels the dialog
      {'F', {'A'}, "p", 0, 1, false},  // nothing to restore
      {VK_F10, {'F', 'R'}, "bp", 1, 0, false},
      {'F', {'X'}, "p", 0, 0, true},
  };
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  form.Show(SW_SHOWNORMAL);
  for (const auto& c : cases) {  // the one that closes the window last
    SCOPED_TRACE(&c - cases);
    dlg.files = {{}};
    dlg.answers = {IDOK};
    dlg.dialogs.clear();
    dlg.shown.clear();
    MenuDriver menu(c.keys);
    TypeSystemKey(form, c.open, c.open != VK_F10);
    Pump(form);
    EXPECT_EQ(c.seen, menu.seen);
    EXPECT_EQ(c.dialogs, dlg.dialogs.size());
    EXPECT_EQ(c.boxes, dlg.shown.size());
    EXPECT_EQ(c.closes, form.hwnd() == nullptr);
    if (!c.closes) {
      EXPECT_EQ(form.lst, GetFocus());
    }
  }
}

TEST_F(Form1Test, TextsWithTheWindowsFontFit) {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  const auto& controls = Form1Description().controls;
  const std::vector<HWND> made = ChildrenOf(form.hwnd());
  ASSERT_EQ(controls.size(), made.size());
  const HDC dc = GetDC(nullptr);
  for (size_t i = 0; i < made.size(); ++i) {
    // A bold face is never made smaller; a line shows no text.
    if (!controls[i].font.IsDefault()) continue;
    if (controls[i].kind == ControlKind::kLine) continue;
    const HWND h = made[i];
    const LOGFONTA font = FontOf(h);
    const HFONT fitted = CreateFontIndirectA(&font);
    const HGDIOBJ old = SelectObject(dc, fitted);
    const std::string text = TextOf(h);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()),
                          &size);
    const RECT place = PlaceOf(h);
    EXPECT_LE(size.cx, place.right - place.left) << text;
    SelectObject(dc, old);
    DeleteObject(fitted);
  }
  ReleaseDC(nullptr, dc);
}

TEST_F(Form1Test, TabVisitsControlsInTabIndexOrder) {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  form.Show(SW_SHOWNORMAL);
  const auto& controls = Form1Description().controls;
  const std::vector<HWND> made = ChildrenOf(form.hwnd());
  std::vector<size_t> order;
  for (size_t i = 0; i < controls.size(); ++i) {
    if (TakesFocus(controls[i].kind)) order.push_back(i);
  }
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return controls[a].tab_index < controls[b].tab_index;
  });
  ASSERT_FALSE(order.empty());
  EXPECT_EQ(made[order[0]], GetFocus());
  for (size_t k = 1; k <= order.size(); ++k) {
    Type(form, VK_TAB);
    const size_t next = order[k % order.size()];
    EXPECT_EQ(made[next], GetFocus()) << controls[next].name;
  }
  for (size_t k = order.size() - 1; k > 0; --k) {
    Type(form, VK_TAB, true);
    EXPECT_EQ(made[order[k]], GetFocus()) << controls[order[k]].name;
  }
}

TEST_F(Form1Test, KeysOnAButtonPressItOrLeaveTheFocus) {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  form.Show(SW_SHOWNORMAL);
  SetFocus(form.cmd);
  const struct {
    WPARAM key;
    size_t dialogs;  // open-file dialogs shown so far
  } keys[] = {{VK_RETURN, 1}, {VK_SPACE, 2}, {VK_ESCAPE, 2},
              {VK_DOWN, 2},   {VK_RIGHT, 2}, {VK_UP, 2}};
  for (const auto& k : keys) {
    if (k.dialogs > dlg.dialogs.size()) dlg.files.push_back({});  // cancel
    Type(form, k.key);
    EXPECT_EQ(k.dialogs, dlg.dialogs.size()) << "key " << k.key;
    EXPECT_EQ(form.cmd, GetFocus()) << "key " << k.key;
  }
  EXPECT_TRUE(dlg.shown.empty());
}

TEST_F(Form1Test, FocusComesBackWhenTheWindowIsActivatedAgain) {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  form.Show(SW_SHOWNORMAL);
  SetFocus(form.File1.hwnd());
  const HWND other =
      CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                      nullptr, nullptr, nullptr, nullptr);
  SetActiveWindow(other);
  Pump(form);
  EXPECT_NE(form.File1.hwnd(), GetFocus());
  SetActiveWindow(form.hwnd());
  Pump(form);
  EXPECT_EQ(form.File1.hwnd(), GetFocus());
  DestroyWindow(other);
}

TEST_F(Form1Test, ProgressListKeepsOrderBytesAndSelection) {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  for (const char* item : {"b.vbp", "a.frm", "Forms\\c\xE9.frm"}) {
    form.AddProgress(item);
  }
  form.SelectProgress(1);
  form.SetProgressItem(1, "a.frm... OK");
  form.SetProgressItem(7, "beyond the end");
  EXPECT_EQ(
      (std::vector<std::string>{"b.vbp", "a.frm... OK", "Forms\\c\xE9.frm"}),
      Progress(form));
  EXPECT_EQ(1, SendMessageA(form.lst, LB_GETCURSEL, 0, 0));
  form.ClearProgress();
  EXPECT_EQ(0u, form.ProgressCount());
}

}  // namespace
