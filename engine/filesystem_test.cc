#include "engine/filesystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

#include "engine/files.h"
#include "engine/projectconvert.h"
#include "engine/testkit/testing.h"

namespace {

using Kind = FileSystem::Kind;

const std::error_code kOk;

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

// A new file is only ever created: a name already taken, by a file or by a
// link, is refused, so nothing is written through a name someone else put
// there and no original is ever opened for writing.
TEST_F(DefaultFileSystemTest, AWrittenFileIsAlwaysANewOne) {
  dir.Write("f.frm", "original");
  int fd = -1;
  EXPECT_EQ(std::errc::file_exists, fs.OpenWrite(dir / "f.frm", 0666, &fd));
  EXPECT_EQ("original", dir.Read("f.frm"));
  std::error_code ec;
  std::filesystem::create_symlink("nowhere.frm", dir / "dangling.frm", ec);
  if (!ec) {
    EXPECT_EQ(std::errc::file_exists,
              fs.OpenWrite(dir / "dangling.frm", 0666, &fd));
    EXPECT_FALSE(dir.Exists("nowhere.frm"));
  }
  {
    OutputFile out(fs, dir / "stopped.frm", 0666);
    out.Write("half");
  }  // no Close: the conversion threw
  EXPECT_EQ("half", dir.Read("stopped.frm"));
}

// The backup is the original under a second name: the same file, whose
// bytes stay where they are when the listed name gets a new file.
TEST_F(DefaultFileSystemTest, LinkGivesTheFileASecondName) {
  dir.Write("f.frm", "original");
  ASSERT_EQ(kOk, fs.Link(dir / "f.frm", dir / "f.frm.bak~"));
  const FileSystem::Status f = StatFile(fs, dir / "f.frm");
  const FileSystem::Status bak = StatFile(fs, dir / "f.frm.bak~");
  EXPECT_TRUE(SameFile(f, bak));
  EXPECT_EQ(2u, f.links);
  EXPECT_EQ(std::errc::file_exists, fs.Link(dir / "f.frm", dir / "f.frm.bak~"));
  if (kWindows) return;
  // Through a symbolic link the second name is the link's file, never a
  // second link that would follow the file's name to its new content.
  std::filesystem::create_symlink("f.frm", dir / "link.frm");
  ASSERT_EQ(kOk, fs.Link(dir / "link.frm", dir / "link.frm.bak"));
  FileSystem::Status own;
  ASSERT_EQ(kOk, fs.StatLink(dir / "link.frm.bak", &own));
  EXPECT_EQ(Kind::kRegular, own.kind);
  EXPECT_TRUE(SameFile(f, own));
  ASSERT_EQ(kOk, fs.StatLink(dir / "link.frm", &own));
  EXPECT_EQ(Kind::kLink, own.kind);
  std::string target;
  ASSERT_EQ(kOk, fs.ResolveLinks(dir / "link.frm", &target));
  EXPECT_EQ(std::filesystem::canonical(dir / "f.frm").string(), target);
}

#ifndef _WIN32
// The new file keeps what the original had: its rights, its owner and group
// where the process may set them (a run as root must not leave root's files
// in a user's tree), its extended attributes.
TEST_F(DefaultFileSystemTest, ANewFileTakesTheOriginalsRights) {
  dir.Write("f.frm", "original");
  const std::string f = dir / "f.frm";
  ASSERT_EQ(0, ::chmod(f.c_str(), 0640 | S_ISGID));
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(0, ::chown(f.c_str(), 65534, 65534));
  }
  const bool attributes =
      ::setxattr(f.c_str(), "user.origin", "vcs", 3, 0) == 0;
  OutputFile out(fs, dir / "f.frm.new~", 0600);
  out.TakeMetadataOf(f, StatFile(fs, f));
  out.Sync();
  out.Close();
  struct stat was, is;
  ASSERT_EQ(0, ::stat(f.c_str(), &was));
  ASSERT_EQ(0, ::stat((dir / "f.frm.new~").c_str(), &is));
  EXPECT_EQ(was.st_mode, is.st_mode);
  if (root) {
    EXPECT_EQ(65534u, is.st_uid);
  }
  EXPECT_EQ(was.st_gid, is.st_gid);
  char value[8] = {};
  if (attributes) {
    EXPECT_EQ(3, ::getxattr((dir / "f.frm.new~").c_str(), "user.origin", value,
                            sizeof value));
    EXPECT_STREQ("vcs", value);
  }
  EXPECT_EQ(kOk, fs.SyncDir(dir.path()));
  std::string failed;
  EXPECT_EQ(kOk, fs.Flush({f, dir / "f.frm.new~"}, &failed));
}
#endif

TEST_F(DefaultFileSystemTest, RenameReplacesAnExistingFile) {
  dir.Write("f.frm.bak~", "new");
  dir.Write("f.frm.bak", "old");
  ASSERT_EQ(kOk, fs.Link(dir / "f.frm.bak", dir / "f.frm"));
  EXPECT_EQ(kOk, fs.Rename(dir / "f.frm.bak~", dir / "f.frm.bak"));
  EXPECT_EQ("new", dir.Read("f.frm.bak"));
  EXPECT_FALSE(dir.Exists("f.frm.bak~"));
  // The file replaced keeps its other names.
  EXPECT_EQ("old", dir.Read("f.frm"));
  // A name that is free is simply taken; a folder is never replaced.
  EXPECT_EQ(kOk, fs.Rename(dir / "f.frm", dir / "g.frm"));
  EXPECT_EQ("old", dir.Read("g.frm"));
  dir.Write("Forms/a.frm", "a");
  EXPECT_NE(kOk, fs.Rename(dir / "g.frm", dir / "Forms"));
  EXPECT_EQ("old", dir.Read("g.frm"));
  EXPECT_EQ("a", dir.Read("Forms/a.frm"));
  // A durable rename, as a backup's copy takes its name, does the same.
  dir.Write("h.frm.bak~", "copy");
  EXPECT_EQ(kOk, fs.RenameDurably(dir / "h.frm.bak~", dir / "g.frm"));
  EXPECT_EQ("copy", dir.Read("g.frm"));
  EXPECT_FALSE(dir.Exists("h.frm.bak~"));
  EXPECT_NE(kOk, fs.RenameDurably(dir / "g.frm", dir / "Forms"));
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
  EXPECT_TRUE(SameFile(f, again));
  EXPECT_FALSE(SameFile(f, g));
}

// A file has one id whether it is looked up open or by name, so a form one
// project wrote is known to the next. On Windows the id is the widest the
// system gives: 128 bits from Windows 8 on, the 64-bit index before.
TEST_F(DefaultFileSystemTest, AFileHasOneIdOpenOrByName) {
  OutputFile out(fs, dir / "f.frm", 0666);
  out.Write("x");
  const FileSystem::Status open = out.Status();
  out.Close();
  const FileSystem::Status named = StatFile(fs, dir / "f.frm");
  EXPECT_TRUE(SameFile(open, named));
#ifdef _WIN32
  const std::string f = dir / "f.frm";
  const HANDLE h = CreateFileA(f.c_str(), 0, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  FILE_ID_INFO wide;
  const bool offered =
      GetFileInformationByHandleEx(h, FileIdInfo, &wide, sizeof wide);
  CloseHandle(h);
  EXPECT_EQ(offered ? 128 : 64, named.id.bits);
#endif
}

TEST(SameFile, OnlyEqualKnownIdsOfOneWidthAreOneFile) {
  using Id = FileSystem::FileId;
  const struct {
    const char* what;
    Id a, b;
    bool same;
  } cases[] = {
      {"one 64-bit id", {1, 0, 7, 64}, {1, 0, 7, 64}, true},
      {"one 128-bit id", {1, 2, 7, 128}, {1, 2, 7, 128}, true},
      {"one lower half, as on ReFS", {1, 2, 7, 128}, {1, 3, 7, 128}, false},
      {"two widths", {1, 0, 7, 64}, {1, 0, 7, 128}, false},
      {"two volumes", {1, 0, 7, 64}, {2, 0, 7, 64}, false},
      {"no ids", {}, {}, false},
      {"zero ids", {0, 0, 0, 64}, {0, 0, 0, 64}, false},
  };
  for (const auto& c : cases) {
    FileSystem::Status a, b;
    a.id = c.a;
    b.id = c.b;
    EXPECT_EQ(c.same, SameFile(a, b)) << c.what;
    EXPECT_EQ(c.same, SameFile(b, a)) << c.what;
  }
}

TEST_F(DefaultFileSystemTest, ReportsAMissingFileAsSuch) {
  int fd = -1;
  std::vector<std::string> names;
  EXPECT_EQ(std::errc::no_such_file_or_directory,
            fs.OpenRead(dir / "none", &fd));
  EXPECT_EQ(std::errc::no_such_file_or_directory,
            fs.OpenWrite(dir / "none/f.frm", 0666, &fd));
  EXPECT_EQ(std::errc::no_such_file_or_directory,
            fs.Access(dir / "none", false));
  EXPECT_EQ(std::errc::no_such_file_or_directory,
            fs.Rename(dir / "none", dir / "other"));
  EXPECT_EQ(std::errc::no_such_file_or_directory, fs.Remove(dir / "none"));
  EXPECT_EQ(std::errc::no_such_file_or_directory,
            fs.ListDir(dir / "none", &names, nullptr));
  EXPECT_EQ(std::errc::no_such_file_or_directory, fs.ChangeDir(dir / "none"));
}

#ifdef _WIN32
// A failure carries the system's code of the call that met it, whatever
// calls come after it on this thread or another: a file Visual Basic holds
// open is a sharing violation, not a missing permission, though both
// compare as permission_denied.
TEST_F(DefaultFileSystemTest, AFailureKeepsTheCodeOfTheCallThatMetIt) {
  dir.Write("held.frm", "x");
  dir.Write("readonly.frm", "x");
  const std::string held_path = dir / "held.frm";
  const std::string read_only = dir / "readonly.frm";
  ASSERT_TRUE(SetFileAttributesA(read_only.c_str(), FILE_ATTRIBUTE_READONLY));
  const HANDLE held = CreateFileA(held_path.c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  int fd = -1;
  const std::error_code sharing = fs.OpenRead(held_path, &fd);
  std::error_code denied, fine;
  std::thread([&] {
    denied = fs.Access(read_only, true);
    fine = fs.Access(held_path, false);
  }).join();
  CloseHandle(held);
  SetFileAttributesA(read_only.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ERROR_SHARING_VIOLATION, sharing.value());
  EXPECT_STREQ("windows", sharing.category().name());
  EXPECT_EQ(std::errc::permission_denied, sharing);
  EXPECT_EQ(ERROR_ACCESS_DENIED, denied.value());
  EXPECT_EQ(std::errc::permission_denied, denied);
  EXPECT_EQ(kOk, fine);
}
#endif

// When a command ends, everything it wrote is on disk: a written file that
// cannot be reached by then is reported by its own name, never passed over.
TEST_F(DefaultFileSystemTest, AFileTheFlushCannotReachIsAFailure) {
  dir.Write("f.frm", "x");
  for (const std::string& gone :
       {dir / "gone.frm", dir / std::string("f.frm\0.frm", 10)}) {
    WrittenFiles written;
    written.paths = {dir / "f.frm", gone};
    try {
      FlushWritten(fs, written);
      ADD_FAILURE() << "passed over " << gone;
    } catch (const std::filesystem::filesystem_error& e) {
      EXPECT_EQ(std::errc::no_such_file_or_directory, e.code());
      EXPECT_EQ(std::filesystem::path(gone), e.path1());
    }
  }
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
  EXPECT_EQ(std::errc::no_such_file_or_directory, fs.OpenRead(file, &fd));
  EXPECT_EQ(std::errc::no_such_file_or_directory,
            fs.OpenWrite(file, 0666, &fd));
  EXPECT_EQ(std::errc::no_such_file_or_directory, fs.Access(file, true));
  EXPECT_EQ(std::errc::no_such_file_or_directory, fs.Rename(file, dir / "q"));
  EXPECT_EQ(std::errc::no_such_file_or_directory,
            fs.Rename(dir / "p/modMain.bas", file));
  EXPECT_EQ(std::errc::no_such_file_or_directory, fs.Remove(file));
  EXPECT_EQ(std::errc::no_such_file_or_directory,
            fs.ListDir(folder, &names, nullptr));
  EXPECT_EQ(std::errc::no_such_file_or_directory, fs.ChangeDir(folder));
  EXPECT_EQ("x", dir.Read("p/modMain.bas"));
}

TEST_F(DefaultFileSystemTest, ListsAFolderAndEntersIt) {
  dir.Write("p/a.frm", "x");
  dir.Write("p/Forms/b.frm", "");
  std::vector<std::string> names;
  ASSERT_EQ(kOk, fs.ListDir(dir / "p", &names, nullptr));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::vector<std::string>({"Forms", "a.frm"}), names);

  const std::filesystem::path cwd = std::filesystem::current_path();
  ASSERT_EQ(kOk, fs.ChangeDir(dir / "p"));
  FileSystem::Status status;
  const std::error_code err = fs.Stat("a.frm", &status);
  std::filesystem::current_path(cwd);
  EXPECT_EQ(kOk, err);
  EXPECT_EQ(Kind::kRegular, status.kind);
}

}  // namespace
