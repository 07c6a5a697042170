// The checks before writing, on the real file system and as a user without
// privileges: root passes every access check, so a run as root (as in CI)
// does the cases as the user nobody, in a process of its own.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/projectconvert.h"
#include "engine/restorecommand.h"
#include "engine/testkit/testing.h"
#include "engine/testkit/treecheck.h"

namespace {

namespace stdfs = std::filesystem;

const Tables kTables = InitTables();
const std::string kGrid = "Begin Tabulon80.Grid g\r\nEnd\r\n";
const std::string kGridConverted = "Begin Tabulon80c.Grid g\r\nEnd\r\n";
constexpr uid_t kNobody = 65534;

// Runs body as nobody when the tests run as root, else as the user itself,
// and returns what it reports.
std::string AsUnprivileged(const std::function<std::string()>& body) {
  if (::geteuid() != 0) return body();
  int out[2];
  if (::pipe(out) != 0) return "no pipe";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(out[0]);
    std::string report = "cannot become nobody";
    if (::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 &&
        ::setuid(kNobody) == 0) {
      report = body();
    }
    const ssize_t put = ::write(out[1], report.data(), report.size());
    ::_exit(put == static_cast<ssize_t>(report.size()) ? 0 : 1);
  }
  ::close(out[1]);
  std::string report;
  char buf[512];
  for (ssize_t got; (got = ::read(out[0], buf, sizeof buf)) > 0;) {
    report.append(buf, static_cast<size_t>(got));
  }
  ::close(out[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? report : "the case's process died";
}

void Own(const std::string& path, uid_t uid) {
  if (::geteuid() == 0 && ::lchown(path.c_str(), uid, uid) != 0) {
    ADD_FAILURE() << "cannot give away " << path;
  }
}

struct Case {
  const char* what;
  std::function<void(const TempDir&)> arrange;  // as the tests' own user
  int err;                                      // 0: the command goes through
  const char* path;                             // the error's, below P
};

// The command as nobody: a restore undoes a conversion made first.
int RunAsNobody(const TempDir& dir, bool restore, std::string* path) {
  RecordingHost host;
  host.answers = {true};
  RestorePlan plan;
  try {
    if (restore) {
      RestoreProject(dir / "P/P.vbp", kTables, host, DefaultFileSystem(), plan);
    } else {
      ConvertProject(dir / "P/P.vbp", false, kTables, host,
                     DefaultFileSystem());
    }
  } catch (const stdfs::filesystem_error& e) {
    *path = e.path1().string();
    return e.code().value();
  }
  return 0;
}

// Each case on P/P.vbp listing a.frm and b.frm, all nobody's: a failure
// names its path and changes nothing, a success reaches b.frm.
void RunCases(const std::vector<Case>& cases, bool restore) {
  for (const Case& c : cases) {
    TempDir dir;
    dir.Write("P/P.vbp",
              "Object={5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0; "
              "tbln8.ocx\r\nForm=a.frm\r\nForm=b.frm\r\n");
    dir.Write("P/a.frm", kGrid);
    dir.Write("P/b.frm", kGrid);
    RecordingHost converting;
    if (restore) {
      ConvertProject(dir / "P/P.vbp", false, kTables, converting,
                     DefaultFileSystem());
    }
    Own(dir.path(), kNobody);
    for (const auto& entry : stdfs::recursive_directory_iterator(dir.path())) {
      Own(entry.path().string(), kNobody);
    }
    c.arrange(dir);
    const std::string want_path = (dir / "P") + (*c.path ? "/" : "") + c.path;
    // Read as the tests' own user: nobody may be unable to.
    const Tree before = ReadTree(dir.path());
    const std::string report = AsUnprivileged([&]() -> std::string {
      std::string path;
      const int err = RunAsNobody(dir, restore, &path);
      if (err != c.err) return "error " + std::to_string(err);
      if (err != 0 && path != want_path) return "named " + path;
      return std::string();
    });
    EXPECT_EQ("", report) << c.what;
    if (c.err != 0) {
      EXPECT_EQ(before, ReadTree(dir.path())) << c.what;
    } else {
      EXPECT_EQ(restore ? kGrid : kGridConverted, dir.Read("P/b.frm"))
          << c.what;
    }
    // Let the temporary folder go.
    stdfs::permissions(dir / "P", stdfs::perms(0755));
  }
}

const Case kFolderLocked = {
    "a folder without write access",
    [](const TempDir& d) { stdfs::permissions(d / "P", stdfs::perms(0555)); },
    EACCES, ""};

// Another user's form in a sticky folder, where there is another user.
const Case kSticky = {"another user's form in a sticky folder",
                      [](const TempDir& d) {
                        if (::geteuid() != 0) return;
                        Own(d / "P", 0);
                        Own(d / "P/a.frm", 0);
                        stdfs::permissions(d / "P", stdfs::perms(01777));
                        stdfs::permissions(d / "P/a.frm", stdfs::perms(0666));
                      },
                      ::geteuid() == 0 ? EPERM : 0, "a.frm"};

void ReadOnly(const TempDir& d) {
  stdfs::permissions(d / "P/a.frm", stdfs::perms(0444));
}

TEST(Permissions, OnlyFilesToWriteMustBeWritableAndReplaceable) {
  RunCases(
      {{"a read-only form that needs converting", ReadOnly, EACCES, "a.frm"},
       {"a read-only form already converted",
        [](const TempDir& d) {
          d.Write("P/a.frm", kGridConverted);
          ReadOnly(d);
        },
        0, ""},
       kFolderLocked,
       kSticky},
      false);
}

// The restore renames by the conversion's own rules, and reads every
// backup it renames.
TEST(Permissions, RestoreRenamesOnlyWhatItMay) {
  RunCases({{"a read-only form to restore", ReadOnly, EACCES, "a.frm"},
            {"a read-only form changed since, which stays",
             [](const TempDir& d) {
               d.Write("P/a.frm", "edited");
               ReadOnly(d);
             },
             0, ""},
            {"a backup nobody may read",
             [](const TempDir& d) {
               if (::geteuid() != 0) return;
               Own(d / "P/b.frm.bak", 0);
               stdfs::permissions(d / "P/b.frm.bak", stdfs::perms(0600));
             },
             ::geteuid() == 0 ? EACCES : 0, "b.frm.bak"},
            kFolderLocked,
            kSticky},
           true);
}

}  // namespace
