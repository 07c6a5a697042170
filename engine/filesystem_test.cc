#include "engine/filesystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "engine/files.h"
#include "engine/testkit/testing.h"

namespace {

using Kind = FileSystem::Kind;

// The machine's own file system, which every conversion goes through: the
// same promises hold on each system it is built for.
class DefaultFileSystemTest : public ::testing::Test {
 protected:
  TempDir dir;
  FileSystem& fs = DefaultFileSystem();
};

TEST_F(DefaultFileSystemTest, KeepsEveryByte) {
  // Line ends of every kind, NUL, and Ctrl-Z, which ends a file for a
  // reader in text mode.
  const std::string bytes(
      "a\r\nb\nc\rd\x1A"
      "e\0f\xFF\r",
      12);
  OutputFile out(fs, dir / "f.frm", 0666);
  out.Write(bytes);
  out.Close();
  EXPECT_EQ(bytes, dir.Read("f.frm"));
  EXPECT_EQ(bytes, ReadWholeFile(fs, dir / "f.frm"));
}

// A rewrite may be shorter than the file it replaces, and may stop half way
// when a conversion fails: either way nothing of the old content is left.
TEST_F(DefaultFileSystemTest, AWrittenFileHoldsOnlyTheBytesWrittenToIt) {
  const std::string old_bytes(300000, 'x');
  dir.Write("short.frm", old_bytes);
  {
    OutputFile out(fs, dir / "short.frm", 0666);
    out.Write("new");
    out.Close();
  }
  EXPECT_EQ("new", dir.Read("short.frm"));

  dir.Write("stopped.frm", old_bytes);
  {
    OutputFile out(fs, dir / "stopped.frm", 0666);
    out.Write("half");
  }  // no Close: the conversion threw
  EXPECT_EQ("half", dir.Read("stopped.frm"));

  dir.Write("longer.frm", "old");
  {
    OutputFile out(fs, dir / "longer.frm", 0666);
    out.Write(old_bytes);
    out.Close();
  }
  EXPECT_EQ(old_bytes, dir.Read("longer.frm"));

  // Reading part of a file and closing it leaves the file whole.
  {
    InputFile in(fs, dir / "longer.frm");
    char buf[10];
    EXPECT_EQ(10u, in.Read(buf, sizeof buf));
    in.Close();
  }
  EXPECT_EQ(old_bytes, dir.Read("longer.frm"));
}

TEST_F(DefaultFileSystemTest, RenameReplacesAnExistingFile) {
  dir.Write("f.frm.bak.partial", "new");
  dir.Write("f.frm.bak", "old");
  EXPECT_EQ(0, fs.Rename(dir / "f.frm.bak.partial", dir / "f.frm.bak"));
  EXPECT_EQ("new", dir.Read("f.frm.bak"));
  EXPECT_FALSE(dir.Exists("f.frm.bak.partial"));
}

TEST_F(DefaultFileSystemTest, TellsWhatAndWhichFileANameIs) {
  dir.Write("p/f.frm", "x");
  dir.Write("p/g.frm", "x");
  EXPECT_EQ(Kind::kRegular, StatFile(fs, dir / "p/f.frm").kind);
  EXPECT_EQ(Kind::kDirectory, StatFile(fs, dir / "p").kind);
  EXPECT_EQ(Kind::kMissing, StatFile(fs, dir / "p/none.frm").kind);
  EXPECT_EQ(Kind::kMissing, StatFile(fs, dir / "p/f.frm/none.frm").kind);
  const FileSystem::Status f = StatFile(fs, dir / "p/f.frm");
  const FileSystem::Status again = StatFile(fs, dir / "p/../p/f.frm");
  const FileSystem::Status g = StatFile(fs, dir / "p/g.frm");
  EXPECT_EQ(f.device, again.device);
  EXPECT_EQ(f.inode, again.inode);
  EXPECT_NE(f.inode, g.inode);
}

TEST_F(DefaultFileSystemTest, ReportsAMissingFileAsENOENT) {
  int fd = -1;
  std::vector<std::string> names;
  EXPECT_EQ(ENOENT, fs.OpenRead(dir / "none", &fd));
  EXPECT_EQ(ENOENT, fs.OpenWrite(dir / "none/f.frm", 0666, &fd));
  EXPECT_EQ(ENOENT, fs.Access(dir / "none", false));
  EXPECT_EQ(ENOENT, fs.Rename(dir / "none", dir / "other"));
  EXPECT_EQ(ENOENT, fs.Remove(dir / "none"));
  EXPECT_EQ(ENOENT, fs.ListDir(dir / "none", &names));
  EXPECT_EQ(ENOENT, fs.ChangeDir(dir / "none"));
}

TEST_F(DefaultFileSystemTest, APathHoldingANulNamesNoFile) {
  // The bytes before the NUL name a real file and folder, which must stay
  // out of reach.
  dir.Write("p/modMain.bas", "x");
  const std::string file = dir / std::string("p/modMain.bas\0.frm", 18);
  const std::string folder = dir / std::string("p\0", 2);
  int fd = -1;
  std::vector<std::string> names;
  EXPECT_EQ(Kind::kMissing, StatFile(fs, file).kind);
  EXPECT_EQ(ENOENT, fs.OpenRead(file, &fd));
  EXPECT_EQ(ENOENT, fs.OpenWrite(file, 0666, &fd));
  EXPECT_EQ(ENOENT, fs.Access(file, true));
  EXPECT_EQ(ENOENT, fs.Rename(file, dir / "q"));
  EXPECT_EQ(ENOENT, fs.Rename(dir / "p/modMain.bas", file));
  EXPECT_EQ(ENOENT, fs.Remove(file));
  EXPECT_EQ(ENOENT, fs.ListDir(folder, &names));
  EXPECT_EQ(ENOENT, fs.ChangeDir(folder));
  EXPECT_EQ("x", dir.Read("p/modMain.bas"));
}

TEST_F(DefaultFileSystemTest, ListsAFolderAndEntersIt) {
  dir.Write("p/a.frm", "x");
  dir.Write("p/Forms/b.frm", "");
  std::vector<std::string> names;
  ASSERT_EQ(0, fs.ListDir(dir / "p", &names));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::vector<std::string>({"Forms", "a.frm"}), names);

  const std::filesystem::path cwd = std::filesystem::current_path();
  ASSERT_EQ(0, fs.ChangeDir(dir / "p"));
  FileSystem::Status status;
  const int err = fs.Stat("a.frm", &status);
  std::filesystem::current_path(cwd);
  EXPECT_EQ(0, err);
  EXPECT_EQ(Kind::kRegular, status.kind);
}

}  // namespace
