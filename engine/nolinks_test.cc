// A real file system without hard links, as FAT and exFAT drives and many
// network shares are: every backup is then a flushed copy, and the files on
// disk end up exactly as where links exist, after a conversion and after
// the restore that undoes it. The kernel here has no FAT
// driver, so an exFAT image is mounted through FUSE on a loop device, which
// needs root; elsewhere the test says why it skips.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "engine/projectconvert.h"
#include "engine/restorecommand.h"
#include "engine/testkit/sampletrees.h"
#include "engine/testkit/testing.h"
#include "engine/testkit/treecheck.h"

namespace {

// Runs a shell command quietly: its output goes where the command sends it.
bool Run(const std::string& command) {
  return std::system(("(" + command + ") 2>/dev/null").c_str()) == 0;
}

// An exFAT file system mounted below a temporary folder while it lives.
class ExfatMount {
 public:
  explicit ExfatMount(const TempDir& dir)
      : image_(dir / "exfat.img"), mount_(dir / "mnt") {
    if (::geteuid() != 0) {
      why_not_ = "mounting needs root";
      return;
    }
    std::filesystem::create_directory(mount_);
    if (!Run("truncate -s 32M '" + image_ + "' && mkfs.exfat '" + image_ +
             "' >/dev/null")) {
      why_not_ = "no mkfs.exfat (Debian's exfatprogs)";
      return;
    }
    if (!Run("losetup -f --show '" + image_ + "' > '" + image_ + ".dev'")) {
      why_not_ = "no loop device";
      return;
    }
    loop_ = TempDirFile(image_ + ".dev");
    if (!Run("mount.exfat-fuse '" + loop_ + "' '" + mount_ + "'")) {
      why_not_ = "no FUSE exFAT (Debian's exfat-fuse, /dev/fuse)";
      return;
    }
    mounted_ = true;
  }
  ExfatMount(const ExfatMount&) = delete;
  ExfatMount& operator=(const ExfatMount&) = delete;
  ~ExfatMount() {
    if (mounted_) Run("umount '" + mount_ + "'");
    // The file system's process lets the device go a moment after the
    // unmount returns.
    if (!loop_.empty()) {
      Run("for i in 1 2 3 4 5 6 7 8 9 10; do losetup -d '" + loop_ +
          "' && break; sleep 0.2; done");
    }
  }

  const std::string& why_not() const { return why_not_; }
  const std::string& path() const { return mount_; }

 private:
  static std::string TempDirFile(const std::string& path) {
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "r")) {
      char buf[256];
      while (std::fgets(buf, sizeof buf, f) != nullptr) text += buf;
      std::fclose(f);
    }
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }

  std::string image_, mount_, loop_, why_not_;
  bool mounted_ = false;
};

TEST(NoHardLinks, BackupsAreCopiesAndTheBytesTheSame) {
  const Tables tables = InitTables();
  TempDir dir;
  ExfatMount exfat(dir);
  if (!exfat.why_not().empty()) GTEST_SKIP() << exfat.why_not();
  const std::string probe = exfat.path() + "/probe";
  std::fclose(std::fopen(probe.c_str(), "w"));
  ASSERT_NE(0, ::link(probe.c_str(), (probe + "2").c_str()));
  std::filesystem::remove(probe);

  TempDir linking;
  for (const std::string& root : {linking.path(), exfat.path()}) {
    WriteTree(root, SampleProject());
    RecordingHost host;
    ConvertProject(root + "/Demo/Demo.vbp", false, tables, host,
                   DefaultFileSystem());
  }
  // exFAT ignores letter case, so a file keeps the name the project lists,
  // as on Windows.
  const auto lower = [](const Tree& tree) {
    Tree folded;
    for (const auto& [name, entry] : tree) {
      std::string key = name;
      for (char& c : key) c = static_cast<char>(std::tolower(c));
      folded[key] = entry;
    }
    return folded;
  };
  EXPECT_EQ(lower(ReadTree(linking.path())), lower(ReadTree(exfat.path())));

  // The copies go back by the same renames: the tree is as it was, but for
  // the older backup that the conversion replaced.
  Tree sample = SampleProject();
  sample.erase("Demo/frmMain.frm.bak");
  for (const std::string& root : {linking.path(), exfat.path()}) {
    RecordingHost host;
    host.answers = {true};
    RestorePlan plan;
    RestoreProject(root + "/Demo/Demo.vbp", tables, host, DefaultFileSystem(),
                   plan);
    // FUSE's exFAT driver shows a file renamed over another through a
    // folder spelt in other letter case ("FORMS" for "forms") with its old
    // bytes for a moment under the folder's own spelling; the disk holds the
    // new ones, as a fresh mount shows.
    if (root == exfat.path()) {
      std::this_thread::sleep_for(std::chrono::seconds(2));
    }
    Tree left = ReadTree(root);
    std::erase_if(left, [](const auto& entry) {
      return entry.second.kind == TreeEntry::Kind::kFolder;
    });
    EXPECT_EQ(lower(sample), lower(left)) << root;
  }
}

}  // namespace
