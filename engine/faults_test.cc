// Every file operation of a conversion is made to fail in turn, and after
// each failure the tree on disk is held to the promise of CheckTree; of a
// restore, to the promise of CheckRestoredTree, and a second restore must
// then give the tree back as it was before its conversion.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "engine/projectconvert.h"
#include "engine/restorecommand.h"
#include "engine/testkit/batchdriver.h"
#include "engine/testkit/sampletrees.h"
#include "engine/testkit/testing.h"
#include "engine/testkit/treecheck.h"

namespace {

const Tables kTables = InitTables();

// A conversion over a tree below root.
using Conversion = std::function<void(const std::string& root,
                                      ConversionHost& host, FileSystem& fs)>;

void RunProject(const std::string& root, ConversionHost& host, FileSystem& fs) {
  ConvertProject(root + "/Demo/Demo.vbp", false, kTables, host, fs);
}

void RunBatch(const std::string& root, ConversionHost& host, FileSystem& fs) {
  ConvertBatch(root, kTables, host, fs);
}

void RestoreDemo(const std::string& root, RecordingHost& host, FileSystem& fs) {
  host.answers = {true};
  RestorePlan plan;
  RestoreProject(root + "/Demo/Demo.vbp", kTables, host, fs, plan);
}

void RestoreAll(const std::string& root, RecordingHost& host, FileSystem& fs) {
  host.answers = {true};
  RestoreBatch(root, kTables, host, fs);
}

using RestoreRun = std::function<void(const std::string& root,
                                      RecordingHost& host, FileSystem& fs)>;

// A sample without backups from before: a round trip gives it back whole.
Tree WithoutBackups(Tree tree) {
  std::erase_if(tree, [](const auto& entry) {
    return entry.first.ends_with(".frm.bak");
  });
  return tree;
}

class FaultLoop : public ::testing::Test {
 protected:
  // The batch changes the current directory; the folders it enters go when
  // each test ends.
  std::filesystem::path cwd = std::filesystem::current_path();
  void TearDown() override {
    std::filesystem::current_path(cwd);
    std::printf("%zu runs, %zu of them failed\n", runs, failures);
  }

  // What a finished run makes of tree, whose folders Prepare adds as
  // entries of their own.
  Tree Converted(Tree& tree, const Conversion& run) {
    TempDir dir;
    WriteTree(dir.path(), tree);
    tree = ReadTree(dir.path());
    RecordingHost host;
    FaultyFileSystem counting;
    run(dir.path(), host, counting);
    operations = counting.operations;
    Tree converted = ReadTree(dir.path());
    EXPECT_EQ(std::vector<std::string>{},
              CheckTree(tree, converted, converted, false));
    return converted;
  }

  // Runs the conversion of tree once with faults set up by arrange (given
  // the tree's root); returns whether some operation failed.
  bool RunOnce(const Tree& tree, const Tree& converted, const Conversion& run,
               const std::function<void(FaultyFileSystem&)>& arrange,
               int want_errno, bool in_flight) {
    TempDir dir;
    WriteTree(dir.path(), tree);
    FaultyFileSystem fs;
    arrange(fs);
    RecordingHost host;
    bool failed = false;
    try {
      run(dir.path(), host, fs);
    } catch (const std::filesystem::filesystem_error& e) {
      failed = true;
      // What the window reports: number, text and the path involved.
      EXPECT_EQ(want_errno, e.code().value()) << fs.failed;
      EXPECT_FALSE(e.code().message().empty());
      EXPECT_EQ(0u, e.path1().string().rfind(dir.path(), 0))
          << e.path1() << " " << fs.failed;
    }
    ++runs;
    if (failed) ++failures;
    EXPECT_TRUE(host.enabled) << fs.failed;
    const Tree after = ReadTree(dir.path());
    EXPECT_EQ(std::vector<std::string>{},
              CheckTree(tree, after, converted, in_flight))
        << fs.failed;
    if (!failed) {
      EXPECT_EQ(converted, after);
    }
    return failed;
  }

  // Fails each operation of a finished run in turn; returns how many runs
  // failed. Some failures are met by another way (a refused link by a copy)
  // and the run passes.
  size_t FailEachInTurn(const Tree& sample, const Conversion& run, int err,
                        bool sticky) {
    Tree tree = sample;
    const Tree converted = Converted(tree, run);
    size_t failed = 0;
    for (size_t n = 1; n <= operations; ++n) {
      failed += RunOnce(
          tree, converted, run,
          [&](FaultyFileSystem& fs) {
            fs.fail_at = n;
            fs.fail_errno = err;
            fs.sticky = sticky;
          },
          err, sticky);
    }
    return failed;
  }

  // The restore of sample once converted, with each of its operations
  // failing in turn; returns how many runs failed.
  size_t FailEachRestoreInTurn(const Tree& sample, const Conversion& convert,
                               const RestoreRun& restore, bool sticky) {
    TempDir dir;
    WriteTree(dir.path(), sample);
    const Tree before = ReadTree(dir.path());
    RecordingHost host;
    convert(dir.path(), host, DefaultFileSystem());
    const Tree converted = ReadTree(dir.path());
    FaultyFileSystem counting;
    restore(dir.path(), host, counting);
    EXPECT_EQ(before, ReadTree(dir.path()));
    size_t failed = 0;
    for (size_t n = 1; n <= counting.operations; ++n) {
      TempDir copy;
      WriteTree(copy.path(), converted);
      FaultyFileSystem fs;
      fs.fail_at = n;
      fs.sticky = sticky;
      RecordingHost faulty, again;
      try {
        restore(copy.path(), faulty, fs);
      } catch (const std::filesystem::filesystem_error& e) {
        ++failed;
        EXPECT_EQ(0u, e.path1().string().rfind(copy.path(), 0)) << fs.failed;
      }
      EXPECT_TRUE(faulty.enabled) << fs.failed;
      EXPECT_EQ(std::vector<std::string>{},
                CheckRestoredTree(before, converted, ReadTree(copy.path())))
          << fs.failed;
      restore(copy.path(), again, DefaultFileSystem());
      EXPECT_EQ(before, ReadTree(copy.path())) << fs.failed;
    }
    runs += counting.operations;
    failures += failed;
    return failed;
  }

  size_t operations = 0;  // of the last finished run
  size_t runs = 0;
  size_t failures = 0;
};

TEST_F(FaultLoop, ProjectSurvivesEachOperationFailingOnce) {
  EXPECT_GT(FailEachInTurn(SampleProject(), RunProject, EIO, false), 60u);
}

TEST_F(FaultLoop, BatchSurvivesEachOperationFailingOnce) {
  EXPECT_GT(FailEachInTurn(SampleBatch(), RunBatch, ENOSPC, false), 100u);
}

TEST_F(FaultLoop, BatchSurvivesADeviceThatStopsForGood) {
  // Nothing can be written or tidied after the failure: the new file being
  // written may stay half written under its temporary name.
  EXPECT_GT(FailEachInTurn(SampleBatch(), RunBatch, EIO, true), 100u);
}

TEST_F(FaultLoop, RestoreSurvivesEachOperationFailing) {
  EXPECT_GT(FailEachRestoreInTurn(WithoutBackups(SampleProject()), RunProject,
                                  RestoreDemo, false),
            30u);
  EXPECT_GT(FailEachRestoreInTurn(SampleBatch(), RunBatch, RestoreAll, false),
            50u);
  EXPECT_GT(FailEachRestoreInTurn(SampleBatch(), RunBatch, RestoreAll, true),
            50u);
}

TEST_F(FaultLoop, BatchSurvivesTheDiskFillingUp) {
  Tree tree = SampleBatch();
  const Tree converted = Converted(tree, RunBatch);
  // Only the new files take space: each backup is its original's blocks.
  size_t written = 0;
  for (const auto& [name, entry] : converted) {
    if (tree.count(name) != 0 && tree.at(name) != entry) {
      written += entry.bytes.size();
    }
  }
  // Short writes land anywhere in a file; a prime step moves the border
  // around inside each.
  for (size_t free = 0; free < written; free += 31) {
    EXPECT_TRUE(RunOnce(
        tree, converted, RunBatch,
        [&](FaultyFileSystem& fs) { fs.disk_free = free; }, ENOSPC, true))
        << free;
  }
  EXPECT_FALSE(RunOnce(
      tree, converted, RunBatch,
      [&](FaultyFileSystem& fs) { fs.disk_free = written * 2; }, 0, false));
}

TEST_F(FaultLoop, ShortReadsAndWritesChangeNothing) {
  Tree tree = SampleBatch();
  const Tree converted = Converted(tree, RunBatch);
  for (size_t max : {1, 2, 3, 7}) {
    EXPECT_FALSE(RunOnce(
        tree, converted, RunBatch,
        [&](FaultyFileSystem& fs) { fs.max_transfer = max; }, 0, false));
  }
}

}  // namespace
