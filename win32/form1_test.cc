#include "win32/form1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
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
