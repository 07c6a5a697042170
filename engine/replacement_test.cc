// What a rewritten file keeps, where its original goes, and how a run that
// stopped half way is finished by the next one.
#include "engine/replacement.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>

#include "engine/files.h"
#include "engine/formconvert.h"
#include "engine/listedfile.h"
#include "engine/projectconvert.h"
#include "engine/testkit/batchdriver.h"
#include "engine/testkit/testing.h"

namespace {

namespace stdfs = std::filesystem;

const Tables kTables = InitTables();
const std::string kGrid = "Begin Tabulon80.Grid g\r\nEnd\r\n";
const std::string kGridConverted = "Begin Tabulon80c.Grid g\r\nEnd\r\n";
const std::string kProject =
    "Object={5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0; tbln8.ocx\r\n"
    "Form=a.frm\r\nForm=b.frm\r\n";

class Replacement : public ::testing::Test {
 protected:
  TempDir dir;
  RecordingHost host;
  FileSystem& fs = DefaultFileSystem();
  // The batch changes the current directory.
  stdfs::path cwd = stdfs::current_path();
  void TearDown() override { stdfs::current_path(cwd); }

  FileSystem::Status StatOf(const std::string& rel) {
    return StatFile(fs, dir / rel);
  }
  // The error number of converting P/P.vbp, or 0.
  int Convert(FileSystem& through) {
    try {
      ConvertProject(dir / "P/P.vbp", false, kTables, host, through);
    } catch (const stdfs::filesystem_error& e) {
      return e.code().value();
    }
    return 0;
  }
};

TEST_F(Replacement, TheBackupIsTheOriginalItself) {
  dir.Write("f.frm", kGrid);
  stdfs::create_hard_link(dir / "f.frm", dir / "other.frm");
  const auto old_time =
      stdfs::last_write_time(dir / "f.frm") - std::chrono::hours(24);
  stdfs::last_write_time(dir / "f.frm", old_time);
  const FileSystem::Status original = StatOf("f.frm");
  ASSERT_EQ(FormOutcome::kConverted,
            ConvertForm(dir.path(), "f.frm", kTables, fs));
  EXPECT_TRUE(SameFile(original, StatOf("f.frm.bak")));
  EXPECT_EQ(old_time, stdfs::last_write_time(dir / "f.frm.bak"));
  EXPECT_FALSE(SameFile(original, StatOf("f.frm")));
  EXPECT_EQ(kGridConverted, dir.Read("f.frm"));
  // The file's other name keeps the original, as another project's name
  // for it would until that project is converted.
  EXPECT_EQ(kGrid, dir.Read("other.frm"));
}

// Each case plants what a run stopped at some point leaves beside f.frm,
// converts again, and expects the conversion finished with the original in
// the backup and nothing temporary left.
TEST_F(Replacement, ARunStoppedHalfWayIsFinishedByTheNext) {
  const std::string gridless = "Begin VB.Form f\rEnd\r";
  struct Case {
    const char* stopped;
    std::string original;
    std::function<void(const TempDir&)> plant;
    FormOutcome outcome;
  };
  const Case cases[] = {
      {"after the second name, before it became the backup", kGrid,
       [](const TempDir& d) {
         stdfs::create_hard_link(d / "f.frm", d / "f.frm.bak~");
       },
       FormOutcome::kConverted},
      {"after the backup, before the new file took the name", kGrid,
       [](const TempDir& d) {
         stdfs::create_hard_link(d / "f.frm", d / "f.frm.bak");
         d.Write("f.frm.new~", "Begin Tabulon80c");
       },
       FormOutcome::kConverted},
      {"after a form without grid text, before its project", gridless,
       [&](const TempDir& d) {
         stdfs::rename(d / "f.frm", d / "f.frm.bak");
         d.Write("f.frm", "Begin VB.Form f\r\nEnd\r\n");
       },
       FormOutcome::kAlreadyConverted},
  };
  for (const Case& c : cases) {
    TempDir d;
    d.Write("f.frm", c.original);
    c.plant(d);
    EXPECT_EQ(c.outcome, ConvertForm(d.path(), "f.frm", kTables, fs))
        << c.stopped;
    EXPECT_EQ(c.original, d.Read("f.frm.bak")) << c.stopped;
    EXPECT_NE(c.original, d.Read("f.frm")) << c.stopped;
    EXPECT_FALSE(d.Exists("f.frm.bak~") || d.Exists("f.frm.new~")) << c.stopped;
  }
}

// Only a file that will be written must be writable: a read-only form that
// is already converted lets its project through, one that needs converting
// stops it before anything is written, whoever runs the program.
TEST_F(Replacement, ReadOnlyStopsOnlyWhatMustBeWritten) {
  dir.Write("P/P.vbp", kProject);
  dir.Write("P/a.frm", kGrid);
  dir.Write("P/b.frm", kGrid);
  stdfs::permissions(dir / "P/a.frm", stdfs::perms(0444));
  const auto before = dir.Snapshot();
  EXPECT_EQ(EACCES, Convert(fs));
  EXPECT_EQ(before, dir.Snapshot());

  stdfs::permissions(dir / "P/a.frm", stdfs::perms(0644));
  dir.Write("P/a.frm", kGridConverted);
  stdfs::permissions(dir / "P/a.frm", stdfs::perms(0444));
  EXPECT_EQ(0, Convert(fs));
  EXPECT_EQ(kGridConverted, dir.Read("P/a.frm"));
  EXPECT_FALSE(dir.Exists("P/a.frm.bak"));
  EXPECT_EQ(kGridConverted, dir.Read("P/b.frm"));
}

// Where the file system refuses a second name, the backup is a copy made
// durable before the original is replaced; the bytes on disk are the same.
// Whatever the command wrote is flushed once at its end.
TEST_F(Replacement, ARefusedLinkIsMetByADurableCopy) {
  dir.Write("P/P.vbp", kProject);
  dir.Write("P/a.frm", kGrid);
  dir.Write("P/b.frm", kGrid);
  FaultyFileSystem faulty;
  faulty.no_links = true;
  const FileSystem::Status original = StatOf("P/a.frm");
  EXPECT_EQ(0, Convert(faulty));
  EXPECT_EQ(kGrid, dir.Read("P/a.frm.bak"));
  EXPECT_FALSE(SameFile(original, StatOf("P/a.frm.bak")));
  EXPECT_EQ(kGridConverted, dir.Read("P/b.frm"));
  // A file's bytes and its folder's entry, for each of three backups.
  EXPECT_EQ(6u, faulty.syncs);
  EXPECT_EQ(1u, faulty.flushes);

  FaultyFileSystem linking;
  dir.Write("B/Q/Q.vbp", kProject);
  dir.Write("B/Q/a.frm", kGrid);
  dir.Write("B/R/R.vbp", kProject);
  dir.Write("B/R/b.frm", kGrid);
  dir.Write("B/R/a.frm", kGrid);
  dir.Write("B/Q/b.frm", kGrid);
  EXPECT_EQ(2u, ConvertBatch(dir / "B", kTables, host, linking));
  EXPECT_EQ(0u, linking.syncs);
  EXPECT_EQ(1u, linking.flushes);
}

// ReFS names a file by 128 bits, and two of its files may share the lower
// 64: an older backup is not the original under its second name, and a form
// one project converted is not another project's form.
TEST_F(Replacement, FilesSharingHalfTheirIdAreTwo) {
  FaultyFileSystem refs;
  refs.shared_low_ids = true;
  dir.Write("B/Q/Q.vbp", kProject);
  dir.Write("B/R/R.vbp", kProject);
  for (const char* form :
       {"B/Q/a.frm", "B/Q/b.frm", "B/R/a.frm", "B/R/b.frm"}) {
    dir.Write(form, kGrid);
  }
  dir.Write("B/Q/a.frm.bak", "an older backup");
  EXPECT_EQ(2u, ConvertBatch(dir / "B", kTables, host, refs));
  for (const char* form :
       {"B/Q/a.frm", "B/Q/b.frm", "B/R/a.frm", "B/R/b.frm"}) {
    EXPECT_EQ(kGridConverted, dir.Read(form)) << form;
    EXPECT_EQ(kGrid, dir.Read(form + std::string(".bak"))) << form;
  }
}

}  // namespace
