// The window's commands from the handler's call to the last box, through a
// session over a recording window and a real tree.
#include "engine/commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/commandsession.h"
#include "engine/testkit/recordingwindow.h"
#include "engine/testkit/sampletrees.h"
#include "engine/testkit/testing.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using Items = std::vector<std::string>;

// A path below the batch folder as the details name it.
std::string Native(std::string rel) {
  if (kWindows) std::replace(rel.begin(), rel.end(), '/', '\\');
  return rel;
}

void ExpectBox(const RecordingWindow::Shown& shown, BoxIcon icon,
               const char* title, bool enabled) {
  EXPECT_EQ(icon, shown.box.icon) << shown.box.text;
  EXPECT_FALSE(shown.box.cancel) << shown.box.text;
  EXPECT_EQ(title, shown.box.title) << shown.box.text;
  EXPECT_EQ(enabled, shown.enabled) << shown.box.text;
}

bool StartsWith(const std::string& s, const std::string& start) {
  return s.rfind(start, 0) == 0;
}

bool EndsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() &&
         s.compare(s.size() - end.size(), end.size(), end) == 0;
}

class CommandsTest : public ::testing::Test {
 protected:
  // The commands change the current directory; the folders they enter go
  // when the test ends.
  void TearDown() override { std::filesystem::current_path(cwd_); }

  bool Converted(const std::string& rel) const {
    return dir.Read(rel).find("tbln8c.ocx") != std::string::npos &&
           dir.Read(rel + ".bak").find("tbln8.ocx") != std::string::npos;
  }
  bool Untouched(const std::string& rel) const {
    return dir.Read(rel).find("tbln8.ocx") != std::string::npos &&
           !dir.Exists(rel + ".bak");
  }
  std::string CurrentDir() const {
    std::string cwd;
    EXPECT_FALSE(DefaultFileSystem().CurrentDir(&cwd));
    return cwd;
  }

  std::filesystem::path cwd_ = std::filesystem::current_path();
  TempDir dir;
  RecordingWindow window;
  const Tables tables = InitTables();
  CommandSession session{window, tables, DefaultFileSystem()};
};

// A cancelled dialog ends the command quietly; one that could not be shown
// says why.
TEST_F(CommandsTest, TheDialogIsAskedForAProjectFile) {
  const struct {
    FileChoice choice;
    size_t boxes;
  } cases[] = {{{"", ""}, 0}, {{"", "Error 12291: The name is too long."}, 1}};
  for (const auto& c : cases) {
    window.files = {c.choice};
    window.answers = {true};
    window.calls.clear();
    window.shown.clear();
    session.Run(ConvertChosenProject);
    EXPECT_EQ("OpenFile Visual Basic Projecs (*.vbp)|*.vbp|vbp",
              window.calls.at(0));
    ASSERT_EQ(c.boxes, window.shown.size());
    if (c.boxes == 0) continue;
    ExpectBox(window.shown[0], BoxIcon::kCritical, kAppTitle, true);
    EXPECT_EQ(c.choice.error, window.shown[0].box.text);
  }
  EXPECT_TRUE(window.progress.empty());
}

// The menu's items while a command runs, as from a box's own event loop:
// none starts a command or closes the window. Idle, Exit closes it.
TEST_F(CommandsTest, MenuDoesNothingWhileACommandRuns) {
  session.Run([](CommandSession& s) {
    for (MenuCommand c : {MenuCommand::kRestoreProject,
                          MenuCommand::kRestoreFolder, MenuCommand::kExit}) {
      RunMenuCommand(s, c);
    }
  });
  EXPECT_TRUE(window.calls.empty());
  RunMenuCommand(session, MenuCommand::kExit);
  EXPECT_EQ(std::vector<std::string>{"Close"}, window.calls);
}

TEST_F(CommandsTest, ProjectConvertsAfterConfirmation) {
  WriteTree(dir.path(), CommandOrders());
  window.files = {{dir / "Orders/Orders.vbp", ""}};
  window.answers = {true, true};
  bool may_close = true;
  window.while_open = [&] { may_close = may_close && session.MayClose(); };

  session.Run(ConvertChosenProject);

  ASSERT_EQ(2u, window.shown.size());
  const BoxDescription& question = window.shown[0].box;
  EXPECT_TRUE(question.cancel);
  EXPECT_EQ(kAppTitle, question.title);
  EXPECT_EQ(BoxIcon::kInformation, question.icon);
  EXPECT_TRUE(StartsWith(question.text, "Ready to convert 'Orders.vbp'"));
  EXPECT_TRUE(StartsWith(question.details,
                         "What OK will do:\n"
                         "Orders.vbp: will be rewritten, 1 line changes\n"))
      << question.details;
  // The window is disabled from the first reading: the plan too may take
  // a while on a large project. The completion box comes before it is
  // enabled again, and it cannot be closed meanwhile.
  EXPECT_FALSE(window.shown[0].enabled);
  ExpectBox(window.shown[1], BoxIcon::kInformation, kAppTitle, false);
  EXPECT_TRUE(StartsWith(window.shown[1].box.text, "Project 'Orders.vbp' has"));
  EXPECT_EQ(
      "What was done:\n"
      "Orders.vbp: rewritten, 1 line changed\n"
      "frmMain.frm: rewritten, 2 lines changed\n"
      "Forms\\frmOrders.frm: rewritten, 2 lines changed\n"
      "ucTotals.ctl: rewritten, 2 lines changed\n"
      "\n"
      "No line is left that names version 8.\n",
      window.shown[1].box.details);
  EXPECT_FALSE(may_close);

  EXPECT_TRUE(window.enabled && session.MayClose());
  EXPECT_EQ((Items{"Orders.vbp... OK", "frmMain.frm... OK",
                   "Forms\\frmOrders.frm... OK", "ucTotals.ctl... OK"}),
            window.progress);
  EXPECT_EQ("SelectProgress 3",
            *std::find_if(window.calls.rbegin(), window.calls.rend(),
                          [](const std::string& call) {
                            return StartsWith(call, "Select");
                          }));
  for (const auto& [rel, file] : CommandOrders()) {
    EXPECT_TRUE(Converted(rel)) << rel;
  }
  EXPECT_EQ(dir / "Orders", CurrentDir());
}

TEST_F(CommandsTest, DeclinedConfirmationChangesNothing) {
  dir.Write("Demo.vbp", CommandProject("Form=frmMain.frm\r\n"));
  dir.Write("frmMain.frm", kCommandForm);
  window.files = {{dir / "Demo.vbp", ""}};
  window.answers = {false};
  session.Run(ConvertChosenProject);
  EXPECT_EQ(1u, window.shown.size());
  EXPECT_TRUE(Untouched("Demo.vbp"));
  EXPECT_TRUE(Untouched("frmMain.frm"));
  EXPECT_TRUE(window.progress.empty());
  EXPECT_TRUE(window.enabled);
}

TEST_F(CommandsTest, FailureIsReportedAndTheWindowStaysUsable) {
  dir.Write("Demo.vbp",
            CommandProject("Form=frmMain.frm\r\nForm=frmGone.frm\r\n"));
  dir.Write("frmMain.frm", kCommandForm);
  window.files = {{dir / "Demo.vbp", ""}, {"", ""}};
  window.answers = {true, true};

  session.Run(ConvertChosenProject);

  ASSERT_EQ(2u, window.shown.size());
  const std::string& text = window.shown[1].box.text;
  ExpectBox(window.shown[1], BoxIcon::kCritical, kAppTitle, true);
  // ENOENT, or Windows's ERROR_FILE_NOT_FOUND: both are 2.
  EXPECT_TRUE(StartsWith(text, "Error 2: ")) << text;
  EXPECT_TRUE(EndsWith(text, "\n" + dir / "frmGone.frm")) << text;
  EXPECT_TRUE(window.enabled);
  EXPECT_TRUE(Untouched("frmMain.frm"));
  // A second command runs.
  session.Run(ConvertChosenProject);
  EXPECT_TRUE(window.files.empty());
}

TEST_F(CommandsTest, BatchConvertsEveryProjectOneLevelDown) {
  dir.Write("Batch/top.vbp", CommandProject(""));
  dir.Write("Batch/Accounts/Accounts.vbp",
            CommandProject("Form=frmMain.frm\r\n"));
  dir.Write("Batch/Accounts/frmMain.frm", kCommandForm);
  dir.Write("Batch/Empty/readme.txt", "");
  dir.Write("Batch/Letters/Letters.vbp", "Type=Exe\r\nForm=frmNotes.frm\r\n");
  dir.Write("Batch/Orders/Orders.vbp", CommandProject("Form=frmMain.frm\r\n"));
  dir.Write("Batch/Orders/SUMMARY.VBP", CommandProject(""));
  dir.Write("Batch/Orders/frmMain.frm", kCommandForm);
  dir.Write("Batch/Orders/Old.vbp.bak", CommandProject(""));
  dir.Write("Batch/Orders/Deeper/Deep.vbp", CommandProject(""));
  dir.Write(
      "Batch/Shipping/Shipping.vbp",
      CommandProject("Form=Forms\\frmShip.frm\r\nUserControl=ucBox.ctl\r\n"));
  dir.Write("Batch/Shipping/Forms/frmShip.frm", kCommandForm);
  dir.Write("Batch/Shipping/ucBox.ctl", kCommandForm);
  window.OpenFolder(dir / "Batch");
  window.answers = {true, true};

  session.Run(ConvertBatchFolder);

  ASSERT_EQ(2u, window.shown.size());
  // The first comes while its project is read, before its list is filled;
  // the last after the batch.
  ExpectBox(window.shown[0], BoxIcon::kInformation, kAppTitle, false);
  EXPECT_TRUE(StartsWith(window.shown[0].box.text,
                         "Couldn't find any convertible controls in "
                         "'Letters.vbp'."));
  EXPECT_EQ(Items(), window.shown[0].progress);
  ExpectBox(window.shown[1], BoxIcon::kInformation, kDoneTitle, true);
  EXPECT_EQ("Done converting 5 projects.", window.shown[1].box.text);
  EXPECT_EQ("Projects:\n" + Native("Accounts/Accounts.vbp") +
                ": converted, 2 files rewritten, 0 already converted\n" +
                Native("Letters/Letters.vbp") + ": no convertible controls\n" +
                Native("Orders/Orders.vbp") +
                ": converted, 2 files rewritten, 0 already converted\n" +
                Native("Orders/SUMMARY.VBP") +
                ": converted, 1 file rewritten, 0 already converted\n" +
                Native("Shipping/Shipping.vbp") +
                ": converted, 3 files rewritten, 0 already converted\n"
                "\nNo line is left that names version 8.\n",
            window.shown[1].box.details);
  EXPECT_EQ((Items{"Shipping.vbp... OK", "Forms\\frmShip.frm... OK",
                   "ucBox.ctl... OK"}),
            window.shown[1].progress);

  for (const char* rel :
       {"Batch/Accounts/Accounts.vbp", "Batch/Accounts/frmMain.frm",
        "Batch/Orders/Orders.vbp", "Batch/Orders/SUMMARY.VBP",
        "Batch/Orders/frmMain.frm", "Batch/Shipping/Shipping.vbp",
        "Batch/Shipping/Forms/frmShip.frm", "Batch/Shipping/ucBox.ctl"}) {
    EXPECT_TRUE(Converted(rel)) << rel;
  }
  for (const char* rel : {"Batch/top.vbp", "Batch/Orders/Old.vbp.bak",
                          "Batch/Orders/Deeper/Deep.vbp"}) {
    EXPECT_TRUE(Untouched(rel)) << rel;
  }
  EXPECT_EQ(dir / "Batch/Shipping", window.file_list.Path());
  EXPECT_EQ(dir / "Batch/Shipping", CurrentDir());
  EXPECT_TRUE(window.enabled);
}

TEST_F(CommandsTest, BatchOfFolderWithoutSubfoldersCountsNone) {
  dir.Write("Flat/Flat.vbp", CommandProject(""));
  window.OpenFolder(dir / "Flat");
  window.answers = {true};
  session.Run(ConvertBatchFolder);
  ASSERT_EQ(1u, window.shown.size());
  EXPECT_EQ("Done converting 0 projects.", window.shown[0].box.text);
  EXPECT_TRUE(Untouched("Flat/Flat.vbp"));
}

TEST_F(CommandsTest, BatchConvertsASharedFormOnce) {
  // The library line inside a property survives conversion, so the contents
  // alone do not tell that the form was converted by the first project.
  const std::string shared =
      "VERSION 5.00\r\n"
      "Begin VB.Form frmShared\r\n"
      "   Begin Tabulon80.Grid grd\r\n"
      "      Tag = \"Object = "
      "\"{5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0\"; "
      "\"tbln8.ocx\"\"\r\n"
      "   End\r\n"
      "End\r\n";
  dir.Write("Two/Pair/A.vbp", CommandProject("Form=frmShared.frm\r\n"));
  dir.Write("Two/Pair/B.vbp", CommandProject("Form=frmShared.frm\r\n"));
  dir.Write("Two/Pair/frmShared.frm", shared);
  window.OpenFolder(dir / "Two");
  window.answers = {true};
  session.Run(ConvertBatchFolder);
  ASSERT_EQ(1u, window.shown.size());
  EXPECT_EQ("Done converting 2 projects.", window.shown[0].box.text);
  EXPECT_EQ(shared, dir.Read("Two/Pair/frmShared.frm.bak"));
  const std::string now = dir.Read("Two/Pair/frmShared.frm");
  EXPECT_NE(std::string::npos, now.find("Begin Tabulon80c.Grid grd"));
  EXPECT_EQ(std::string::npos, now.find("Tabulon80cc"));
}

// A form missing, or, on Windows, one that another program holds open:
// the failure reads as the system words it.
TEST_F(CommandsTest, BatchStopsAtAFailureAndTheWindowStaysUsable) {
  const struct {
    const char* root;
    bool held;  // B's form exists, opened by another program
    int error;
  } cases[] = {
      {"Gone", false, 2},
#ifdef _WIN32
      {"Held", true, ERROR_SHARING_VIOLATION},
#endif
  };
  for (const auto& c : cases) {
    const std::string root = c.root;
    dir.Write(root + "/A/A.vbp", CommandProject("Form=frmMain.frm\r\n"));
    dir.Write(root + "/A/frmMain.frm", kCommandForm);
    dir.Write(root + "/B/B.vbp",
              CommandProject("Form=frmMain.frm\r\nForm=frmOther.frm\r\n"));
    dir.Write(root + "/B/frmMain.frm", kCommandForm);
    if (c.held) dir.Write(root + "/B/frmOther.frm", kCommandForm);
    dir.Write(root + "/C/C.vbp", CommandProject(""));
#ifdef _WIN32
    const HANDLE held =
        c.held
            ? CreateFileA((dir / (root + "/B/frmOther.frm")).c_str(),
                          GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
            : INVALID_HANDLE_VALUE;
#endif
    window.OpenFolder(dir / root);
    window.answers = {true};
    window.shown.clear();

    session.Run(ConvertBatchFolder);
#ifdef _WIN32
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
#endif

    ASSERT_EQ(1u, window.shown.size()) << root;  // no "Done converting" box
    const BoxDescription& box = window.shown[0].box;
    ExpectBox(window.shown[0], BoxIcon::kCritical, kAppTitle, true);
    EXPECT_TRUE(StartsWith(box.text, "Error " + std::to_string(c.error)))
        << box.text;
    EXPECT_TRUE(EndsWith(box.text, "\n" + dir / (root + "/B/frmOther.frm")))
        << box.text;
    EXPECT_EQ("Converted before the error:\n" + Native("A/A.vbp") +
                  ": converted, 2 files rewritten, 0 already converted\n\n"
                  "No line is left that names version 8.\n",
              box.details);
    EXPECT_TRUE(Converted(root + "/A/A.vbp"));
    EXPECT_TRUE(Untouched(root + "/B/frmMain.frm"));
    EXPECT_TRUE(Untouched(root + "/C/C.vbp"));
    EXPECT_TRUE(window.enabled);
  }
}

// The folder list opened a folder it could not list: the file list follows
// it and reports that once, and a batch over it reports it again, never
// "Done". On Windows a name the system's code page cannot spell stops the
// listing too, as any failure does, so no project is passed over.
TEST_F(CommandsTest, AFolderThatCannotBeListedIsReportedWithItsPath) {
  struct Case {
    std::string folder;
    int error;
  };
  // A folder gone: ENOENT, or on Windows ERROR_PATH_NOT_FOUND.
  std::vector<Case> cases = {{dir / "Gone", kWindows ? 3 : 2}};
#ifdef _WIN32
  // One without a look-alike in the code page, and one with ("A" for
  // U+0100).
  for (const wchar_t* name : {L"\uAC00.vbp", L"\u0100.vbp"}) {
    const std::string folder = dir / ("Odd" + std::to_string(cases.size()));
    std::filesystem::create_directories(folder);
    std::ofstream(std::filesystem::path(folder) / name) << "";
    cases.push_back({folder, ERROR_NO_UNICODE_TRANSLATION});
  }
#endif
  for (const Case& c : cases) {
    window.OpenFolder(c.folder);
    window.answers = {true, true};
    window.shown.clear();
    session.Run(FollowFolder);
    session.Run(ConvertBatchFolder);
    ASSERT_EQ(2u, window.shown.size()) << c.folder;
    const std::string& text = window.shown[0].box.text;
    EXPECT_TRUE(StartsWith(text, "Error " + std::to_string(c.error) + ": "))
        << text;
    EXPECT_TRUE(EndsWith(text, "\n" + c.folder)) << text;
    EXPECT_EQ(text, window.shown[1].box.text);
    for (const auto& shown : window.shown) {
      ExpectBox(shown, BoxIcon::kCritical, kAppTitle, true);
    }
    EXPECT_EQ(0u, window.file_list.FileCount());
  }
}

// The sample project made to show it: a module, a class and a property page
// that name the grid, and a reference to its library.
TEST_F(CommandsTest, ExampleShowsWhatIsLeftForTheUser) {
  std::filesystem::copy(EXAMPLES_DIR "/Ledger", dir / "Ledger");
  window.files = {{dir / "Ledger/Ledger.vbp", ""}};
  window.answers = {true, true};
  session.Run(ConvertChosenProject);
  ASSERT_EQ(2u, window.shown.size());
  EXPECT_EQ(
      "What OK will do:\n"
      "Ledger.vbp: will be rewritten, 1 line changes\n"
      "    line 4: Object={5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0; "
      "tbln8.ocx\n"
      "         -> Object={e81f4c2a-6d07-4b93-a5c1-3f72b9e0d614}#8.0#0; "
      "tbln8c.ocx\n"
      "frmLedger.frm: will be rewritten, 3 lines change\n"
      "    line 2: Object = \"{5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0\"; "
      "\"tbln8.ocx\"\n"
      "         -> Object = \"{e81f4c2a-6d07-4b93-a5c1-3f72b9e0d614}#8.0#0\"; "
      "\"tbln8c.ocx\"\n"
      "    line 13:    Begin Tabulon80.Grid grdLedger \n"
      "          ->    Begin Tabulon80c.Grid grdLedger \n"
      "    line 34:     Dim grd As Tabulon80.Grid\n"
      "          ->     Dim grd As Tabulon80c.Grid\n",
      window.shown[0].box.details);
  EXPECT_EQ(
      "What was done:\n"
      "Ledger.vbp: rewritten, 1 line changed\n"
      "frmLedger.frm: rewritten, 3 lines changed\n"
      "\n"
      "Left for you to fix: 7 lines that still name version 8:\n"
      "Ledger.vbp, line 3: Reference=*\\G{5A1C3E90-7B24-4D6F-9E81-"
      "2C4B7A0D3F65}#8.0#0#..\\..\\..\\Windows\\System32\\tbln8.ocx#Tabulon "
      "Grid 8.0\n"
      "modLedger.bas, line 4: ' Fills the ledger grid; the grid type comes "
      "from tbln8.ocx.\n"
      "modLedger.bas, line 5: Public Sub FillLedger(ByVal Target As "
      "Tabulon80.Grid)\n"
      "clsPosting.cls, line 12: Private mGrid As Tabulon80.Grid\n"
      "clsPosting.cls, line 14: Public Property Set Grid(ByVal Value As "
      "Tabulon80.Grid)\n"
      "ppgColumns.pag, line 2: Object = \"{5A1C3E90-7B24-4D6F-9E81-"
      "2C4B7A0D3F65}#8.0#0\"; \"tbln8.ocx\"\n"
      "ppgColumns.pag, line 12:    Begin Tabulon80.Grid grdColumns \n",
      window.shown[1].box.details);
}

}  // namespace
