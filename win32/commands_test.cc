#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "engine/paths.h"
#include "win32/form1.h"
#include "win32/testkit/scripteddialogs.h"
#include "win32/testkit/windowtest.h"

namespace {

const char kV8Reference[] =
    "Object={5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0; tbln8.ocx\r\n";

std::string Project(const std::string& entries) {
  return "Type=Exe\r\n" + std::string(kV8Reference) + entries +
         "Startup=\"frmMain\"\r\n";
}

const char kForm[] =
    "VERSION 5.00\r\n"
    "Object = \"{5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0\"; "
    "\"tbln8.ocx\"\r\n"
    "Begin VB.Form frmMain \r\n"
    "   Begin Tabulon80.Grid grd\r\n"
    "   End\r\n"
    "End\r\n";

class CommandsTest : public WindowTest {
 protected:
  bool Converted(const std::string& rel) const {
    return tmp_.Read(rel).find("tbln8c.ocx") != std::string::npos &&
           tmp_.Read(rel + ".bak").find("tbln8.ocx") != std::string::npos;
  }
  bool Untouched(const std::string& rel) const {
    return tmp_.Read(rel).find("tbln8.ocx") != std::string::npos &&
           !tmp_.Exists(rel + ".bak");
  }
  // A mouse click, or a double-click, on entry i of a list box.
  static void Click(Form1& form, HWND list, LRESULT i, bool twice) {
    RECT r{};
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM(r.left + 4, (r.top + r.bottom) / 2);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(list, WM_LBUTTONUP, 0, at);
    if (twice) {
      SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
      SendMessageA(list, WM_LBUTTONUP, 0, at);
    }
    Pump(form);
  }
  static LRESULT EntryOf(const FolderList& dir, const std::string& name) {
    for (size_t i = 0; i < dir.EntryCount(); ++i) {
      if (dir.EntryName(i) == name) return static_cast<LRESULT>(i);
    }
    ADD_FAILURE() << "no entry " << name;
    return 0;
  }
};

TEST_F(CommandsTest, FolderListShowsDrivesAncestorsThenSubfolders) {
  for (const char* rel : {"Top/beta/x.txt", "Top/Alpha/x.txt", "Top/gamma/x"}) {
    tmp_.Write(rel, "");
  }
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  ASSERT_TRUE(form.Dir1.SetPath(tmp_ / "Top"));
  const FolderList& dir = form.Dir1;
  const std::vector<std::string> chain = dir.View().chain;
  const size_t drives = dir.EntryCount() - chain.size() - 3;
  for (size_t i = 0; i < drives; ++i) {
    EXPECT_EQ(3u, dir.EntryPath(i).size()) << dir.EntryPath(i);  // "D:\"
    EXPECT_FALSE(dir.EntryIsOpen(i));
  }
  for (size_t i = 0; i < chain.size(); ++i) {
    EXPECT_EQ(chain[i], dir.EntryPath(drives + i));
    EXPECT_TRUE(dir.EntryIsOpen(drives + i));
  }
  EXPECT_EQ("Top", dir.EntryName(drives + chain.size() - 1));
  const std::vector<std::string> subfolders = {"Alpha", "beta", "gamma"};
  for (size_t k = 0; k < subfolders.size(); ++k) {
    const size_t i = drives + chain.size() + k;
    EXPECT_EQ(subfolders[k], dir.EntryName(i));
    EXPECT_EQ(tmp_ / ("Top/" + subfolders[k]), dir.EntryPath(i));
    EXPECT_FALSE(dir.EntryIsOpen(i));
  }
  EXPECT_EQ(subfolders, dir.View().subfolders);
  EXPECT_EQ(static_cast<LRESULT>(drives + chain.size() - 1),
            SendMessageA(dir.hwnd(), LB_GETCURSEL, 0, 0));
}

TEST_F(CommandsTest, OnlyOpeningAnEntryMovesTheLists) {
  tmp_.Write("Sub/One.vbp", "");
  tmp_.Write("Sub/One.vbp.bak", "");
  tmp_.Write("Sub/notes.txt", "");
  tmp_.Write("Sub/Deeper/x.vbp", "");
  tmp_.Write("Other/o.txt", "");
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  form.Show(SW_SHOWNORMAL);
  const HWND list = form.Dir1.hwnd();

  Click(form, list, EntryOf(form.Dir1, "Sub"), false);
  EXPECT_EQ(tmp_.path(), form.Dir1.Path());
  EXPECT_EQ(tmp_.path(), form.File1.Path());

  Click(form, list, EntryOf(form.Dir1, "Sub"), true);
  EXPECT_EQ(tmp_ / "Sub", form.Dir1.Path());
  EXPECT_EQ(tmp_ / "Sub", form.File1.Path());
  EXPECT_EQ((std::vector<std::string>{"notes.txt", "One.vbp", "One.vbp.bak"}),
            Items(form.File1.hwnd()));

  // Up to the parent and into Other with the keyboard alone.
  SetFocus(list);
  const LRESULT parent = EntryOf(form.Dir1, FolderEntryName(tmp_.path()));
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(parent), 0);
  Type(form, VK_RETURN);
  EXPECT_EQ(tmp_.path(), form.Dir1.Path());
  SendMessageA(list, LB_SETCURSEL,
               static_cast<WPARAM>(EntryOf(form.Dir1, "Other") - 1), 0);
  Type(form, VK_DOWN);
  Type(form, VK_RETURN);
  EXPECT_EQ(tmp_ / "Other", form.File1.Path());
  EXPECT_EQ(list, GetFocus());
  EXPECT_TRUE(dlg.shown.empty());
}

// A name with a letter the ANSI code page lacks, one without a look-alike
// and one with ("A" for U+0100): skipping either could skip a project.
// The folder list shows the error when the folder is opened, and a batch
// over it shows it again.
TEST_F(CommandsTest, NameTheCodePageCannotGiveIsReportedWithItsFolder) {
  const struct {
    const char* folder;
    const wchar_t* name;
  } cases[] = {{"Hangul", L"\uAC00.vbp"}, {"Macron", L"\u0100.vbp"}};
  for (const auto& c : cases) {
    tmp_.Write(std::string(c.folder) + "/x.txt", "");
    const std::string folder = tmp_ / c.folder;
    const std::wstring path =
        std::wstring(folder.begin(), folder.end()) + L"\\" + c.name;
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);
    ScriptedDialogs dlg;
    dlg.answers = {IDOK, IDOK};
    Form1 form(dlg, DefaultFileSystem());
    Click(form, form.Dir1.hwnd(), EntryOf(form.Dir1, c.folder), true);
    ASSERT_EQ(1u, dlg.shown.size()) << c.folder;
    EXPECT_EQ("Error 1113: " + SystemText(ERROR_NO_UNICODE_TRANSLATION) + "\n" +
                  folder,
              dlg.shown[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), dlg.shown[0].type);
    EXPECT_EQ(0, SendMessageA(form.File1.hwnd(), LB_GETCOUNT, 0, 0));
    // A batch over the folder meets the same error, never "Done".
    SendMessageA(form.cmdButton2, BM_CLICK, 0, 0);
    ASSERT_EQ(2u, dlg.shown.size()) << c.folder;
    EXPECT_EQ(dlg.shown[0].text, dlg.shown[1].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), dlg.shown[1].type);
  }
}

TEST_F(CommandsTest, CancelledDialogConvertsNothing) {
  ScriptedDialogs dlg;
  dlg.files = {{}};
  Form1 form(dlg, DefaultFileSystem());
  SendMessageA(form.cmd, BM_CLICK, 0, 0);
  ASSERT_EQ(1u, dlg.dialogs.size());
  EXPECT_EQ(std::string("Visual Basic Projecs (*.vbp)\0*.vbp\0", 35),
            dlg.dialogs[0].filter);
  EXPECT_EQ("vbp", dlg.dialogs[0].def_ext);
  EXPECT_EQ("", dlg.dialogs[0].initial);
  EXPECT_EQ(4096u, dlg.dialogs[0].flags);
  EXPECT_EQ(0u, form.ProgressCount());
  EXPECT_TRUE(dlg.shown.empty());
}

TEST_F(CommandsTest, DialogThatFailsIsReported) {
  ScriptedDialogs dlg;
  dlg.files = {{"", FNERR_BUFFERTOOSMALL}};
  dlg.answers = {IDOK};
  Form1 form(dlg, DefaultFileSystem());
  SendMessageA(form.cmd, BM_CLICK, 0, 0);
  ASSERT_EQ(1u, dlg.shown.size());
  EXPECT_EQ("Error 12291: The file name chosen is too long.",
            dlg.shown[0].text);
  EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), dlg.shown[0].type);
}

TEST_F(CommandsTest, ProjectConvertsAfterConfirmation) {
  tmp_.Write("Orders/Orders.vbp",
             Project("Form=frmMain.frm\r\nForm=Forms\\frmOrders.frm\r\n"
                     "UserControl=ucTotals.ctl\r\n"));
  tmp_.Write("Orders/frmMain.frm", kForm);
  tmp_.Write("Orders/Forms/frmOrders.frm", kForm);
  tmp_.Write("Orders/ucTotals.ctl", kForm);
  ScriptedDialogs dlg;
  dlg.files = {{tmp_ / "Orders/Orders.vbp"}};
  dlg.answers = {IDOK, IDOK};
  Form1 form(dlg, DefaultFileSystem());
  form.Show(SW_SHOWNORMAL);
  bool refused_close = false;
  dlg.while_open = [&] {
    if (IsWindowEnabled(form.hwnd())) return;
    SendMessageA(form.hwnd(), WM_CLOSE, 0, 0);
    refused_close = IsWindow(form.hwnd()) != FALSE;
  };

  SendMessageA(form.cmd, BM_CLICK, 0, 0);

  ASSERT_EQ(2u, dlg.shown.size());
  EXPECT_EQ(
      "Ready to convert 'Orders.vbp' from Version 8 to 8c.\r\n\r\n"
      "The original files will be backed up in files with an additional "
      "'.bak' extension.\r\n\r\n"
      "Press OK to proceed or Cancel if you changed your mind.",
      dlg.shown[0].text);
  EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL | MB_ICONINFORMATION),
            dlg.shown[0].type);
  EXPECT_FALSE(dlg.shown[0].owner_enabled);  // disabled from the first reading
  EXPECT_EQ(
      "Project 'Orders.vbp' has been converted from Version 8 to 8c.\r\n\r\n"
      "Copies of the original files were saved with a 'bak' extension in case "
      "you want to restore the original project.\r\n\r\nYou should now open "
      "the new project in VB and compile it to make sure there are no syntax "
      "errors.\r\n\r\n",
      dlg.shown[1].text);
  EXPECT_EQ(0u, dlg.shown[0].details.find(
                    "What OK will do:\n"
                    "Orders.vbp: will be rewritten, 1 line changes\n"))
      << dlg.shown[0].details;
  EXPECT_EQ(
      "What was done:\n"
      "Orders.vbp: rewritten, 1 line changed\n"
      "frmMain.frm: rewritten, 2 lines changed\n"
      "Forms\\frmOrders.frm: rewritten, 2 lines changed\n"
      "ucTotals.ctl: rewritten, 2 lines changed\n"
      "\n"
      "No line is left that names version 8.\n",
      dlg.shown[1].details);
  EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION), dlg.shown[1].type);
  EXPECT_FALSE(dlg.shown[1].owner_enabled);  // still converting
  EXPECT_TRUE(refused_close);
  for (const auto& box : dlg.shown) EXPECT_EQ(kAppTitle, box.title);

  EXPECT_TRUE(IsWindowEnabled(form.hwnd()));
  EXPECT_EQ((std::vector<std::string>{"Orders.vbp... OK", "frmMain.frm... OK",
                                      "Forms\\frmOrders.frm... OK",
                                      "ucTotals.ctl... OK"}),
            Progress(form));
  EXPECT_EQ(3, SendMessageA(form.lst, LB_GETCURSEL, 0, 0));
  for (const char* rel :
       {"Orders/Orders.vbp", "Orders/frmMain.frm", "Orders/Forms/frmOrders.frm",
        "Orders/ucTotals.ctl"}) {
    EXPECT_TRUE(Converted(rel)) << rel;
  }
  char cwd[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, cwd);
  EXPECT_EQ(tmp_ / "Orders", cwd);
  EXPECT_EQ(tmp_.path(), form.Dir1.Path());  // the lists stay put
}

TEST_F(CommandsTest, DeclinedConfirmationChangesNothing) {
  tmp_.Write("Demo.vbp", Project("Form=frmMain.frm\r\n"));
  tmp_.Write("frmMain.frm", kForm);
  ScriptedDialogs dlg;
  dlg.files = {{tmp_ / "Demo.vbp"}};
  dlg.answers = {IDCANCEL};
  Form1 form(dlg, DefaultFileSystem());
  SendMessageA(form.cmd, BM_CLICK, 0, 0);
  EXPECT_EQ(1u, dlg.shown.size());
  EXPECT_TRUE(Untouched("Demo.vbp"));
  EXPECT_TRUE(Untouched("frmMain.frm"));
  EXPECT_EQ(0u, form.ProgressCount());
  EXPECT_TRUE(IsWindowEnabled(form.hwnd()));
}

TEST_F(CommandsTest, BatchConvertsEveryProjectOneLevelDown) {
  tmp_.Write("Batch/top.vbp", Project(""));
  tmp_.Write("Batch/Accounts/Accounts.vbp", Project("Form=frmMain.frm\r\n"));
  tmp_.Write("Batch/Accounts/frmMain.frm", kForm);
  tmp_.Write("Batch/Empty/readme.txt", "");
  tmp_.Write("Batch/Orders/Orders.vbp", Project("Form=frmMain.frm\r\n"));
  tmp_.Write("Batch/Orders/SUMMARY.VBP", Project(""));
  tmp_.Write("Batch/Orders/frmMain.frm", kForm);
  tmp_.Write("Batch/Orders/Old.vbp.bak", Project(""));
  tmp_.Write("Batch/Orders/Deeper/Deep.vbp", Project(""));
  ScriptedDialogs dlg;
  dlg.answers = {IDOK};
  Form1 form(dlg, DefaultFileSystem());
  form.Dir1.SetPath(tmp_ / "Batch");

  SendMessageA(form.cmdButton2, BM_CLICK, 0, 0);

  ASSERT_EQ(1u, dlg.shown.size());
  EXPECT_EQ("Done converting 3 projects.", dlg.shown[0].text);
  EXPECT_EQ(
      "Projects:\n"
      "Accounts\\Accounts.vbp: converted, 2 files rewritten, 0 already "
      "converted\n"
      "Orders\\Orders.vbp: converted, 2 files rewritten, 0 already "
      "converted\n"
      "Orders\\SUMMARY.VBP: converted, 1 file rewritten, 0 already "
      "converted\n"
      "\n"
      "No line is left that names version 8.\n",
      dlg.shown[0].details);
  EXPECT_EQ("Done", dlg.shown[0].title);
  EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION), dlg.shown[0].type);
  EXPECT_TRUE(dlg.shown[0].owner_enabled);
  for (const char* rel :
       {"Batch/Accounts/Accounts.vbp", "Batch/Accounts/frmMain.frm",
        "Batch/Orders/Orders.vbp", "Batch/Orders/SUMMARY.VBP",
        "Batch/Orders/frmMain.frm"}) {
    EXPECT_TRUE(Converted(rel)) << rel;
  }
  for (const char* rel : {"Batch/top.vbp", "Batch/Orders/Old.vbp.bak",
                          "Batch/Orders/Deeper/Deep.vbp"}) {
    EXPECT_TRUE(Untouched(rel)) << rel;
  }
  EXPECT_EQ(tmp_ / "Batch", form.Dir1.Path());
  EXPECT_EQ(tmp_ / "Batch/Orders", form.File1.Path());
  EXPECT_TRUE(IsWindowEnabled(form.hwnd()));
}

TEST_F(CommandsTest, BatchOfFolderWithoutSubfoldersCountsNone) {
  tmp_.Write("Flat/Flat.vbp", Project(""));
  ScriptedDialogs dlg;
  dlg.answers = {IDOK};
  Form1 form(dlg, DefaultFileSystem());
  form.Dir1.SetPath(tmp_ / "Flat");
  SendMessageA(form.cmdButton2, BM_CLICK, 0, 0);
  ASSERT_EQ(1u, dlg.shown.size());
  EXPECT_EQ("Done converting 0 projects.", dlg.shown[0].text);
  EXPECT_TRUE(Untouched("Flat/Flat.vbp"));
}

// Failures read as the system words them: a form missing, or one that
// another program holds open.
TEST_F(CommandsTest, BatchStopsAtAFailureAndTheWindowStaysUsable) {
  const struct {
    bool held;  // B's form exists, opened by another program without sharing
    DWORD error;
  } cases[] = {{false, ERROR_FILE_NOT_FOUND}, {true, ERROR_SHARING_VIOLATION}};
  for (const auto& c : cases) {
    const std::string root = c.held ? "Held" : "Gone";
    tmp_.Write(root + "/A/A.vbp", Project("Form=frmMain.frm\r\n"));
    tmp_.Write(root + "/A/frmMain.frm", kForm);
    tmp_.Write(root + "/B/B.vbp", Project("Form=frmMain.frm\r\n"));
    if (c.held) tmp_.Write(root + "/B/frmMain.frm", kForm);
    tmp_.Write(root + "/C/C.vbp", Project(""));
    const HANDLE held =
        c.held
            ? CreateFileA((tmp_ / (root + "/B/frmMain.frm")).c_str(),
                          GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
            : INVALID_HANDLE_VALUE;
    ScriptedDialogs dlg;
    dlg.answers = {IDOK};
    Form1 form(dlg, DefaultFileSystem());
    form.Show(SW_SHOWNORMAL);
    form.Dir1.SetPath(tmp_ / root);

    SendMessageA(form.cmdButton2, BM_CLICK, 0, 0);
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);

    ASSERT_EQ(1u, dlg.shown.size()) << root;  // no "Done converting" box
    EXPECT_EQ("Error " + std::to_string(c.error) + ": " + SystemText(c.error) +
                  "\n" + tmp_ / (root + "\\B\\frmMain.frm"),
              dlg.shown[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), dlg.shown[0].type);
    EXPECT_EQ(kAppTitle, dlg.shown[0].title);
    EXPECT_TRUE(dlg.shown[0].owner_enabled);
    EXPECT_TRUE(Converted(root + "/A/A.vbp"));
    EXPECT_TRUE(Untouched(root + "/C/C.vbp"));
    EXPECT_TRUE(IsWindowEnabled(form.hwnd()));
    EXPECT_TRUE(IsWindow(form.hwnd()));
  }
}

}  // namespace
