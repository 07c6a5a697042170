#include "engine/restore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <utility>

#include "engine/projectconvert.h"
#include "engine/restorecommand.h"
#include "engine/testkit/batchdriver.h"
#include "engine/testkit/recordingwindow.h"
#include "engine/testkit/sampletrees.h"
#include "engine/testkit/testing.h"
#include "engine/testkit/treecheck.h"

namespace {

namespace stdfs = std::filesystem;
using Calls = std::vector<std::string>;

const Tables kTables = InitTables();
const char kReady[] =
    "AskOkCancel Ready to restore 'Demo.vbp' from its backups.\r\n\r\nEach "
    "converted file will be replaced by its '.bak' backup, the file as it was "
    "before the conversion. Files changed since their conversion are left as "
    "they are.\r\n\r\nPress OK to proceed or Cancel if you changed your mind.";
const char kRestored[] =
    "ShowInfo Project 'Demo.vbp' has been restored from its backups.";
const char kNothing[] =
    "ShowInfo Couldn't find any files to restore in 'Demo.vbp'.\r\n\r\n"
    "Nothing was changed.";

Calls Breaths(size_t n) {
  Calls calls;
  for (size_t i = 0; i < n; ++i) {
    calls.insert(calls.end(), {"Repaint", "PumpEvents"});
  }
  return calls;
}

Calls operator+(Calls a, const Calls& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The project of the fault suites, without the older backup that a
// conversion replaces, and listing one form a second time.
Tree Project() {
  Tree tree = SampleProject();
  tree.erase("Demo/frmMain.frm.bak");
  tree["Demo/Demo.vbp"].bytes += "Form=FRMMAIN.FRM\r\n";
  return tree;
}

// The sample batch. Windows ignores letter case, so its B.vbp.bak is the
// backup of B.VBP from before, which no round trip gives back; nor can Wine
// make its link.
Tree Batch() {
  Tree tree = SampleBatch();
  if (kWindows) {
    tree.erase("LinkToA");
    tree.erase("B/B.vbp.bak");
  }
  return tree;
}

// A tree's name for rel, which ReadTree spells with the system's separator.
std::string Key(std::string rel) {
  if (kWindows) std::replace(rel.begin(), rel.end(), '/', '\\');
  return rel;
}

// Edits the tree while the question is open.
class EditingHost : public RecordingHost {
 public:
  std::function<void()> edit;
  bool AskOkCancel(const std::string& text, const std::string& shown) override {
    if (edit) std::exchange(edit, nullptr)();
    return RecordingHost::AskOkCancel(text, shown);
  }
};

class RestoreTest : public ::testing::Test {
 protected:
  TempDir dir;
  RecordingHost host;
  stdfs::path cwd = stdfs::current_path();
  Tree before, converted;

  void TearDown() override { stdfs::current_path(cwd); }

  // Empties the folder for the next case; Windows removes no folder that
  // is a current directory.
  void Clear() {
    stdfs::current_path(cwd);
    for (const char* folder : {"Demo", "Shared"})
      stdfs::remove_all(dir / folder);
  }

  std::string Demo() const { return dir / "Demo/Demo.vbp"; }

  // Plants tree and converts it, as one project or as a batch.
  void PlantConverted(const Tree& tree, bool batch,
                      FileSystem& fs = DefaultFileSystem()) {
    WriteTree(dir.path(), tree);
    before = ReadTree(dir.path());
    RecordingHost converting;
    if (batch) {
      ConvertBatch(dir.path(), kTables, converting, fs);
    } else {
      ConvertProject(Demo(), false, kTables, converting, fs);
    }
    converted = ReadTree(dir.path());
  }

  // Demo.vbp restored, h answering what it is asked.
  void RestoreAsAnswered(RecordingHost& h,
                         FileSystem& fs = DefaultFileSystem()) {
    RestorePlan plan;
    RestoreProject(Demo(), kTables, h, fs, plan);
  }
  void Restore(RecordingHost& h, FileSystem& fs = DefaultFileSystem()) {
    h.answers = {true};
    RestoreAsAnswered(h, fs);
  }
  // The command as the window runs it: its dialog gives Demo.vbp, and every
  // box is answered OK.
  void RunCommand(RecordingWindow& window, FileSystem& fs) {
    CommandSession session(window, kTables, fs);
    window.files = {{Demo(), ""}};
    window.answers = {true, true};
    session.Run(RestoreChosenProject);
  }
};

TEST_F(RestoreTest, GivesBackTheTreeTheConversionTook) {
  PlantConverted(Project(), false);
  Restore(host);
  const Calls items = {"Demo.vbp",
                       "frmMain.frm",
                       "Forms\\frmOrders.frm",
                       "..\\Shared\\FORMS\\frmLogin.Frm",
                       "FRMMAIN.FRM",
                       "Controls\\ucTotals.ctl"};
  Calls expected = Calls({"ClearProgress", "SetWindowEnabled no"}) +
                   Breaths(5) + Calls({kReady}) + Breaths(5);
  for (const std::string& item : items)
    expected.push_back("AddProgress " + item);
  for (size_t k = 1; k < items.size(); ++k) {
    const std::string i = std::to_string(k);
    const char* outcome = k == 4 ? "... listed again" : "... restored";
    expected = expected +
               Calls({"SelectProgress " + i,
                      "SetProgressItem " + i + " " + items[k] + outcome}) +
               Breaths(1);
  }
  expected = expected + Calls({"SetProgressItem 0 Demo.vbp... restored"}) +
             Breaths(1) + Calls({kRestored, "SetWindowEnabled yes"});
  EXPECT_EQ(expected, host.calls);
  EXPECT_EQ(before, ReadTree(dir.path()));
  // Converting again gives what the first conversion gave.
  RecordingHost again;
  ConvertProject(Demo(), false, kTables, again, DefaultFileSystem());
  EXPECT_EQ(converted, ReadTree(dir.path()));
}

// A project file that lists nothing, an LF one, one that a power cut left
// empty, and a drive that refuses second names, where every backup is a
// flushed copy.
TEST_F(RestoreTest, RoundTripsOfEveryShape) {
  const std::string v8 =
      "Object={5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0; tbln8.ocx";
  FaultyFileSystem copies;
  copies.no_links = true;
  const struct {
    const char* what;
    Tree tree;
    FileSystem& fs;
    const char* cut = "";  // a file left empty after the conversion
    // The conversion stopped before the project file, which goes last.
    bool stopped = false;
  } cases[] = {
      {"alone",
       {{"Demo/Demo.vbp", File(v8 + "\r\nType=Exe\r\n")}},
       DefaultFileSystem()},
      {"LF",
       {{"Demo/Demo.vbp", File(v8 + "\nForm=a.frm\n")},
        {"Demo/a.frm", File("Begin Tabulon80.Grid g\nEnd\n")}},
       DefaultFileSystem()},
      {"copies", Project(), copies},
      {"cut", Project(), DefaultFileSystem(), "Demo/Demo.vbp"},
      {"stopped", Project(), DefaultFileSystem(), "", true},
  };
  for (const auto& c : cases) {
    Clear();
    PlantConverted(c.tree, false, c.fs);
    ASSERT_NE(before, converted) << c.what;
    if (*c.cut) dir.Write(c.cut, "");
    if (c.stopped) stdfs::rename(dir / "Demo/Demo.vbp.bak", Demo());
    RecordingHost h;
    Restore(h, c.fs);
    EXPECT_EQ(before, ReadTree(dir.path())) << c.what;
  }
}

// What is kept, with its backup, and what goes back without a rename.
TEST_F(RestoreTest, KeepsWhatItMustNotReplace) {
  const std::string form = dir / "Demo/frmMain.frm";
  const struct {
    const char* what;
    std::function<void()> arrange;
    const char* outcome;
    bool back;  // whether frmMain.frm holds its original after
  } cases[] = {
      {"edited", [&] { dir.Write("Demo/frmMain.frm", "edited\r\n"); },
       "... changed since conversion, kept", false},
      {"no backup", [&] { stdfs::remove(form + ".bak"); }, "... no backup",
       false},
      {"missing", [&] { stdfs::remove(form); }, "... missing, backup kept",
       false},
      {"gone",
       [&] {
         stdfs::remove(form);
         stdfs::remove(form + ".bak");
       },
       "... missing", false},
      {"a converted backup",
       [&] { dir.Write("Demo/frmMain.frm.bak", dir.Read("Demo/frmMain.frm")); },
       "... backup is no original, kept", false},
      // A conversion killed before the new file took the name.
      {"its own backup",
       [&] {
         stdfs::rename(form, form + ".new~");
         stdfs::create_hard_link(form + ".bak", form);
       },
       "... restored", true},
      // A power cut during the conversion, at a page's border.
      {"cut short", [&] { dir.Write("Demo/frmMain.frm", ""); }, "... restored",
       true},
  };
  for (const auto& c : cases) {
    Clear();
    PlantConverted(Project(), false);
    c.arrange();
    const Tree arranged = ReadTree(dir.path());
    RecordingHost h;
    Restore(h);
    ASSERT_EQ(6u, h.progress.size()) << c.what;
    EXPECT_EQ(std::string("frmMain.frm") + c.outcome, h.progress[1]) << c.what;
    EXPECT_EQ("Demo.vbp... restored", h.progress[0]) << c.what;
    Tree want = before;
    for (const std::string& name :
         {Key("Demo/frmMain.frm"), Key("Demo/frmMain.frm.bak")}) {
      want.erase(name);
      if (arranged.count(name) != 0) want[name] = arranged.at(name);
    }
    if (c.back) want = before;
    EXPECT_EQ(want, ReadTree(dir.path())) << c.what;
  }
}

// The project file decides: a project whose project file does not hold
// its backup's conversion keeps every file.
TEST_F(RestoreTest, NothingOfAProjectWhoseProjectFileIsNotToRestore) {
  const struct {
    std::function<void(const TempDir&)> arrange;
    const char* why;
  } cases[] = {
      {[](const TempDir& d) {
         d.Write("Demo/Demo.vbp", d.Read("Demo/Demo.vbp") + "Title=\"x\"");
       },
       "the project file changed since its conversion"},
      {[](const TempDir& d) { stdfs::remove(d / "Demo/Demo.vbp.bak"); },
       "the project file has no backup"},
      {[](const TempDir& d) {
         d.Write("Demo/Demo.vbp.bak", d.Read("Demo/Demo.vbp"));
       },
       "the project file's backup is converted already, no original"},
  };
  for (const auto& c : cases) {
    Clear();
    PlantConverted(Project(), false);
    c.arrange(dir);
    const Tree arranged = ReadTree(dir.path());
    RecordingHost h;
    RestoreAsAnswered(h);
    EXPECT_EQ(Calls({"ClearProgress", "SetWindowEnabled no"}) + Breaths(5) +
                  Calls({kNothing, "SetWindowEnabled yes"}),
              h.calls);
    EXPECT_EQ("Nothing of the project is restored: " + std::string(c.why) + ".",
              h.details.at(0).substr(0, h.details.at(0).find('\n')));
    EXPECT_EQ(arranged, ReadTree(dir.path()));
  }
  host.answers = {false};
  PlantConverted(Project(), false);
  RestoreAsAnswered(host);
  EXPECT_EQ(converted, ReadTree(dir.path()));
  EXPECT_TRUE(host.progress.empty());
}

TEST_F(RestoreTest, AnEditSavedWhileTheQuestionIsOpenIsKept) {
  PlantConverted(Project(), false);
  EditingHost editing;
  editing.edit = [&] { dir.Write("Demo/Forms/frmOrders.frm", "edited"); };
  Restore(editing);
  EXPECT_EQ("Forms\\frmOrders.frm... changed since conversion, kept",
            editing.progress.at(2));
  EXPECT_EQ("edited", dir.Read("Demo/Forms/frmOrders.frm"));
  EXPECT_EQ(before.at(Key("Demo/Forms/frmOrders.frm")).bytes,
            dir.Read("Demo/Forms/frmOrders.frm.bak"));
  EXPECT_EQ(before.at(Key("Demo/frmMain.frm")).bytes,
            dir.Read("Demo/frmMain.frm"));

  // The project file decides whether its files go back: one saved while
  // the question is open stops the restore before anything is renamed.
  Clear();
  PlantConverted(Project(), false);
  EditingHost saving;
  saving.edit = [&] {
    dir.Write("Demo/Demo.vbp", dir.Read("Demo/Demo.vbp") + "Title=\"x\"\r\n");
  };
  Tree want = converted;
  want[Key("Demo/Demo.vbp")].bytes += "Title=\"x\"\r\n";
  saving.answers = {true};
  try {
    RestoreAsAnswered(saving);
    ADD_FAILURE() << "restored a project whose project file changed";
  } catch (const stdfs::filesystem_error& e) {
    EXPECT_EQ(Demo(), e.path1().string());
  }
  EXPECT_TRUE(saving.progress.empty());
  EXPECT_EQ(want, ReadTree(dir.path()));
}

// The file's own read-only mark stops the check on every system, as it
// stops the conversion, before anything is renamed.
TEST_F(RestoreTest, AReadOnlyFileStopsTheCheck) {
  PlantConverted(Project(), false);
  const std::string locked = dir / "Demo/Controls/ucTotals.ctl";
  stdfs::permissions(locked,
                     stdfs::perms::owner_write | stdfs::perms::group_write |
                         stdfs::perms::others_write,
                     stdfs::perm_options::remove);
  RecordingWindow window;
  RunCommand(window, DefaultFileSystem());
  stdfs::permissions(locked, stdfs::perms::owner_write,
                     stdfs::perm_options::add);
  const BoxDescription& failure = window.shown.back().box;
  EXPECT_EQ(BoxIcon::kCritical, failure.icon);
  EXPECT_EQ(0u, failure.text.find("Error "));
  EXPECT_TRUE(failure.text.ends_with("\n" + locked));
  EXPECT_TRUE(window.progress.empty());
  EXPECT_EQ(converted, ReadTree(dir.path()));
}

// Renames of a project fail from the second on, as while Visual Basic
// holds a form open: what went back stays back, and the project still
// reads as converted until a second restore finishes it.
TEST_F(RestoreTest, AFailureAfterTheFirstRenameIsFinishedByASecondRestore) {
  class Busy : public FaultyFileSystem {
   public:
    int renames = 0;
    std::error_code Rename(const std::string& from,
                           const std::string& to) override {
      if (++renames > 1)
        return std::make_error_code(std::errc::device_or_resource_busy);
      return FaultyFileSystem::Rename(from, to);
    }
  } busy;
  PlantConverted(Project(), false);
  RecordingWindow window(busy);
  RunCommand(window, busy);
  const BoxDescription& failure = window.shown.back().box;
  ASSERT_EQ(BoxIcon::kCritical, failure.icon);
  EXPECT_EQ(dir / "Demo/Forms/frmOrders.frm",
            failure.text.substr(failure.text.find('\n') + 1));
  EXPECT_EQ(
      "Restored before the error:\nfrmMain.frm: restored from "
      "frmMain.frm.bak\n\nThe project file goes back last and is still "
      "converted: restore the project again to finish.\n",
      failure.details);
  EXPECT_TRUE(window.enabled);
  RecordingHost converting;
  ConvertProject(Demo(), false, kTables, converting, DefaultFileSystem());
  EXPECT_EQ(converted.at(Key("Demo/Demo.vbp")),
            ReadTree(dir.path()).at(Key("Demo/Demo.vbp")));
  RecordingHost again;
  Restore(again);
  EXPECT_EQ(before, ReadTree(dir.path()));
}

// Reports.vbp and SUMMARY.VBP share a form: one restored alone keeps it
// while the other stays converted; the other restored then gives it back.
TEST_F(RestoreTest, AFormAProjectThatStaysConvertedListsStaysWithIt) {
  const std::string examples = EXAMPLES_DIR "/Reports";
  if (!stdfs::exists(examples)) GTEST_SKIP() << "no " << examples;
  stdfs::copy(examples, dir / "Reports");
  PlantConverted({}, true);
  RecordingHost first, second;
  first.answers = second.answers = {true};
  RestorePlan plan;
  RestoreProject(dir / "Reports/Reports.vbp", kTables, first,
                 DefaultFileSystem(), plan);
  EXPECT_EQ("frmReport.frm... also listed by SUMMARY.VBP, kept",
            first.progress.at(1));
  EXPECT_EQ(0u, first.details.at(0).find(
                    "These files stay converted:\n    frmReport.frm: also "
                    "listed by SUMMARY.VBP, which stays converted\n\n"));
  RestoreProject(dir / "Reports/SUMMARY.VBP", kTables, second,
                 DefaultFileSystem(), plan);
  EXPECT_EQ(before, ReadTree(dir.path()));
}

// A batch restores every project it converted, a shared form with the
// first; converting again gives the first conversion's tree, and a
// restore after it finds nothing more once it is done.
TEST_F(RestoreTest, BatchesRoundTrip) {
  const struct {
    const char* what;
    std::string examples;  // empty: the sample batch
    const char* done;
  } cases[] = {
      {"sample batch", "", "Done restoring 2 projects."},
      {"examples", EXAMPLES_DIR, "Done restoring 5 projects."},
  };
  for (const auto& c : cases) {
    TempDir root;
    if (!c.examples.empty()) {
      if (!stdfs::exists(c.examples)) continue;
      for (const auto& entry : stdfs::directory_iterator(c.examples)) {
        stdfs::copy(entry.path(), root / entry.path().filename().string(),
                    stdfs::copy_options::recursive);
      }
    } else {
      WriteTree(root.path(), Batch());
    }
    const Tree original = ReadTree(root.path());
    RecordingHost converting, again;
    ConvertBatch(root.path(), kTables, converting, DefaultFileSystem());
    const Tree first = ReadTree(root.path());
    again.answers = {true};
    RecordingWindow window;
    window.OpenFolder(root.path());
    window.answers = {true, true};
    CommandSession session(window, kTables, DefaultFileSystem());
    session.Run(RestoreBatchFolder);
    ASSERT_EQ(2u, window.shown.size()) << c.what;
    EXPECT_EQ(0u, window.shown[0].box.text.find(
                      "Ready to restore every project in the subfolders of '" +
                      root.path() + "' from their backups.\r\n\r\n"))
        << c.what;
    EXPECT_EQ(kDoneTitle, window.shown[1].box.title) << c.what;
    EXPECT_EQ(c.done, window.shown[1].box.text) << c.what;
    EXPECT_EQ(original, ReadTree(root.path())) << c.what;
    ConvertBatch(root.path(), kTables, converting, DefaultFileSystem());
    EXPECT_EQ(first, ReadTree(root.path())) << c.what;
    RestoreBatch(root.path(), kTables, again, DefaultFileSystem());
    EXPECT_EQ(original, ReadTree(root.path())) << c.what;
    EXPECT_EQ(0u,
              RestoreBatch(root.path(), kTables, again, DefaultFileSystem()));
    EXPECT_EQ(
        "ShowInfo Couldn't find any files to restore in the subfolders "
        "of '" +
            root.path() + "'.\r\n\r\nNothing was changed.",
        again.calls.at(again.calls.size() - 2))
        << c.what;
  }
}

}  // namespace
