// The batch command, run in a session as the window runs it, over a sample
// batch folder while the file system fails: every operation in turn, and a
// disk that fills up. Whatever fails, the user learns why or is told the
// batch is done, the window is usable again, and the folder keeps the
// promise of CheckTree.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "engine/commands.h"
#include "engine/commandsession.h"
#include "engine/testkit/recordingwindow.h"
#include "engine/testkit/sampletrees.h"
#include "engine/testkit/testing.h"
#include "engine/testkit/treecheck.h"

namespace {

const Tables kTables = InitTables();

// What one run of the batch left behind.
struct Outcome {
  std::vector<RecordingWindow::Shown> shown;
  bool enabled = false;
  std::string root;  // the batch folder, as the folder list shows it
  Tree after;
  std::string failed;     // the operation made to fail, if one was reached
  size_t operations = 0;  // file operations from the command on
};

std::string ErrorPrefix(int err) {
  return "Error " + std::to_string(err) + ": " +
         std::generic_category().message(err) + "\n";
}

bool StartsWith(const std::string& s, const std::string& start) {
  return s.rfind(start, 0) == 0;
}

class CommandFaults : public ::testing::Test {
 protected:
  // The commands leave the current directory in the folder of their last
  // project, which goes with the tree.
  void TearDown() override { std::filesystem::current_path(cwd_); }

  // The sample batch as written and read back, with its folders as entries
  // of their own, and what a run without faults makes of it.
  void SetUp() override {
    TempDir dir;
    WriteTree(dir.path(), SampleBatch());
    before_ = ReadTree(dir.path());
    const Outcome clean = Run([](FaultyFileSystem&) {});
    EXPECT_TRUE(clean.enabled);
    EXPECT_FALSE(CheckBoxes(clean, 0));
    // Done holds no grid any more, nor does A once reached again through
    // the link to it; A and B are converted.
    ASSERT_EQ(3u, clean.shown.size());
    EXPECT_EQ("Done converting 4 projects.", clean.shown.back().box.text);
    converted_ = clean.after;
    operations_ = clean.operations;
    EXPECT_EQ(std::vector<std::string>{},
              CheckTree(before_, converted_, converted_, false));
    EXPECT_NE(before_, converted_);
  }

  Outcome Run(const std::function<void(FaultyFileSystem&)>& arrange) {
    TempDir dir;
    WriteTree(dir.path(), before_);
    FaultyFileSystem fs;
    RecordingWindow window(fs);
    window.answers.assign(10, true);
    CommandSession session(window, kTables, fs);
    window.OpenFolder(dir.path());
    Outcome outcome;
    outcome.root = window.folder.path;
    // Counted from the command: the folder list read the batch folder before.
    fs.operations = 0;
    arrange(fs);
    session.Run(ConvertBatchFolder);
    std::filesystem::current_path(cwd_);
    outcome.shown = window.shown;
    outcome.enabled = window.enabled;
    outcome.failed = fs.failed;
    outcome.operations = fs.operations;
    outcome.after = ReadTree(outcome.root);
    return outcome;
  }

  // Checks the boxes of outcome: information boxes of projects without
  // grids, then either the failure with err or the closing count. Returns
  // whether the run failed.
  bool CheckBoxes(const Outcome& outcome, int err) {
    if (outcome.shown.empty()) {
      ADD_FAILURE() << "no box";
      return false;
    }
    for (size_t i = 0; i + 1 < outcome.shown.size(); ++i) {
      const BoxDescription& box = outcome.shown[i].box;
      EXPECT_EQ(BoxIcon::kInformation, box.icon);
      EXPECT_EQ(kAppTitle, box.title);
      EXPECT_TRUE(StartsWith(box.text, "Couldn't find any convertible"))
          << box.text;
    }
    const RecordingWindow::Shown& last = outcome.shown.back();
    EXPECT_FALSE(last.box.cancel);
    EXPECT_TRUE(last.enabled);
    if (last.box.icon == BoxIcon::kCritical) {
      EXPECT_EQ(kAppTitle, last.box.title);
      // Number, text and the path involved, a path inside the batch folder.
      EXPECT_TRUE(
          StartsWith(last.box.text, ErrorPrefix(err) + outcome.root + "/"))
          << last.box.text << " / " << outcome.failed;
      return true;
    }
    EXPECT_EQ(kDoneTitle, last.box.title);
    EXPECT_TRUE(StartsWith(last.box.text, "Done converting ")) << last.box.text;
    return false;
  }

  std::filesystem::path cwd_ = std::filesystem::current_path();
  Tree before_;
  Tree converted_;
  size_t operations_ = 0;  // of the run without faults
};

TEST_F(CommandFaults, BatchSurvivesEachOperationFailingOnce) {
  ASSERT_GT(operations_, 100u);
  size_t errors = 0;
  size_t met = 0;
  for (size_t n = 1; n <= operations_; ++n) {
    const Outcome outcome = Run([n](FaultyFileSystem& fs) {
      fs.fail_at = n;
      fs.fail_errno = EIO;
    });
    const std::string what = std::to_string(n) + " " + outcome.failed;
    ASSERT_FALSE(outcome.failed.empty()) << what;
    EXPECT_TRUE(outcome.enabled) << what;
    const bool failed = CheckBoxes(outcome, EIO);
    // Every failure is reported, a listing's too: a batch that passed over
    // an entry it could not examine would report success without a project.
    // A refused link alone is met by a copy, and the batch goes on. A module
    // is read for the places left once its project is converted; a failure
    // then lets the batch go on, and the Done box's details say so.
    const bool copied = StartsWith(outcome.failed, "Link ");
    const bool unread =
        !failed && outcome.shown.back().box.details.find("could not be read") !=
                       std::string::npos;
    EXPECT_NE(failed, copied || unread) << what;
    if (copied || unread) {
      EXPECT_EQ(converted_, outcome.after) << what;
    }
    EXPECT_EQ(std::vector<std::string>{},
              CheckTree(before_, outcome.after, converted_, false))
        << what;
    if (HasFailure()) return;
    errors += failed;
    met += copied || unread;
  }
  EXPECT_EQ(operations_, errors + met);
  std::printf("%zu operations failed in turn, %zu reported\n", operations_,
              errors);
}

TEST_F(CommandFaults, BatchSurvivesTheDiskFillingUp) {
  // Only the new files take space: each backup is its original's blocks.
  size_t written = 0;
  for (const auto& [name, entry] : converted_) {
    if (before_.count(name) != 0 && before_.at(name) != entry) {
      written += entry.bytes.size();
    }
  }
  ASSERT_GT(written, 0u);
  // A prime step moves the border around inside each file written.
  for (size_t free = 0; free < written; free += 97) {
    const Outcome outcome =
        Run([free](FaultyFileSystem& fs) { fs.disk_free = free; });
    EXPECT_TRUE(outcome.enabled) << free;
    EXPECT_TRUE(CheckBoxes(outcome, ENOSPC)) << free;
    EXPECT_EQ(std::vector<std::string>{},
              CheckTree(before_, outcome.after, converted_, true))
        << free;
    if (HasFailure()) return;
  }
  const Outcome roomy =
      Run([&](FaultyFileSystem& fs) { fs.disk_free = written * 2; });
  EXPECT_FALSE(CheckBoxes(roomy, 0));
  EXPECT_EQ(converted_, roomy.after);
}

// The folders are readable; only the file system the session was given
// denies them, so this passes only if the commands go through it: a folder
// it cannot list, and one whose entry it cannot examine. The folder list
// shows no subfolders then, and the file list no files; the file list's
// failure is the folder list's, reported once, and a command in the
// folder reports it again.
TEST_F(CommandFaults, FoldersTheSystemDeniesAreReported) {
  for (const bool listing : {true, false}) {
    TempDir dir;
    WriteTree(dir.path(), before_);
    FaultyFileSystem fs;
    RecordingWindow window(fs);
    window.answers = {true, true};
    CommandSession session(window, kTables, fs);
    const std::string a = dir.path() + "/A";
    (listing ? fs.unreadable : fs.unexaminable).insert(a);
    window.OpenFolder(listing ? a : dir.path());
    EXPECT_TRUE(window.folder.subfolders.empty());
    session.Run(FollowFolder);
    EXPECT_EQ(0u, window.file_list.FileCount());
    if (listing) {
      window.files = {{a + "/A.vbp", ""}};
      session.Run(ConvertChosenProject);  // it cannot enter A
    } else {
      session.Run(ConvertBatchFolder);
    }
    std::filesystem::current_path(cwd_);
    ASSERT_EQ(2u, window.shown.size()) << listing;
    for (const RecordingWindow::Shown& shown : window.shown) {
      EXPECT_EQ(BoxIcon::kCritical, shown.box.icon);
      EXPECT_EQ(ErrorPrefix(EACCES) + a, shown.box.text);
    }
    EXPECT_TRUE(window.enabled);
    EXPECT_EQ(before_, ReadTree(dir.path()));
  }
}

}  // namespace
