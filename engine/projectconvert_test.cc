#include "engine/projectconvert.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <utility>

#include "engine/files.h"
#include "engine/testkit/testing.h"

namespace {

using Calls = std::vector<std::string>;

const Tables kTables = InitTables();

const char kProject8[] =
    "Object={5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0; tbln8.ocx";
const char kProject8c[] =
    "Object={e81f4c2a-6d07-4b93-a5c1-3f72b9e0d614}#8.0#0; tbln8c.ocx";
const char kForm[] =
    "Begin VB.Form f\r\n  Begin Tabulon80.Grid g\r\n  End\r\nEnd\r\n";
const char kFormConverted[] =
    "Begin VB.Form f\r\n  Begin Tabulon80c.Grid g\r\n  End\r\nEnd\r\n";
const char kReady[] =
    "AskOkCancel Ready to convert 'Demo.vbp' from Version 8 to 8c.\r\n\r\n"
    "The original files will be backed up in files with an additional '.bak' "
    "extension.\r\n\r\nPress OK to proceed or Cancel if you changed your mind.";
const char kDone[] =
    "ShowInfo Project 'Demo.vbp' has been converted from Version 8 to 8c.\r\n"
    "\r\nCopies of the original files were saved with a 'bak' extension in "
    "case you want to restore the original project.\r\n\r\nYou should now "
    "open the new project in VB and compile it to make sure there are no "
    "syntax errors.\r\n\r\n";
const char kNothing[] =
    "ShowInfo Couldn't find any convertible controls in 'Demo.vbp'.\r\n\r\n"
    "Conversion cancelled.";

// The host calls that convert the file listed as item k.
Calls FileCalls(size_t k, const std::string& name,
                const std::string& outcome = "... OK") {
  const std::string i = std::to_string(k);
  return {"ProgressItem " + i, "SelectProgress " + i,
          "ProgressItem " + i, "SetProgressItem " + i + " " + name + outcome,
          "Repaint",           "PumpEvents"};
}

Calls operator+(Calls a, const Calls& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The window painted and its events handled after each of n files.
Calls Breaths(size_t n) {
  Calls calls;
  for (size_t i = 0; i < n; ++i)
    calls = calls + Calls({"Repaint", "PumpEvents"});
  return calls;
}

class ConvertProjectTest : public ::testing::Test {
 protected:
  TempDir dir;
  RecordingHost host;

  std::string project_text = std::string("Type=Exe\r\n") + kProject8 +
                             "\r\nForm=frmMain.frm\r\n"
                             "Form=Forms\\frmOrders.frm\r\n"
                             "Module=modMain; modMain.bas\r\n"
                             "UserControl=Controls\\ucTotals.ctl\r\n"
                             "IconForm=\"frmMain\"\r\n";

  void SetUp() override {
    dir.Write("Demo/Demo.vbp", project_text);
    dir.Write("Demo/frmMain.frm", kForm);
    dir.Write("Demo/Forms/frmOrders.frm", kForm);
    dir.Write("Demo/Controls/ucTotals.ctl", kForm);
    dir.Write("Demo/modMain.bas", "Dim g As Tabulon80.Grid\r\n");
  }

  void Convert(bool interactive, FileSystem& fs = DefaultFileSystem()) {
    ConvertProject(dir / "Demo/Demo.vbp", interactive, kTables, host, fs);
  }

  int ErrorOf(bool interactive, FileSystem& fs = DefaultFileSystem()) {
    try {
      Convert(interactive, fs);
    } catch (const std::filesystem::filesystem_error& e) {
      // The errno value, whichever code the system gave.
      return e.code().default_error_condition().value();
    }
    return 0;
  }
};

TEST_F(ConvertProjectTest, ConvertsTheProjectAndEveryListedFileInOrder) {
  const auto before = dir.Snapshot();
  host.answers = {true};
  Convert(true);
  // The plan and the check before writing each handle the window's events
  // after every file, and item 0 gains its "... OK" only once the project
  // file, written last, is.
  EXPECT_EQ(Calls({"ClearProgress", "SetWindowEnabled no"}) + Breaths(3) +
                Calls({kReady}) + Breaths(3) +
                Calls({"AddProgress Demo.vbp", "AddProgress frmMain.frm",
                       "AddProgress Forms\\frmOrders.frm",
                       "AddProgress Controls\\ucTotals.ctl", "ProgressCount"}) +
                FileCalls(1, "frmMain.frm") +
                FileCalls(2, "Forms\\frmOrders.frm") +
                FileCalls(3, "Controls\\ucTotals.ctl") +
                Calls({"SetProgressItem 0 Demo.vbp... OK"}) + Breaths(1) +
                Calls({kDone, "SetWindowEnabled yes"}),
            host.calls);

  std::string converted = project_text;
  converted.replace(converted.find(kProject8), strlen(kProject8), kProject8c);
  EXPECT_EQ(converted + "\r\n", dir.Read("Demo/Demo.vbp"));
  EXPECT_EQ(project_text, dir.Read("Demo/Demo.vbp.bak"));
  for (const char* file : {"Demo/frmMain.frm", "Demo/Forms/frmOrders.frm",
                           "Demo/Controls/ucTotals.ctl"}) {
    EXPECT_EQ(kFormConverted, dir.Read(file)) << file;
    EXPECT_EQ(kForm, dir.Read(std::string(file) + ".bak")) << file;
  }
  // Modules are not listed as forms and stay as they were.
  EXPECT_EQ("Dim g As Tabulon80.Grid\r\n", dir.Read("Demo/modMain.bas"));
  EXPECT_EQ(before.size() + 4, dir.Snapshot().size());
}

// Edits the tree once the check has read it, before anything is written,
// or while the question is open.
class EditingHost : public RecordingHost {
 public:
  std::function<void()> edit;
  // While the question is open, instead.
  bool at_question = false;
  void AddProgress(const std::string& text) override {
    if (edit && !at_question) std::exchange(edit, nullptr)();
    RecordingHost::AddProgress(text);
  }
  bool AskOkCancel(const std::string& text, const std::string& shown) override {
    if (edit && at_question) std::exchange(edit, nullptr)();
    return RecordingHost::AskOkCancel(text, shown);
  }
};

// Gives back another name for one listed file, the first unless told.
class SwappingHost : public RecordingHost {
 public:
  explicit SwappingHost(std::string given, std::string swapped = "frmMain.frm")
      : given_(std::move(given)), swapped_(std::move(swapped)) {}
  std::string ProgressItem(size_t i) override {
    const std::string item = RecordingHost::ProgressItem(i);
    return item == swapped_ ? given_ : item;
  }

 private:
  std::string given_, swapped_;
};

// A form edited between the check and its turn is converted as it is then,
// and backed up so. One replaced by its own conversion is not converted
// again, nor does it get a backup; one saved with other line ends keeps
// them.
TEST_F(ConvertProjectTest, AFormEditedAfterTheCheckIsConvertedAsEdited) {
  const std::string edited = std::string(kForm) + "' edited\r\n";
  const std::string same_size = std::string(kForm).replace(0, 5, "BEGIN");
  std::string lf = kForm, lf_converted = kFormConverted;
  std::erase(lf, '\r');
  std::erase(lf_converted, '\r');
  const auto converted = [](std::string text) {
    return text.replace(text.find("Tabulon80"), 9, "Tabulon80c");
  };
  const struct {
    const char* what;
    std::string text;
    bool replace;
    std::string file, backup;  // no backup: empty
  } cases[] = {
      {"edited in place", edited, false, converted(edited), edited},
      {"replaced", same_size, true, converted(same_size), same_size},
      {"replaced by its conversion", kFormConverted, true, kFormConverted, ""},
      {"saved with LF line ends", lf, false, lf_converted, lf},
  };
  for (const auto& c : cases) {
    SetUp();
    std::filesystem::remove(dir / "Demo/frmMain.frm.bak");
    EditingHost editing;
    const std::string form = dir / "Demo/frmMain.frm";
    editing.edit = [&] {
      const std::string to = c.replace ? form + ".edit" : form;
      std::ofstream(to, std::ios::binary | std::ios::trunc) << c.text;
      if (c.replace) std::filesystem::rename(to, form);
    };
    ConvertProject(dir / "Demo/Demo.vbp", false, kTables, editing,
                   DefaultFileSystem());
    EXPECT_EQ(c.file, dir.Read("Demo/frmMain.frm")) << c.what;
    if (c.backup.empty()) {
      EXPECT_FALSE(dir.Exists("Demo/frmMain.frm.bak")) << c.what;
    } else {
      EXPECT_EQ(c.backup, dir.Read("Demo/frmMain.frm.bak")) << c.what;
    }
    EXPECT_FALSE(dir.Exists("Demo/frmMain.frm.new~")) << c.what;
  }
}

// A backup that appeared between the check and the file's turn may be
// another run's only original: it is not replaced, and the file stays.
TEST_F(ConvertProjectTest, ABackupThatAppearedAfterTheCheckIsKept) {
  EditingHost editing;
  editing.edit = [&] { dir.Write("Demo/frmMain.frm.bak", "other"); };
  try {
    ConvertProject(dir / "Demo/Demo.vbp", false, kTables, editing,
                   DefaultFileSystem());
    FAIL() << "no error";
  } catch (const std::filesystem::filesystem_error& e) {
    EXPECT_EQ(std::errc::file_exists, e.code());
    EXPECT_EQ(dir / "Demo/frmMain.frm.bak", e.path1().string());
  }
  EXPECT_EQ("other", dir.Read("Demo/frmMain.frm.bak"));
  EXPECT_EQ(kForm, dir.Read("Demo/frmMain.frm"));
  EXPECT_FALSE(dir.Exists("Demo/frmMain.frm.new~"));
}

// A file that cannot be written stops the project in its turn: those
// before it stay converted, and the project file, written last, is not, nor
// does its item say so.
TEST_F(ConvertProjectTest, AFileThatCannotBeWrittenStopsTheProjectInItsTurn) {
  FaultyFileSystem fs;
  fs.disk_free = 2 * strlen(kFormConverted) + 1;
  EXPECT_EQ(ENOSPC, ErrorOf(false, fs));
  EXPECT_EQ(kFormConverted, dir.Read("Demo/frmMain.frm"));
  EXPECT_EQ(kFormConverted, dir.Read("Demo/Forms/frmOrders.frm"));
  EXPECT_EQ(kForm, dir.Read("Demo/Controls/ucTotals.ctl"));
  EXPECT_EQ(project_text, dir.Read("Demo/Demo.vbp"));
  EXPECT_FALSE(dir.Exists("Demo/Controls/ucTotals.ctl.new~"));
  EXPECT_EQ(Calls({"Demo.vbp", "frmMain.frm... OK",
                   "Forms\\frmOrders.frm... OK", "Controls\\ucTotals.ctl"}),
            host.progress);
}

TEST_F(ConvertProjectTest, BatchRunAsksNothingAndReportsNothing) {
  Convert(false);
  EXPECT_EQ("SetWindowEnabled no", host.calls.at(1));
  EXPECT_EQ("SetWindowEnabled yes", host.calls.back());
  EXPECT_EQ("PumpEvents", host.calls.at(host.calls.size() - 2));
  EXPECT_EQ(
      Calls({"Demo.vbp... OK", "frmMain.frm... OK",
             "Forms\\frmOrders.frm... OK", "Controls\\ucTotals.ctl... OK"}),
      host.progress);
}

TEST_F(ConvertProjectTest, DeclinedConfirmationTouchesNothing) {
  const auto before = dir.Snapshot();
  host.answers = {false};
  Convert(true);
  EXPECT_EQ(Calls({"ClearProgress", "SetWindowEnabled no"}) + Breaths(3) +
                Calls({kReady, "SetWindowEnabled yes"}),
            host.calls);
  EXPECT_EQ(before, dir.Snapshot());
}

TEST_F(ConvertProjectTest, ProjectWithoutVersion8ControlsIsLeftAlone) {
  for (bool interactive : {true, false}) {
    dir.Write("Demo/Demo.vbp", "Type=Exe\r\nForm=frmMain.frm\r\n");
    const auto before = dir.Snapshot();
    host.calls.clear();
    Convert(interactive);
    EXPECT_EQ(Calls({"ClearProgress", "SetWindowEnabled no", kNothing,
                     "SetWindowEnabled yes"}),
              host.calls);
    EXPECT_EQ(before, dir.Snapshot());
  }
}

TEST_F(ConvertProjectTest, SecondRunFindsNothingToConvert) {
  Convert(false);
  const auto after_first = dir.Snapshot();
  host.calls.clear();
  Convert(false);
  EXPECT_EQ(Calls({"ClearProgress", "SetWindowEnabled no", kNothing,
                   "SetWindowEnabled yes"}),
            host.calls);
  EXPECT_EQ(after_first, dir.Snapshot());
}

TEST_F(ConvertProjectTest, MissingListedFileStopsBeforeAnythingIsWritten) {
  dir.Write("Demo/Demo.vbp", project_text + "Form=Gone.frm\r\n");
  const auto before = dir.Snapshot();
  host.answers = {true};
  try {
    Convert(true);
    FAIL() << "no error";
  } catch (const std::filesystem::filesystem_error& e) {
    EXPECT_EQ(ENOENT, e.code().default_error_condition().value());
    EXPECT_EQ(dir / "Demo/Gone.frm", e.path1().string());
  }
  // Forms come first: the check stops at the third file.
  EXPECT_EQ(Calls({"ClearProgress", "SetWindowEnabled no"}) + Breaths(4) +
                Calls({kReady}) + Breaths(2) + Calls({"SetWindowEnabled yes"}),
            host.calls);
  EXPECT_EQ(before, dir.Snapshot());
}

TEST_F(ConvertProjectTest, UnwritableFileOrFolderStopsBeforeAnything) {
  const auto before = dir.Snapshot();
  for (const std::string& locked :
       {dir / "Demo/Controls", dir / "Demo/Forms/frmOrders.frm",
        dir / "Demo/Demo.vbp", dir / "Demo"}) {
    FaultyFileSystem fs;
    fs.read_only = {locked};
    host.calls.clear();
    EXPECT_EQ(EACCES, ErrorOf(false, fs)) << locked;
    EXPECT_TRUE(host.progress.empty());
    EXPECT_EQ(before, dir.Snapshot());
  }
}

TEST_F(ConvertProjectTest, ListedFolderOrBackupFolderStopsBeforeAnything) {
  dir.Write("Demo/frmMain.frm.bak/x", "");
  const auto before = dir.Snapshot();
  EXPECT_EQ(EISDIR, ErrorOf(false));
  EXPECT_EQ(before, dir.Snapshot());
}

// A listed file, or the project file, that is a link to its own backup
// name would be rewritten into its only backup: nothing is touched.
TEST_F(ConvertProjectTest, FileThatIsItsOwnBackupStopsBeforeAnything) {
  for (const std::string name : {"Demo/Forms/frmOrders.frm", "Demo/Demo.vbp"}) {
    SetUp();
    std::filesystem::rename(dir / name, dir / (name + ".bak"));
    std::error_code ec;
    std::filesystem::create_symlink(
        std::filesystem::path(name).filename().string() + ".bak", dir / name,
        ec);
    if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
    const auto before = dir.Snapshot();
    try {
      Convert(false);
      FAIL() << "no error for " << name;
    } catch (const std::filesystem::filesystem_error& e) {
      EXPECT_EQ(EINVAL, e.code().value());
      EXPECT_EQ(dir / (name + ".bak"), e.path1().string());
    }
    EXPECT_EQ(before, dir.Snapshot());
    std::filesystem::remove(dir / name);
    std::filesystem::rename(dir / (name + ".bak"), dir / name);
  }
}

// After a power cut a file just renamed into place can hold only part of
// its bytes, while its original is safe in its backup: a second run must not
// make the cut file the backup. Without a backup, or shortened by a user
// rather than cut at a page, a file is taken as it is.
TEST_F(ConvertProjectTest, FileCutShortBesideItsBackupStopsBeforeAnything) {
  std::string original = kForm, converted = kFormConverted;
  for (int i = 0; original.size() < 10000; ++i) {
    const std::string line = "Dim g" + std::to_string(i) + " As Tabulon80";
    original += line + ".Grid\r\n";
    converted += line + "c.Grid\r\n";
  }
  std::string holed = converted;
  holed.replace(4096, 4096, 4096, '\0');
  const std::string edited = converted.substr(0, converted.size() - 8);
  struct Case {
    std::string file;
    bool backup;
    bool cut;
  };
  const Case cases[] = {
      {"", true, true},
      {std::string(4096, '\0'), true, true},
      {converted.substr(0, 8192), true, true},
      {holed, true, true},
      {converted + std::string(100, '\0'), true, true},
      {edited, true, false},
      {"", false, false},
  };
  for (const Case& c : cases) {
    SetUp();
    dir.Write("Demo/Forms/frmOrders.frm", c.file);
    const std::string bak = dir / "Demo/Forms/frmOrders.frm.bak";
    std::filesystem::remove(bak);
    if (c.backup) dir.Write("Demo/Forms/frmOrders.frm.bak", original);
    const auto before = dir.Snapshot();
    try {
      Convert(false);
      EXPECT_FALSE(c.cut) << "no error for " << c.file.size() << " bytes";
    } catch (const std::filesystem::filesystem_error& e) {
      EXPECT_TRUE(c.cut) << e.what();
      EXPECT_EQ(CutFileError(), e.code());
      EXPECT_EQ(dir / "Demo/Forms/frmOrders.frm", e.path1().string());
      EXPECT_EQ(before, dir.Snapshot());
    }
  }
}

// The progress list is the work list: a file is converted under the name
// the list gives back, even where that is not the name that went in.
TEST_F(ConvertProjectTest, ConvertsTheNameTheListGivesBack) {
  SwappingHost swapping("Other.frm");
  dir.Write("Demo/Other.frm", kForm);
  ConvertProject(dir / "Demo/Demo.vbp", false, kTables, swapping,
                 DefaultFileSystem());
  EXPECT_EQ(kFormConverted, dir.Read("Demo/Other.frm"));
  EXPECT_EQ(kForm, dir.Read("Demo/frmMain.frm"));
  EXPECT_FALSE(dir.Exists("Demo/frmMain.frm.bak"));
  EXPECT_EQ(kFormConverted, dir.Read("Demo/Forms/frmOrders.frm"));
}

// A name the list gives back may reach a file listed later: converted
// under that name, it is not converted again in its own turn, which would
// make its backup a copy of converted text.
TEST_F(ConvertProjectTest, AFileTheListGaveBackEarlierKeepsItsOriginal) {
  SwappingHost early("Forms\\frmOrders.frm");
  ConvertProject(dir / "Demo/Demo.vbp", false, kTables, early,
                 DefaultFileSystem());
  EXPECT_EQ(kFormConverted, dir.Read("Demo/Forms/frmOrders.frm"));
  EXPECT_EQ(kForm, dir.Read("Demo/Forms/frmOrders.frm.bak"));
  EXPECT_EQ(kForm, dir.Read("Demo/frmMain.frm"));
  EXPECT_EQ(kFormConverted, dir.Read("Demo/Controls/ucTotals.ctl"));
}

// Where the file system names no file by an id, no file is taken for
// another: a form found converted must not make every later one look done.
TEST_F(ConvertProjectTest, UnknownIdsTakeNoFileForAnother) {
  FaultyFileSystem fs;
  fs.unknown_ids = true;
  dir.Write("Demo/Forms/frmOrders.frm", kFormConverted);
  dir.Write("Demo/Other.ctl", kForm);
  SwappingHost swapping("Other.ctl", "Controls\\ucTotals.ctl");
  ConvertProject(dir / "Demo/Demo.vbp", false, kTables, swapping, fs);
  EXPECT_EQ(kFormConverted, dir.Read("Demo/frmMain.frm"));
  EXPECT_FALSE(dir.Exists("Demo/Forms/frmOrders.frm.bak"));
  EXPECT_EQ(kFormConverted, dir.Read("Demo/Other.ctl"));
  EXPECT_EQ(kForm, dir.Read("Demo/Other.ctl.bak"));
}

// A name listed twice is a repeat only while the list gives names back as
// they went in: once it gives another, the second listing is the form's
// own turn.
TEST_F(ConvertProjectTest, ARepeatIsJudgedInItsTurnOnceTheListDiffers) {
  dir.Write("Demo/Demo.vbp", project_text + "Form=FRMMAIN.FRM\r\n");
  dir.Write("Demo/Other.frm", kForm);
  SwappingHost swapping("Other.frm");
  ConvertProject(dir / "Demo/Demo.vbp", false, kTables, swapping,
                 DefaultFileSystem());
  EXPECT_EQ(kFormConverted, dir.Read("Demo/frmMain.frm"));
  EXPECT_EQ(kForm, dir.Read("Demo/frmMain.frm.bak"));
  EXPECT_EQ(kFormConverted, dir.Read("Demo/Other.frm"));
}

// The check after the question looks every listed file up again: one gone
// meanwhile stops the project before anything is written, even one that
// was already converted.
TEST_F(ConvertProjectTest, AFileGoneDuringTheQuestionStopsBeforeAnything) {
  dir.Write("Demo/Controls/ucTotals.ctl", kFormConverted);
  EditingHost changing;
  changing.answers = {true};
  changing.at_question = true;
  changing.edit = [&] {
    std::filesystem::remove(dir / "Demo/Controls/ucTotals.ctl");
  };
  const auto before = dir.Snapshot();
  EXPECT_THROW(ConvertProject(dir / "Demo/Demo.vbp", true, kTables, changing,
                              DefaultFileSystem()),
               std::filesystem::filesystem_error);
  auto expected = before;
  std::erase_if(expected, [](const auto& file) {
    return file.first.find("ucTotals") != std::string::npos;
  });
  EXPECT_EQ(expected, dir.Snapshot());
}

// Reads may give fewer bytes than asked: the line ends of a backup are
// still those of the whole file, and a form cut short beside it is still
// recognised.
TEST_F(ConvertProjectTest, ShortReadsStillRecogniseACutFile) {
  std::string lf = kForm;
  std::erase(lf, '\r');
  std::string converted = kFormConverted;
  std::erase(converted, '\r');
  while (converted.size() < 3 * 4096) {
    lf += "Dim g As Tabulon80.Grid\n";
    converted += "Dim g As Tabulon80c.Grid\n";
  }
  dir.Write("Demo/frmMain.frm.bak", lf);
  dir.Write("Demo/frmMain.frm", converted.substr(0, 8192));
  FaultyFileSystem fs;
  fs.max_transfer = 7;
  try {
    Convert(false, fs);
    FAIL() << "no error";
  } catch (const std::filesystem::filesystem_error& e) {
    EXPECT_EQ(CutFileError(), e.code());
  }
  EXPECT_EQ(lf, dir.Read("Demo/frmMain.frm.bak"));
}

TEST_F(ConvertProjectTest, FailureWhileWritingEnablesTheWindowAgain) {
  // Every operation of the run fails in turn; the window always ends
  // enabled and the error names a path.
  FaultyFileSystem fs;
  size_t failures = 0;
  // A run that keeps failing is a fault of its own, not a reason to hang.
  for (fs.fail_at = 1; fs.fail_at < 1000; ++fs.fail_at) {
    SetUp();
    fs.operations = 0;
    fs.failed.clear();
    host.calls.clear();
    host.enabled = true;
    const int err = ErrorOf(false, fs);
    // The run ended before the failing operation; a listing that only
    // spares lookups may fail without stopping it.
    if (err == 0 && fs.failed.empty()) break;
    if (err != 0) {
      ++failures;
      EXPECT_EQ(EIO, err);
    }
    EXPECT_TRUE(host.enabled) << fs.fail_at;
    // Every rewritten file has a backup of its original bytes.
    for (const char* file : {"Demo/frmMain.frm", "Demo/Forms/frmOrders.frm",
                             "Demo/Controls/ucTotals.ctl"}) {
      if (dir.Read(file) != kForm) {
        EXPECT_EQ(kForm, dir.Read(std::string(file) + ".bak")) << fs.fail_at;
      }
    }
    if (dir.Read("Demo/Demo.vbp") != project_text) {
      EXPECT_EQ(project_text, dir.Read("Demo/Demo.vbp.bak"));
    }
  }
  EXPECT_GT(failures, 40u);
  EXPECT_LT(fs.fail_at, 1000u) << "every run failed";
}

TEST_F(ConvertProjectTest, SharedOrRepeatedFormIsConvertedOnce) {
  dir.Write("Demo/Demo.vbp", project_text + "Form=FRMMAIN.FRM\r\n");
  Convert(false);
  // Forms are listed before user controls.
  EXPECT_EQ("FRMMAIN.FRM... already converted", host.progress.at(3));
  EXPECT_EQ(kFormConverted, dir.Read("Demo/frmMain.frm"));
  EXPECT_EQ(kForm, dir.Read("Demo/frmMain.frm.bak"));

  dir.Write("Demo/Variant.vbp",
            std::string(kProject8) + "\r\nForm=frmMain.frm\r\n");
  ConvertProject(dir / "Demo/Variant.vbp", false, kTables, host,
                 DefaultFileSystem());
  EXPECT_EQ("frmMain.frm... already converted", host.progress.at(1));
  EXPECT_EQ(kForm, dir.Read("Demo/frmMain.frm.bak"));
}

TEST_F(ConvertProjectTest, LfProjectFileEndsWithLf) {
  dir.Write("Demo/Demo.vbp", std::string(kProject8) + "\nForm=frmMain.frm\n");
  Convert(false);
  EXPECT_EQ(std::string(kProject8c) + "\nForm=frmMain.frm\n\n",
            dir.Read("Demo/Demo.vbp"));
}

TEST_F(ConvertProjectTest, ListsEntriesBeyondSixteenBitPositions) {
  std::string big = project_text;
  while (big.size() < 70000) big += "Module=modX; modX.bas\r\n";
  big += "Form=Late.frm\r\n";
  dir.Write("Demo/Demo.vbp", big);
  dir.Write("Demo/Late.frm", kForm);
  Convert(false);
  EXPECT_EQ("Late.frm... OK", host.progress.at(3));
  EXPECT_EQ(kFormConverted, dir.Read("Demo/Late.frm"));
}

TEST_F(ConvertProjectTest, KeepsEveryByteOfTheProjectPath) {
  // Windows-1252 names, as a Windows machine passes them: the folder must
  // reach the file system, and the name the progress list, byte for byte.
  const std::string project = "Caf\xE9/D\xE9mo.vbp";
  dir.Write(project, std::string(kProject8) + "\r\nForm=frmMain.frm\r\n");
  dir.Write("Caf\xE9/frmMain.frm", kForm);
  ConvertProject(dir / project, false, kTables, host, DefaultFileSystem());
  EXPECT_EQ(Calls({"D\xE9mo.vbp... OK", "frmMain.frm... OK"}), host.progress);
  EXPECT_EQ(kFormConverted, dir.Read("Caf\xE9/frmMain.frm"));
  EXPECT_EQ(kForm, dir.Read("Caf\xE9/frmMain.frm.bak"));
}

TEST(ListedFiles, TakesFormsThenUserControlsAsWritten) {
  struct Case {
    std::string text;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"form=main.FRM\r\n", {"main.FRM"}},
      {"Form=\"quoted.frm\"\r\nIconForm=\"frmMain\"\r\n", {}},
      {"UserControl=a.ctl\r\nForm=b.frm\r\n", {"b.frm", "a.ctl"}},
      {"Form=odd.txt\r\nForm=b.frm", {"odd.txt\r\nForm=b.frm", "b.frm"}},
      {"Form=nothing\r\n", {}},
      {"Form=", {}},
      {"USERCONTROL=..\\Shared\\X.CTL", {"..\\Shared\\X.CTL"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.names, ListedFiles(c.text)) << c.text;
  }
}

}  // namespace
