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

TEST(Permissions, OnlyFilesToWriteMustBeWritableAndReplaceable) {
  struct Case {
    const char* what;
    std::function<void(const TempDir&)> arrange;  // as the tests' own user
    int err;                                      // 0: the project converts
    const char* path;                             // the error's, below P
  };
  const Case cases[] = {
      {"a read-only form that needs converting",
       [](const TempDir& d) {
         stdfs::permissions(d / "P/a.frm", stdfs::perms(0444));
       },
       EACCES, "a.frm"},
      {"a read-only form already converted",
       [](const TempDir& d) {
         d.Write("P/a.frm", kGridConverted);
         Own(d / "P/a.frm", kNobody);
         stdfs::permissions(d / "P/a.frm", stdfs::perms(0444));
       },
       0, ""},
      {"a folder without write access",
       [](const TempDir& d) {
         stdfs::permissions(d / "P", stdfs::perms(0555));
       },
       EACCES, ""},
      {"another user's form in a sticky folder",
       [](const TempDir& d) {
         if (::geteuid() != 0) return;  // no other user to give it to
         Own(d / "P", 0);
         Own(d / "P/a.frm", 0);
         stdfs::permissions(d / "P", stdfs::perms(01777));
         stdfs::permissions(d / "P/a.frm", stdfs::perms(0666));
       },
       ::geteuid() == 0 ? EPERM : 0, "a.frm"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    dir.Write("P/P.vbp",
              "Object={5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0; "
              "tbln8.ocx\r\nForm=a.frm\r\nForm=b.frm\r\n");
    dir.Write("P/a.frm", kGrid);
    dir.Write("P/b.frm", kGrid);
    for (const char* rel : {"", "P", "P/P.vbp", "P/a.frm", "P/b.frm"}) {
      Own(dir / rel, kNobody);
    }
    c.arrange(dir);
    const std::string want_path = (dir / "P") + (*c.path ? "/" : "") + c.path;
    const std::string report = AsUnprivileged([&]() -> std::string {
      const Tree before = ReadTree(dir.path());
      RecordingHost host;
      int err = 0;
      std::string path;
      try {
        ConvertProject(dir / "P/P.vbp", false, kTables, host,
                       DefaultFileSystem());
      } catch (const stdfs::filesystem_error& e) {
        err = e.code().value();
        path = e.path1().string();
      }
      if (err != c.err) return "error " + std::to_string(err);
      if (err != 0 && path != want_path) return "named " + path;
      if (err != 0 && ReadTree(dir.path()) != before) return "changed files";
      if (err == 0 && dir.Read("P/b.frm") != kGridConverted) {
        return "did not convert";
      }
      return std::string();
    });
    EXPECT_EQ("", report) << c.what;
    // Let the temporary folder go.
    stdfs::permissions(dir / "P", stdfs::perms(0755));
  }
}

// The restore renames by the conversion's own rules: a file it would
// replace must be writable and not marked read-only, its folder writable,
// its name ours to replace, and its backup readable.
TEST(Permissions, RestoreRenamesOnlyWhatItMay) {
  struct Case {
    const char* what;
    std::function<void(const TempDir&)> arrange;  // as the tests' own user
    int err;                                      // 0: the project goes back
    const char* path;                             // the error's, below P
  };
  const Case cases[] = {
      {"a read-only form to restore",
       [](const TempDir& d) {
         stdfs::permissions(d / "P/a.frm", stdfs::perms(0444));
       },
       EACCES, "a.frm"},
      {"a read-only form changed since, which stays",
       [](const TempDir& d) {
         d.Write("P/a.frm", "edited");
         Own(d / "P/a.frm", kNobody);
         stdfs::permissions(d / "P/a.frm", stdfs::perms(0444));
       },
       0, ""},
      {"a folder without write access",
       [](const TempDir& d) {
         stdfs::permissions(d / "P", stdfs::perms(0555));
       },
       EACCES, ""},
      {"a backup nobody may read",
       [](const TempDir& d) {
         if (::geteuid() != 0) return;
         Own(d / "P/b.frm.bak", 0);
         stdfs::permissions(d / "P/b.frm.bak", stdfs::perms(0600));
       },
       ::geteuid() == 0 ? EACCES : 0, "b.frm.bak"},
      {"another user's form in a sticky folder",
       [](const TempDir& d) {
         if (::geteuid() != 0) return;
         Own(d / "P", 0);
         Own(d / "P/a.frm", 0);
         stdfs::permissions(d / "P", stdfs::perms(01777));
         stdfs::permissions(d / "P/a.frm", stdfs::perms(0666));
       },
       ::geteuid() == 0 ? EPERM : 0, "a.frm"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    dir.Write("P/P.vbp",
              "Object={5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0; "
              "tbln8.ocx\r\nForm=a.frm\r\nForm=b.frm\r\n");
    dir.Write("P/a.frm", kGrid);
    dir.Write("P/b.frm", kGrid);
    RecordingHost converting;
    ConvertProject(dir / "P/P.vbp", false, kTables, converting,
                   DefaultFileSystem());
    for (const auto& entry : stdfs::recursive_directory_iterator(dir.path())) {
      Own(entry.path().string(), kNobody);
    }
    Own(dir.path(), kNobody);
    c.arrange(dir);
    const std::string want_path = (dir / "P") + (*c.path ? "/" : "") + c.path;
    // A backup nobody may read cannot be read back as nobody either.
    const Tree before = ReadTree(dir.path());
    const std::string report = AsUnprivileged([&]() -> std::string {
      RecordingHost host;
      host.answers = {true};
      RestorePlan plan;
      int err = 0;
      std::string path;
      try {
        RestoreProject(dir / "P/P.vbp", kTables, host, DefaultFileSystem(),
                       plan);
      } catch (const stdfs::filesystem_error& e) {
        err = e.code().value();
        path = e.path1().string();
      }
      if (err != c.err) return "error " + std::to_string(err);
      if (err != 0 && path != want_path) return "named " + path;
      return std::string();
    });
    EXPECT_EQ("", report) << c.what;
    if (c.err != 0) {
      EXPECT_EQ(before, ReadTree(dir.path())) << c.what;
    } else {
      EXPECT_EQ(kGrid, dir.Read("P/b.frm")) << c.what;
    }
    stdfs::permissions(dir / "P", stdfs::perms(0755));
  }
}

}  // namespace
