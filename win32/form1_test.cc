#include "win32/form1.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

LOGFONTA FontOf(HWND control) {
  LOGFONTA font{};
  const auto h =
      reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  EXPECT_NE(nullptr, h);
  GetObjectA(h, sizeof font, &font);
  return font;
}

TEST_F(Form1Test, StartsWithItsTextsAndListsAtCurrentDirectory) {
  tmp_.Write("Demo.vbp", "");
  tmp_.Write("Sub/inner.txt", "");
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  form.Show(SW_SHOWNORMAL);
  const struct {
    HWND control;
    const char* text;
  } texts[] = {
      {form.hwnd(), "Quorvane Tabulon 8 to 8c Migration Utility"},
      {form.Label1,
       "This utility converts VB projects that use Tabulon8 to Tabulon8c"},
      {form.cmd, "Select project to convert"},
      {form.Label5, "Project Files:"},
      {form.Label2, ""},
      {form.Label4, "Batch Conversion:"},
      {form.cmdButton2, "Convert all projects in the selected folder"},
      {form.Label3, "Double-click a folder to select it."},
  };
  for (const auto& t : texts) EXPECT_EQ(t.text, TextOf(t.control));
  EXPECT_EQ(0u, form.ProgressCount());
  EXPECT_EQ(form.lst, GetFocus());
  EXPECT_EQ(tmp_.path(), form.Dir1.Path());
  EXPECT_EQ(tmp_.path(), form.File1.Path());
  EXPECT_EQ(std::vector<std::string>{"Demo.vbp"}, Items(form.File1.hwnd()));
  EXPECT_TRUE(dlg.shown.empty());
}

TEST_F(Form1Test, ControlsSitWhereTheirTwipsSay) {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  const TwipScale tw = TwipScale::OfScreen();
  RECT client{};
  GetClientRect(form.hwnd(), &client);
  EXPECT_EQ(tw.X(6405), client.right);
  EXPECT_EQ(tw.Y(4170), client.bottom);
  const struct {
    HWND control;
    int left, top, width, height;
  } places[] = {
      {form.Label1, 120, 120, 6150, 390},
      {form.cmd, 120, 840, 3885, 555},
      {form.Label5, 120, 1560, 1215, 195},
      {form.lst, 120, 1800, 6015, 1665},
      {form.Label2, 120, 3600, 6135, 195},
      {form.Label4, 120, 4440, 2415, 255},
      {form.cmdButton2, 2640, 4800, 3615, 375},
      {form.Label3, 120, 4920, 2415, 255},
      {form.Dir1.hwnd(), 120, 5280, 2415, 1215},
      {form.File1.hwnd(), 2640, 5280, 3615, 1260},
  };
  for (const auto& p : places) {
    const RECT want = tw.Rect(p.left, p.top, p.width, p.height);
    const RECT got = PlaceOf(p.control);
    EXPECT_TRUE(EqualRect(&want, &got))
        << TextOf(p.control) << " at " << got.left << "," << got.top;
    // IsDialogMessage presses IDOK or IDCANCEL for Enter and Escape.
    const int id = GetDlgCtrlID(p.control);
    EXPECT_TRUE(id != IDOK && id != IDCANCEL) << id;
  }
  // The separator and the whole batch area lie below the content area.
  EXPECT_GE(PlaceOf(form.Line1).top, client.bottom);
  EXPECT_GE(PlaceOf(form.Label4).top, client.bottom);
}

TEST_F(Form1Test, EveryControlHasItsFontAndTextsFit) {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  for (HWND bold : {form.cmd, form.Label4}) {
    const LOGFONTA font = FontOf(bold);
    EXPECT_EQ(FW_BOLD, font.lfWeight);
    EXPECT_EQ(ANSI_CHARSET, font.lfCharSet);
    EXPECT_FALSE(font.lfItalic || font.lfUnderline || font.lfStrikeOut);
    EXPECT_EQ(-MulDiv(825, TwipScale::OfScreen().dpi_y, 7200), font.lfHeight);
  }
  const HDC dc = GetDC(nullptr);
  for (HWND h :
       {form.lst, form.Label1, form.Label2, form.Label5, form.cmdButton2,
        form.Dir1.hwnd(), form.File1.hwnd(), form.Label3}) {
    const LOGFONTA font = FontOf(h);
    EXPECT_EQ(FW_NORMAL, font.lfWeight) << TextOf(h);
    const HFONT made = CreateFontIndirectA(&font);
    const HGDIOBJ old = SelectObject(dc, made);
    const std::string text = TextOf(h);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()),
                          &size);
    const RECT place = PlaceOf(h);
    EXPECT_LE(size.cx, place.right - place.left) << text;
    SelectObject(dc, old);
    DeleteObject(made);
  }
  ReleaseDC(nullptr, dc);
}

TEST_F(Form1Test, TabVisitsControlsInTabIndexOrder) {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  form.Show(SW_SHOWNORMAL);
  const std::vector<HWND> order = {form.cmdButton2, form.Dir1.hwnd(),
                                   form.File1.hwnd(), form.cmd, form.lst};
  for (HWND next : order) {
    Type(form, VK_TAB);
    EXPECT_EQ(next, GetFocus()) << TextOf(next);
  }
  for (auto it = order.rbegin() + 1; it != order.rend(); ++it) {
    Type(form, VK_TAB, true);
    EXPECT_EQ(*it, GetFocus()) << TextOf(*it);
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

TEST_F(Form1Test, ClosesWhenIdleButNotWhileDisabled) {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  form.Show(SW_SHOWNORMAL);
  form.SetWindowEnabled(false);
  SendMessageA(form.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(form.hwnd()));
  form.SetWindowEnabled(true);
  SendMessageA(form.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(nullptr, form.hwnd());
}

}  // namespace
