#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/form1description.h"
#include "engine/paths.h"
#include "engine/testkit/sampletrees.h"
#include "win32/form1.h"
#include "win32/testkit/scripteddialogs.h"
#include "win32/testkit/windowtest.h"

namespace {

class CommandsTest : public WindowTest {
 protected:
  // Every file below the test's folder, by its path from there.
  std::map<std::string, std::string> Tree() const {
    std::map<std::string, std::string> tree;
    const std::filesystem::path top = tmp_.path();
    for (const auto& e : std::filesystem::recursive_directory_iterator(top)) {
      if (!e.is_regular_file()) continue;
      const std::string rel = e.path().lexically_relative(top).string();
      tree[rel] = tmp_.Read(rel);
    }
    return tree;
  }
  // The menu item chosen, as the menu sends it.
  static void Choose(Form1& form, MenuCommand command) {
    SendMessageA(form.hwnd(), WM_COMMAND,
                 MAKEWPARAM(static_cast<int>(command), 0), 0);
  }
  bool Converted(const std::string& rel) const {
    return tmp_.Read(rel).find("tbln8c.ocx") != std::string::npos &&
           tmp_.Read(rel + ".bak").find("tbln8.ocx") != std::string::npos;
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

// The dialog as the description says, and what the system says when it
// cannot show it.
TEST_F(CommandsTest, OpenFileDialogIsMadeFromTheDescription) {
  const struct {
    DWORD error;
    const char* shown;  // the failure's text; none for a cancel
  } cases[] = {
      {0, nullptr},
      {FNERR_BUFFERTOOSMALL, "Error 12291: The file name chosen is too long."}};
  for (const auto& c : cases) {
    ScriptedDialogs dlg;
    dlg.files = {{"", c.error}};
    dlg.answers = {IDOK};
    Form1 form(dlg, DefaultFileSystem());
    SendMessageA(form.cmd, BM_CLICK, 0, 0);
    ASSERT_EQ(1u, dlg.dialogs.size());
    EXPECT_EQ(std::string("Visual Basic Projecs (*.vbp)\0*.vbp\0", 35),
              dlg.dialogs[0].filter);
    EXPECT_EQ("vbp", dlg.dialogs[0].def_ext);
    EXPECT_EQ("", dlg.dialogs[0].initial);
    EXPECT_EQ(4096u, dlg.dialogs[0].flags);
    EXPECT_EQ(0u, form.ProgressCount());
    ASSERT_EQ(c.shown == nullptr ? 0u : 1u, dlg.shown.size()) << c.error;
    if (c.shown == nullptr) continue;
    EXPECT_EQ(c.shown, dlg.shown[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), dlg.shown[0].type);
  }
}

// Each command once through the real window, from the click to its last
// box: what the command does is tested with the engine, against a
// recording window; here, that the window gives it what it needs and shows
// what it is told.
TEST_F(CommandsTest, ProjectConvertsAfterConfirmation) {
  WriteTree(tmp_.path(), CommandOrders());
  ScriptedDialogs dlg;
  dlg.files = {{tmp_ / "Orders/Orders.vbp"}};
  dlg.answers = {IDOK, IDOK};
  Form1 form(dlg, DefaultFileSystem());
  form.Show(SW_SHOWNORMAL);
  // Neither the close button nor a menu item does anything while a command
  // runs: a restore would ask for a dialog nobody scripted.
  bool refused_close = true;
  dlg.while_open = [&] {
    SendMessageA(form.hwnd(), WM_CLOSE, 0, 0);
    for (const MenuCommand c :
         {MenuCommand::kRestoreProject, MenuCommand::kRestoreFolder,
          MenuCommand::kExit}) {
      Choose(form, c);
    }
    refused_close = refused_close && IsWindow(form.hwnd()) != FALSE;
  };

  SendMessageA(form.cmd, BM_CLICK, 0, 0);

  ASSERT_EQ(2u, dlg.shown.size());
  EXPECT_EQ(0u, dlg.shown[0].text.find(
                    "Ready to convert 'Orders.vbp' from Version 8 to 8c.\r\n"));
  EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL | MB_ICONINFORMATION),
            dlg.shown[0].type);
  EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION), dlg.shown[1].type);
  EXPECT_EQ(0u, dlg.shown[1].details.find("What was done:\n"));
  for (const auto& box : dlg.shown) {
    EXPECT_EQ(kAppTitle, box.title);
    EXPECT_FALSE(box.owner_enabled);
  }
  EXPECT_TRUE(refused_close);

  EXPECT_TRUE(IsWindowEnabled(form.hwnd()));
  EXPECT_EQ((std::vector<std::string>{"Orders.vbp... OK", "frmMain.frm... OK",
                                      "Forms\\frmOrders.frm... OK",
                                      "ucTotals.ctl... OK"}),
            Progress(form));
  EXPECT_EQ(3, SendMessageA(form.lst, LB_GETCURSEL, 0, 0));
  for (const auto& [rel, file] : CommandOrders()) {
    EXPECT_TRUE(Converted(rel)) << rel;
  }
  char cwd[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, cwd);
  EXPECT_EQ(tmp_ / "Orders", cwd);
  EXPECT_EQ(tmp_.path(), form.Dir1.Path());   // the lists stay put
  SendMessageA(form.hwnd(), WM_CLOSE, 0, 0);  // idle again
  EXPECT_EQ(nullptr, form.hwnd());
}

TEST_F(CommandsTest, BatchConvertsEveryProjectOneLevelDown) {
  tmp_.Write("Batch/Accounts/Accounts.vbp",
             CommandProject("Form=frmMain.frm\r\n"));
  tmp_.Write("Batch/Accounts/frmMain.frm", kCommandForm);
  tmp_.Write("Batch/Orders/Orders.vbp", CommandProject("Form=frmMain.frm\r\n"));
  tmp_.Write("Batch/Orders/frmMain.frm", kCommandForm);
  ScriptedDialogs dlg;
  dlg.answers = {IDOK};
  Form1 form(dlg, DefaultFileSystem());
  form.Show(SW_SHOWNORMAL);
  form.Dir1.SetPath(tmp_ / "Batch");

  SendMessageA(form.cmdButton2, BM_CLICK, 0, 0);

  ASSERT_EQ(1u, dlg.shown.size());
  EXPECT_EQ("Done converting 2 projects.", dlg.shown[0].text);
  EXPECT_EQ(0u, dlg.shown[0].details.find("Projects:\nAccounts\\Accounts.vbp"));
  EXPECT_EQ("Done", dlg.shown[0].title);
  EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION), dlg.shown[0].type);
  EXPECT_TRUE(dlg.shown[0].owner_enabled);
  EXPECT_EQ((std::vector<std::string>{"Orders.vbp... OK", "frmMain.frm... OK"}),
            Progress(form));
  for (const char* rel :
       {"Batch/Accounts/Accounts.vbp", "Batch/Orders/frmMain.frm"}) {
    EXPECT_TRUE(Converted(rel)) << rel;
  }
  EXPECT_EQ(tmp_ / "Batch", form.Dir1.Path());
  EXPECT_EQ(tmp_ / "Batch/Orders", form.File1.Path());
  EXPECT_TRUE(IsWindowEnabled(form.hwnd()));
}

// Each restore once through the menu: a batch converted, one project of it
// restored on its own, then the rest of the folder.
TEST_F(CommandsTest, MenuRestoresAProjectThenTheFolder) {
  tmp_.Write("Batch/Accounts/Accounts.vbp",
             CommandProject("Form=frmMain.frm\r\n"));
  tmp_.Write("Batch/Accounts/frmMain.frm", kCommandForm);
  tmp_.Write("Batch/Orders/Orders.vbp",
             CommandProject("UserControl=ucBox.ctl\r\n"));
  tmp_.Write("Batch/Orders/ucBox.ctl", kCommandForm);
  const auto before = Tree();
  ScriptedDialogs dlg;
  dlg.files = {{tmp_ / "Batch/Accounts/Accounts.vbp"}};
  dlg.answers = {IDOK, IDOK, IDOK, IDOK, IDOK};
  Form1 form(dlg, DefaultFileSystem());
  form.Dir1.SetPath(tmp_ / "Batch");
  SendMessageA(form.cmdButton2, BM_CLICK, 0, 0);
  ASSERT_TRUE(Converted("Batch/Accounts/frmMain.frm"));

  Choose(form, MenuCommand::kRestoreProject);
  ASSERT_EQ(1u, dlg.dialogs.size());
  EXPECT_EQ(4096u, dlg.dialogs[0].flags);
  EXPECT_EQ("Project 'Accounts.vbp' has been restored from its backups.",
            dlg.shown.back().text);
  EXPECT_EQ((std::vector<std::string>{"Accounts.vbp... restored",
                                      "frmMain.frm... restored"}),
            Progress(form));

  Choose(form, MenuCommand::kRestoreFolder);
  EXPECT_EQ("Done", dlg.shown.back().title);
  EXPECT_EQ("Done restoring 1 projects.", dlg.shown.back().text);
  EXPECT_EQ((std::vector<std::string>{"Orders.vbp... restored",
                                      "ucBox.ctl... restored"}),
            Progress(form));
  EXPECT_EQ(before, Tree());
  EXPECT_TRUE(dlg.answers.empty());
  EXPECT_TRUE(IsWindowEnabled(form.hwnd()));
}

}  // namespace
