// Hostile and odd input: each ends in a clear error or the right result, and
// nothing is lost.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <memory>

#include "engine/files.h"
#include "engine/projectconvert.h"
#include "engine/restorecommand.h"
#include "engine/testkit/batchdriver.h"
#include "engine/testkit/testing.h"
#include "engine/testkit/treecheck.h"

namespace {

using namespace std::string_literals;

const Tables kTables = InitTables();

const std::string kProject8 =
    "Object={5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0; tbln8.ocx\r\n";
const std::string kProject8c =
    "Object={e81f4c2a-6d07-4b93-a5c1-3f72b9e0d614}#8.0#0; tbln8c.ocx\r\n";
const std::string kGrid = "Begin Tabulon80.Grid g\r\nEnd\r\n";
const std::string kGridConverted = "Begin Tabulon80c.Grid g\r\nEnd\r\n";

class BadInput : public ::testing::Test {
 protected:
  TempDir dir;
  RecordingHost host;
  std::filesystem::path cwd = std::filesystem::current_path();

  void TearDown() override { std::filesystem::current_path(cwd); }

  void WriteProject(const std::string& entries) {
    dir.Write("P/P.vbp", kProject8 + entries);
  }

  // Converts P/P.vbp; the error number, or 0.
  int Convert(FileSystem& fs = DefaultFileSystem()) {
    try {
      ConvertProject(dir / "P/P.vbp", false, kTables, host, fs);
    } catch (const std::filesystem::filesystem_error& e) {
      error_path = e.path1().string();
      EXPECT_FALSE(e.code().message().empty());
      return e.code().value();
    }
    return 0;
  }

  // Converts and expects the error err naming path, with nothing changed.
  void ExpectRefused(int err, const std::string& path,
                     FileSystem& fs = DefaultFileSystem()) {
    const Tree before = ReadTree(dir.path());
    EXPECT_EQ(err, Convert(fs));
    EXPECT_EQ(path, error_path);
    EXPECT_EQ(before, ReadTree(dir.path()));
    EXPECT_TRUE(host.enabled);
  }

  // Restores P/P.vbp and expects the error err naming path, with nothing
  // changed.
  void ExpectRestoreRefused(int err, const std::string& path,
                            const std::string& pth,
                            FileSystem& fs = DefaultFileSystem()) {
    const Tree before = ReadTree(dir.path());
    host.answers = {true};
    RestorePlan plan;
    try {
      RestoreProject(dir / pth, kTables, host, fs, plan);
      ADD_FAILURE() << "no error for " << path;
    } catch (const std::filesystem::filesystem_error& e) {
      EXPECT_EQ(err, e.code().value()) << path;
      EXPECT_EQ(dir / path, e.path1().string());
    }
    EXPECT_EQ(before, ReadTree(dir.path())) << path;
    EXPECT_TRUE(host.enabled);
  }

  std::string error_path;
};

TEST_F(BadInput, RestoreRefusesWhatItCannotRenameBack) {
  const auto unreadable = [](const std::string& path) {
    auto fs = std::make_unique<FaultyFileSystem>();
    fs->unreadable = {path};
    return fs;
  };
  const struct {
    const char* path;  // the error's, below the temporary folder
    int err;
    std::function<void(const TempDir&)> arrange;
    std::unique_ptr<FaultyFileSystem> fs;
  } cases[] = {
      {"P/Gone.vbp", ENOENT, [](const TempDir&) {}, nullptr},
      {"P/Folder.vbp", EISDIR,
       [](const TempDir& d) { d.Write("P/Folder.vbp/x", ""); }, nullptr},
      {"P/P.vbp", EACCES, [](const TempDir&) {}, unreadable(dir / "P/P.vbp")},
      {"P/P.vbp.bak", EISDIR,
       [](const TempDir& d) {
         std::filesystem::remove(d / "P/P.vbp.bak");
         d.Write("P/P.vbp.bak/x", "");
       },
       nullptr},
      {"P/a.frm.bak", EISDIR,
       [](const TempDir& d) {
         std::filesystem::remove(d / "P/a.frm.bak");
         d.Write("P/a.frm.bak/x", "");
       },
       nullptr},
      {"P/a.frm.bak", EINVAL,
       [](const TempDir& d) {
         std::filesystem::rename(d / "P/a.frm.bak", d / "P/elsewhere");
         std::filesystem::create_symlink("elsewhere", d / "P/a.frm.bak");
       },
       nullptr},
      {"P/a.frm.bak", EACCES, [](const TempDir&) {},
       unreadable(dir / "P/a.frm.bak")},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(dir / "P");
    WriteProject("Form=a.frm\r\n");
    dir.Write("P/a.frm", kGrid);
    EXPECT_EQ(0, Convert());
    c.arrange(dir);
    const std::string pth =
        std::string(c.path).ends_with(".vbp") ? c.path : std::string("P/P.vbp");
    if (c.fs) {
      ExpectRestoreRefused(c.err, c.path, pth, *c.fs);
    } else {
      ExpectRestoreRefused(c.err, c.path, pth);
    }
  }
}

// A listed link stays a link: its backup goes back over the file it
// reaches. A backup on another drive cannot be renamed back, and the check
// says so before anything is renamed.
TEST_F(BadInput, RestoreThroughALinkAndAcrossDrives) {
  TempDir other("/tmp");
  const bool apart = StatFile(DefaultFileSystem(), dir.path()).id.device !=
                     StatFile(DefaultFileSystem(), other.path()).id.device;
  for (const TempDir* target : {&dir, &other}) {
    if (target == &other && !apart) continue;
    std::filesystem::remove_all(dir / "P");
    target->Write("Real/f.frm", kGrid);
    WriteProject("Form=link.frm\r\n");
    std::filesystem::create_symlink(*target / "Real/f.frm", dir / "P/link.frm");
    EXPECT_EQ(0, Convert());
    if (target == &other) {
      ExpectRestoreRefused(EXDEV, "P/link.frm.bak", "P/P.vbp");
      continue;
    }
    host.answers = {true};
    RestorePlan plan;
    RestoreProject(dir / "P/P.vbp", kTables, host, DefaultFileSystem(), plan);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "P/link.frm"));
    EXPECT_EQ(kGrid, dir.Read("Real/f.frm"));
    EXPECT_FALSE(dir.Exists("P/link.frm.bak"));
  }
}

TEST_F(BadInput, EmptyFiles) {
  dir.Write("P/P.vbp", "");
  EXPECT_EQ(0, Convert());
  EXPECT_EQ(
      "ShowInfo Couldn't find any convertible controls in 'P.vbp'."
      "\r\n\r\nConversion cancelled.",
      host.calls.at(host.calls.size() - 2));
  EXPECT_FALSE(dir.Exists("P/P.vbp.bak"));

  WriteProject("Form=empty.frm\r\n");
  dir.Write("P/empty.frm", "");
  EXPECT_EQ(0, Convert());
  EXPECT_EQ("", dir.Read("P/empty.frm"));
  EXPECT_EQ("", dir.Read("P/empty.frm.bak"));
}

TEST_F(BadInput, BinaryBytesAndNulsAreOrdinaryCharacters) {
  std::string binary;
  for (int i = 0; i < 256; ++i) binary += static_cast<char>(i);
  const std::string form = binary + "Tabulon80\0Tabulon80"s + binary;
  WriteProject("Form=bin.frm\r\n");
  dir.Write("P/bin.frm", form);
  EXPECT_EQ(0, Convert());
  std::string expected = form;
  expected.replace(expected.find("Tabulon80"), 9, "Tabulon80c");
  expected.replace(expected.rfind("Tabulon80"), 9, "Tabulon80c");
  // The lone CR among the bytes ends a line, so it gains its LF, and the
  // last line gains a CR LF.
  expected.insert(expected.find('\r') + 1, "\n");
  expected.insert(expected.rfind('\r') + 1, "\n");
  expected += "\r\n";
  EXPECT_EQ(expected, dir.Read("P/bin.frm"));
  EXPECT_EQ(form, dir.Read("P/bin.frm.bak"));
}

TEST_F(BadInput, LineEndsOfEveryKind) {
  WriteProject("Form=cr.frm\r\nForm=lf.frm\r\nForm=open.frm\r\n");
  dir.Write("P/cr.frm", "Begin Tabulon80.Grid g\rEnd\rDim g As Tabulon80.Grid");
  dir.Write("P/lf.frm", "Begin Tabulon80.Grid g\nEnd\nDim g As Tabulon80.Grid");
  // The file ends inside a block: the output ends with the last line read.
  dir.Write("P/open.frm", "Begin VB.Form f\r\n  Begin Tabulon80.Grid g\r\n  x");
  EXPECT_EQ(0, Convert());
  EXPECT_EQ("Begin Tabulon80c.Grid g\r\nEnd\r\nDim g As Tabulon80c.Grid\r\n",
            dir.Read("P/cr.frm"));
  EXPECT_EQ("Begin Tabulon80c.Grid g\nEnd\nDim g As Tabulon80c.Grid\n",
            dir.Read("P/lf.frm"));
  EXPECT_EQ("Begin VB.Form f\r\n  Begin Tabulon80c.Grid g\r\n  x\r\n",
            dir.Read("P/open.frm"));
  EXPECT_EQ("Begin Tabulon80.Grid g\rEnd\rDim g As Tabulon80.Grid",
            dir.Read("P/cr.frm.bak"));
}

TEST_F(BadInput, AMillionNestedBlocksInAFile) {
  std::string form;
  std::string converted;
  for (int i = 0; i < 1000000; ++i) {
    form += "Begin Tabulon80.Grid g\r\n";
    converted += "Begin Tabulon80c.Grid g\r\n";
  }
  for (int i = 0; i < 1000000; ++i) form += "End\r\n";
  for (int i = 0; i < 1000000; ++i) converted += "End\r\n";
  WriteProject("Form=deep.frm\r\n");
  dir.Write("P/deep.frm", form);
  EXPECT_EQ(0, Convert());
  EXPECT_TRUE(dir.Read("P/deep.frm") == converted);
  EXPECT_TRUE(dir.Read("P/deep.frm.bak") == form);
}

TEST_F(BadInput, A200MbSingleLine) {
  // Memory grows with the longest line, so this line is held whole once.
  std::string line = "Dim g As Tabulon80.Grid ";
  line.append(200u << 20, 'x');
  line += " Tabulon80";
  WriteProject("Form=long.frm\r\n");
  dir.Write("P/long.frm", line);
  EXPECT_EQ(0, Convert());
  const std::string converted = dir.Read("P/long.frm");
  EXPECT_EQ(line.size() + 4, converted.size());
  EXPECT_EQ("Dim g As Tabulon80c.Grid xx", converted.substr(0, 27));
  EXPECT_EQ("xx Tabulon80c\r\n", converted.substr(converted.size() - 15));
  EXPECT_TRUE(dir.Read("P/long.frm.bak") == line);
}

TEST_F(BadInput, ListedNamesThatNameNoFileStopBeforeAnything) {
  dir.Write("P/f.frm", kGrid);
  dir.Write("P/Folder.frm/inside", "");
  struct Case {
    std::string entries;
    int err;
    std::string path;  // relative to the temporary folder
  };
  const Case cases[] = {
      {"Form=Gone.frm\r\n", ENOENT, "P/Gone.frm"},
      {"Form=Folder.frm\r\n", EISDIR, "P/Folder.frm"},
      // The entry runs on to the ".frm" of a later line.
      {"Form=f.txt\r\nForm=f.frm\r\n", ENOENT, "P/f.txt\r\nForm=f.frm"},
      {"Form=C:\\Work\\f.frm\r\n", ENOENT, "C:\\Work\\f.frm"},
      {"Form=P.vbp\\f.frm\r\n", ENOENT, "P/P.vbp/f.frm"},
      {"Form=.frm\r\n", ENOENT, "P/.frm"},
  };
  for (const Case& c : cases) {
    WriteProject("Form=f.frm\r\n" + c.entries);
    const std::string path = c.path[1] == ':' ? c.path : dir / c.path;
    ExpectRefused(c.err, path);
  }
}

TEST_F(BadInput, FoldersUnderBackupNamesStopBeforeAnything) {
  WriteProject("Form=a.frm\r\nForm=b.frm\r\n");
  dir.Write("P/a.frm", kGrid);
  dir.Write("P/b.frm", kGrid);
  for (const char* temp : {"P/b.frm.bak~", "P/b.frm.new~"}) {
    std::filesystem::create_directories(dir / temp);
    ExpectRefused(EISDIR, dir / temp);
    std::filesystem::remove(dir / temp);
  }
  std::filesystem::create_directories(dir / "P/P.vbp.bak");
  ExpectRefused(EISDIR, dir / "P/P.vbp.bak");
}

TEST_F(BadInput, ANulInAListedNameNamesNoOtherFile) {
  // The bytes before the NUL name a file that exists but is not listed.
  WriteProject("Form=modMain.bas\0.frm\r\nForm=f.frm\r\n"s);
  dir.Write("P/modMain.bas", "Dim g As Tabulon80.Grid\r\n");
  dir.Write("P/f.frm", kGrid);
  ExpectRefused(ENOENT, dir / "P/modMain.bas\0.frm"s);
}

TEST_F(BadInput, UnusualNamesThatExistAreConverted) {
  dir.Write("P/My Forms/Fr\xE9m Main.frm", kGrid);
  dir.Write("Up/Shared/f.frm", kGrid);
  dir.Write("Abs/a.frm", kGrid);
  std::string absolute = dir / "Abs/a.frm";
  for (char& c : absolute) {
    if (c == '/') c = '\\';
  }
  WriteProject(
      "Form=my forms\\FR\xE9M MAIN.FRM\r\nForm=..\\up\\Shared\\f.frm"s +
      "\r\nForm=" + absolute + "\r\n");
  EXPECT_EQ(0, Convert());
  for (const char* name :
       {"P/My Forms/Fr\xE9m Main.frm", "Up/Shared/f.frm", "Abs/a.frm"}) {
    EXPECT_EQ(kGridConverted, dir.Read(name)) << name;
    EXPECT_EQ(kGrid, dir.Read(name + ".bak"s)) << name;
  }
  EXPECT_EQ("my forms\\FR\xE9M MAIN.FRM... OK", host.progress.at(1));
}

TEST_F(BadInput, AFileListedTwiceIsConvertedOnce) {
  // No grid here: nothing in the text tells a converted copy from the
  // original, yet the backup must keep the original's lone CR line ends.
  const std::string login = "Begin VB.Form f\rEnd\rx = 1";
  dir.Write("P/login.frm", login);
  dir.Write("P/f.frm", kGrid);
  WriteProject(
      "Form=login.frm\r\nForm=f.frm\r\nForm=LOGIN.FRM\r\n"
      "Form=.\\sub\\..\\f.frm\r\nForm=Here\\f.frm\r\n");
  dir.Write("P/sub/x", "");
  // A folder link: the name's folder is resolved, links followed.
  std::filesystem::create_directory_symlink(".", dir / "P/Here");
  EXPECT_EQ(0, Convert());
  EXPECT_EQ("Begin VB.Form f\r\nEnd\r\nx = 1\r\n", dir.Read("P/login.frm"));
  EXPECT_EQ(login, dir.Read("P/login.frm.bak"));
  EXPECT_EQ(kGrid, dir.Read("P/f.frm.bak"));
  EXPECT_EQ("LOGIN.FRM... already converted", host.progress.at(3));
  EXPECT_EQ(".\\sub\\..\\f.frm... already converted", host.progress.at(4));
  EXPECT_EQ("Here\\f.frm... already converted", host.progress.at(5));
}

TEST_F(BadInput, AProjectListingItself) {
  // A link gives the project file a form's name.
  const std::string project = kProject8 + "Form=Self.frm\r\n";
  dir.Write("P/P.vbp", project);
  std::filesystem::create_symlink("P.vbp", dir / "P/Self.frm");
  EXPECT_EQ(0, Convert());
  EXPECT_EQ(project, dir.Read("P/P.vbp.bak"));
  EXPECT_EQ(kProject8c + "Form=Self.frm\r\n\r\n", dir.Read("P/P.vbp"));
  EXPECT_FALSE(dir.Exists("P/Self.frm.bak"));
  EXPECT_EQ("Self.frm... already converted", host.progress.at(1));
}

TEST_F(BadInput, AProjectFileWithAFormsNameListingItself) {
  // Its one backup must keep the original, not a converted copy.
  const std::string project = kProject8 + "Form=Self.frm\r\n";
  dir.Write("P/Self.frm", project);
  ConvertProject(dir / "P/Self.frm", false, kTables, host, DefaultFileSystem());
  EXPECT_EQ(project, dir.Read("P/Self.frm.bak"));
  EXPECT_EQ(kProject8c + "Form=Self.frm\r\n\r\n", dir.Read("P/Self.frm"));
  EXPECT_EQ("Self.frm... already converted", host.progress.at(1));
}

TEST_F(BadInput, AListedLinkConvertsItsTargetAndStaysALink) {
  dir.Write("Real/f.frm", kGrid);
  WriteProject("Form=link.frm\r\n");
  std::filesystem::create_symlink("../Real/f.frm", dir / "P/link.frm");
  const auto original = StatFile(DefaultFileSystem(), dir / "Real/f.frm");
  EXPECT_EQ(0, Convert());
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "P/link.frm"));
  EXPECT_EQ(kGridConverted, dir.Read("Real/f.frm"));
  // The backup is the target itself, not a second link to its name.
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "P/link.frm.bak"));
  EXPECT_TRUE(SameFile(original,
                       StatFile(DefaultFileSystem(), dir / "P/link.frm.bak")));
  EXPECT_EQ(kGrid, dir.Read("P/link.frm.bak"));
  EXPECT_FALSE(dir.Exists("Real/f.frm.new~"));
}

TEST_F(BadInput, WhatLiesUnderTheTemporaryNames) {
  // What a killed run left under a temporary name goes; a link someone put
  // there is not ours to remove, and nothing is written through it.
  WriteProject("Form=a.frm\r\nForm=b.frm\r\nForm=c.frm\r\n");
  for (const char* name : {"P/a.frm", "P/b.frm", "P/c.frm"}) {
    dir.Write(name, kGrid);
  }
  std::filesystem::create_symlink("a.frm", dir / "P/b.frm.new~");
  ExpectRefused(EEXIST, dir / "P/b.frm.new~");
  std::filesystem::remove(dir / "P/b.frm.new~");
  dir.Write("P/a.frm.new~", "half a conversion");
  dir.Write("P/b.frm.bak~", "half a copy");
  std::filesystem::create_hard_link(dir / "P/c.frm", dir / "P/c.frm.bak~");
  EXPECT_EQ(0, Convert());
  for (const char* name : {"P/a.frm", "P/b.frm", "P/c.frm"}) {
    EXPECT_EQ(kGridConverted, dir.Read(name)) << name;
    EXPECT_EQ(kGrid, dir.Read(name + ".bak"s)) << name;
    EXPECT_FALSE(dir.Exists(name + ".bak~"s)) << name;
    EXPECT_FALSE(dir.Exists(name + ".new~"s)) << name;
  }
}

TEST_F(BadInput, BatchFolderWithLoopsAndSharedForms) {
  const std::string shared = "Begin VB.Form s\rEnd\rDim g As Tabulon80.Grid";
  // Two projects share a form with a grid and one without: nothing in the
  // second tells a converted copy from the original, yet its backup must
  // keep the original's lone CR line ends.
  dir.Write("B/A/A.vbp", kProject8 + "Form=..\\Common\\s.frm\r\n" +
                             "Form=..\\Common\\login.frm\r\n");
  dir.Write("B/C/C.vbp", kProject8 + "Form=..\\common\\S.FRM\r\n" +
                             "Form=..\\Common\\LOGIN.frm\r\n");
  dir.Write("B/Common/login.frm", "Begin VB.Form f\rEnd\rx = 1");
  dir.Write("B/Common/s.frm", shared);
  dir.Write("B/Common/s.frm.bak", "a backup of an older version");
  dir.Write("B/Done/Done.vbp", kProject8c + "Form=d.frm\r\n");
  dir.Write("B/Done/d.frm", kGridConverted);
  dir.Write("B/Done/d.frm.bak", kGrid);
  std::filesystem::create_symlink("Loop2", dir / "B/Loop1");
  std::filesystem::create_symlink("Loop1", dir / "B/Loop2");
  std::filesystem::create_symlink(".", dir / "B/Self");
  std::filesystem::create_symlink("Nowhere", dir / "B/Dangling");
  std::filesystem::create_directory(dir / "B/Folder.vbp");
  EXPECT_EQ(3, ConvertBatch(dir / "B", kTables, host, DefaultFileSystem()));
  EXPECT_EQ("Begin VB.Form f\r\nEnd\r\nx = 1\r\n",
            dir.Read("B/Common/login.frm"));
  EXPECT_EQ("Begin VB.Form f\rEnd\rx = 1", dir.Read("B/Common/login.frm.bak"));
  EXPECT_EQ("Begin VB.Form s\r\nEnd\r\nDim g As Tabulon80c.Grid\r\n",
            dir.Read("B/Common/s.frm"));
  EXPECT_EQ(shared, dir.Read("B/Common/s.frm.bak"));
  EXPECT_EQ(kGrid, dir.Read("B/Done/d.frm.bak"));
  EXPECT_EQ(kProject8c + "Form=d.frm\r\n", dir.Read("B/Done/Done.vbp"));
  EXPECT_FALSE(dir.Exists("B/Done/Done.vbp.bak"));
  EXPECT_TRUE(host.enabled);
}

TEST_F(BadInput, UnreadableFoldersAreReportedAsSuch) {
  dir.Write("B/A/A.vbp", kProject8 + "Form=a.frm\r\n");
  dir.Write("B/A/a.frm", kGrid);
  dir.Write("B/B/B.vbp", kProject8 + "Form=b.frm\r\n");
  dir.Write("B/B/b.frm", kGrid);
  FaultyFileSystem fs;
  fs.unreadable = {dir / "B/B"};
  const Tree before = ReadTree(dir / "B/B");
  try {
    ConvertBatch(dir / "B", kTables, host, fs);
    ADD_FAILURE() << "no error";
  } catch (const std::filesystem::filesystem_error& e) {
    EXPECT_EQ(EACCES, e.code().value());
    EXPECT_EQ(dir / "B/B", e.path1().string());
  }
  // The projects before it are converted whole, nothing after is touched.
  EXPECT_EQ(kGridConverted, dir.Read("B/A/a.frm"));
  EXPECT_EQ(before, ReadTree(dir / "B/B"));

  // A folder on the way to a listed file whose letter case differs from
  // the disk is listed to find the file; when it cannot be, that is said,
  // not that the file is missing.
  WriteProject("Form=..\\shared\\S.frm\r\n");
  dir.Write("Shared/s.frm", kGrid);
  fs.unreadable = {dir / "P/../Shared"};
  ExpectRefused(EACCES, dir / "P/../Shared", fs);
}

TEST_F(BadInput, ExistingBackupsAndConvertedProjects) {
  WriteProject("Form=f.frm\r\n");
  dir.Write("P/P.vbp.bak", "older");
  dir.Write("P/f.frm", kGrid);
  dir.Write("P/f.frm.bak", "older");
  EXPECT_EQ(0, Convert());
  EXPECT_EQ(kProject8 + "Form=f.frm\r\n", dir.Read("P/P.vbp.bak"));
  EXPECT_EQ(kGrid, dir.Read("P/f.frm.bak"));
  // The project is converted now, and a second run touches nothing.
  const Tree after = ReadTree(dir.path());
  EXPECT_EQ(0, Convert());
  EXPECT_EQ(after, ReadTree(dir.path()));
}

}  // namespace
