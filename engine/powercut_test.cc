// The power is cut before and after every file operation of a conversion,
// and of a restore,
// and every disk the cut may leave is checked: the bytes of every original
// exist whole, under the file's own name or under its backup's. On a few of
// those disks per cut the conversion then runs again, as a user would once
// the power is back, and the same must hold after it; besides, no backup may
// take bytes that are neither its file's original nor what it held already,
// which is how a file cut short would end up as the only "original". A
// second restore must give back the tree as it was before its conversion.
#include "engine/testkit/powercut.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "engine/files.h"
#include "engine/projectconvert.h"
#include "engine/restorecommand.h"
#include "engine/testkit/batchdriver.h"
#include "engine/testkit/sampletrees.h"
#include "engine/testkit/testing.h"
#include "engine/testkit/treecheck.h"

namespace {

namespace stdfs = std::filesystem;

const Tables kTables = InitTables();
constexpr size_t kDisksPerCut = 256;
// Converting again is slow next to checking a disk: each cut gets its two
// extremes and a few drawn between them.
constexpr size_t kRerunsPerCut = 8;
constexpr size_t kFaultsShown = 5;

// The command that made the model, to run again on a disk below a fresh
// folder. A drive without second names still has none after the cut.
struct Command {
  std::string root;  // the folder the model's names start with
  bool batch = false;
  bool no_links = false;
  bool restore = false;
  // What a restore must leave: the disk as before the conversion.
  const DiskModel::Disk* restored = nullptr;
};

struct Cuts {
  size_t cuts = 0;
  size_t disks = 0;
  size_t lost = 0;  // originals found under neither name, over all disks
  size_t reruns = 0;
  size_t stopped = 0;               // reruns that a cut file stopped
  size_t failed = 0;                // reruns that failed otherwise
  size_t rerun_lost = 0;            // originals lost after a rerun
  size_t cut_backups = 0;           // backups a rerun filled with other bytes
  size_t unfinished = 0;            // restores run again that left another tree
  std::vector<std::string> faults;  // the first few, where and what

  void Note(size_t cut, const std::string& what) {
    if (faults.size() < kFaultsShown) {
      faults.push_back("cut " + std::to_string(cut) + ": " + what);
    }
  }
};

std::string Normal(const std::string& path) {
  return stdfs::absolute(path).lexically_normal().string();
}

// The originals found under neither their own name nor their backup's.
std::vector<std::string> Lost(const DiskModel::Disk& disk,
                              const DiskModel::Disk& originals) {
  std::vector<std::string> lost;
  for (const auto& [name, bytes] : originals) {
    const auto own = disk.find(name);
    const auto bak = disk.find(name + ".bak");
    const bool kept = (own != disk.end() && own->second == bytes) ||
                      (bak != disk.end() && bak->second == bytes);
    if (!kept) lost.push_back(name);
  }
  return lost;
}

// The backups of after that hold neither their file's original nor what
// they held before: a file taken for its own original.
std::vector<std::string> CutBackups(const DiskModel::Disk& before,
                                    const DiskModel::Disk& after,
                                    const DiskModel::Disk& originals) {
  std::vector<std::string> taken;
  for (const auto& [name, bytes] : after) {
    if (!name.ends_with(".bak")) continue;
    const auto original = originals.find(name.substr(0, name.size() - 4));
    const auto held = before.find(name);
    if ((original == originals.end() || original->second != bytes) &&
        (held == before.end() || held->second != bytes)) {
      taken.push_back(name);
    }
  }
  return taken;
}

// Runs command again on disk, written below a fresh folder, and gives what
// it left there, under the names of disk. A cut file stopping the run is
// the rule that keeps its backup at work; any other failure is noted.
DiskModel::Disk ConvertAgain(const Command& command,
                             const DiskModel::Disk& disk, size_t cut,
                             Cuts& result) {
  TempDir dir;
  const std::string root = Normal(dir.path());
  for (const auto& [name, bytes] : disk) {
    dir.Write(name.substr(command.root.size() + 1), bytes);
  }
  FaultyFileSystem fs;
  fs.no_links = command.no_links;
  RecordingHost host;
  const stdfs::path cwd = stdfs::current_path();
  ++result.reruns;
  host.answers = {true};
  try {
    RunOnSample(root, command.restore, command.batch, kTables, host, fs);
  } catch (const stdfs::filesystem_error& e) {
    if (e.code() == CutFileError()) {
      ++result.stopped;
    } else {
      ++result.failed;
      result.Note(cut, std::string("rerun failed: ") + e.what());
    }
  }
  stdfs::current_path(cwd);
  DiskModel::Disk left;
  for (auto& [name, bytes] : ReadDisk(root)) {
    left[command.root + name.substr(root.size())] = std::move(bytes);
  }
  return left;
}

// The disks of one cut that are converted again: the first and the last,
// its extremes, and a few drawn between them.
std::vector<size_t> Reruns(size_t disks, std::mt19937& random) {
  std::vector<size_t> picked;
  if (disks == 0) return picked;
  std::vector<size_t> between(disks > 2 ? disks - 2 : 0);
  std::iota(between.begin(), between.end(), size_t{1});
  std::sample(between.begin(), between.end(), std::back_inserter(picked),
              kRerunsPerCut - 2, random);
  picked.push_back(0);
  if (disks > 1) picked.push_back(disks - 1);
  return picked;
}

Cuts CutEverywhere(const DiskModel& model, const DiskModel::Disk& originals,
                   const Command* again = nullptr) {
  std::mt19937 random(7);
  Cuts result;
  for (size_t cut = 0; cut <= model.events(); ++cut) {
    ++result.cuts;
    const std::vector<DiskModel::Disk> disks =
        model.DisksAfter(cut, kDisksPerCut, random);
    for (const DiskModel::Disk& disk : disks) {
      ++result.disks;
      result.lost += Lost(disk, originals).size();
    }
    if (again == nullptr) continue;
    for (const size_t d : Reruns(disks.size(), random)) {
      const DiskModel::Disk left = ConvertAgain(*again, disks[d], cut, result);
      const std::string where =
          "disk " + std::to_string(d) + " of " + std::to_string(disks.size());
      for (const std::string& name : Lost(left, originals)) {
        ++result.rerun_lost;
        result.Note(cut, where + ": original lost: " +
                             name.substr(again->root.size() + 1));
      }
      if (again->restored != nullptr && left != *again->restored) {
        ++result.unfinished;
        result.Note(cut, where + ": a second restore left another tree");
      }
      for (const std::string& name : CutBackups(disks[d], left, originals)) {
        ++result.cut_backups;
        result.Note(cut, where + ": cut file made a backup: " +
                             name.substr(again->root.size() + 1));
      }
    }
  }
  return result;
}

// A project of three forms and a batch of projects sharing forms, a
// backup of an older version among them, without symbolic links (the model
// knows files by name).
Tree Batch() {
  Tree tree = SampleBatch();
  std::erase_if(tree, [](const auto& entry) {
    return entry.second.kind == TreeEntry::Kind::kLink;
  });
  return tree;
}

class PowerCut : public ::testing::TestWithParam<bool> {
 protected:
  std::filesystem::path cwd = std::filesystem::current_path();
  void TearDown() override { std::filesystem::current_path(cwd); }
};

TEST_P(PowerCut, NoOriginalIsLostAtAnyCutNorByConvertingAgain) {
  const bool no_links = GetParam();
  for (const bool batch : {false, true}) {
    TempDir dir;
    WriteTree(dir.path(), batch ? Batch() : SampleProject());
    // An older backup is not an original: the conversion replaces it.
    DiskModel::Disk originals = ReadDisk(dir.path());
    std::erase_if(originals, [](const auto& file) {
      return file.first.ends_with(".bak");
    });
    JournalingFileSystem fs(dir.path());
    fs.no_links = no_links;
    RecordingHost host;
    RunOnSample(dir.path(), false, batch, kTables, host, fs);
    const Command again{Normal(dir.path()), batch, no_links};
    const Cuts cuts = CutEverywhere(fs.model(), originals, &again);
    std::printf(
        "%s%s: %zu cuts, %zu disks, %zu originals lost; converted again on "
        "%zu: %zu stopped by a cut file, %zu failed otherwise, %zu originals "
        "lost, %zu cut files made backups\n",
        batch ? "batch" : "project", no_links ? ", copies" : "", cuts.cuts,
        cuts.disks, cuts.lost, cuts.reruns, cuts.stopped, cuts.failed,
        cuts.rerun_lost, cuts.cut_backups);
    EXPECT_GT(cuts.cuts, 20u);
    EXPECT_EQ(0u, cuts.lost);
    // Some cut leaves a file cut short, so the rule had something to stop.
    EXPECT_GT(cuts.stopped, 0u);
    EXPECT_EQ(0u, cuts.failed);
    EXPECT_EQ(0u, cuts.rerun_lost);
    EXPECT_EQ(0u, cuts.cut_backups);
    for (const std::string& fault : cuts.faults) ADD_FAILURE() << fault;
    // Restoring is the other way back after a cut, and loses nothing either.
    const Command restore{again.root, batch, no_links, true};
    const Cuts restores = CutEverywhere(fs.model(), originals, &restore);
    std::printf("restored instead on %zu: %zu failed, %zu originals lost\n",
                restores.reruns, restores.failed, restores.rerun_lost);
    EXPECT_EQ(0u, restores.failed + restores.rerun_lost + restores.cut_backups);
    for (const std::string& fault : restores.faults) ADD_FAILURE() << fault;
  }
}

// A restore writes nothing: what the conversion flushed is on disk, and
// a cut leaves each name before or after its rename.
TEST_P(PowerCut, NoOriginalIsLostByARestoreAndASecondFinishesIt) {
  const bool no_links = GetParam();
  for (const bool batch : {false, true}) {
    TempDir dir;
    Tree tree = batch ? Batch() : SampleProject();
    tree.erase("Demo/frmMain.frm.bak");
    WriteTree(dir.path(), tree);
    const DiskModel::Disk before = ReadDisk(dir.path());
    DiskModel::Disk originals = before;
    std::erase_if(originals, [](const auto& file) {
      return file.first.ends_with(".bak");
    });
    const Command again{Normal(dir.path()), batch, no_links, true, &before};
    FaultyFileSystem converting;
    converting.no_links = no_links;
    RecordingHost host;
    RunOnSample(dir.path(), false, batch, kTables, host, converting);
    host.answers = {true};
    JournalingFileSystem fs(dir.path());
    fs.no_links = no_links;
    RunOnSample(dir.path(), true, batch, kTables, host, fs);
    const Cuts cuts = CutEverywhere(fs.model(), originals, &again);
    std::printf(
        "restore of a %s%s: %zu cuts, %zu disks, %zu originals lost; "
        "restored again on %zu: %zu failed, %zu unfinished\n",
        batch ? "batch" : "project", no_links ? ", copies" : "", cuts.cuts,
        cuts.disks, cuts.lost, cuts.reruns, cuts.failed, cuts.unfinished);
    EXPECT_GT(cuts.cuts, 5u);
    EXPECT_EQ(0u, cuts.lost + cuts.failed + cuts.rerun_lost + cuts.unfinished);
    for (const std::string& fault : cuts.faults) ADD_FAILURE() << fault;
  }
}

INSTANTIATE_TEST_SUITE_P(LinksAndCopies, PowerCut, ::testing::Bool());

// The model itself: an original rewritten in place beside a fresh copy
// that was never flushed, as converters commonly do, is lost at some cut.
TEST(PowerCutModel, CatchesARewriteInPlace) {
  const std::string name = "/p/f.frm";
  DiskModel model({{name, "original"}});
  const int copy = model.Create(name + ".bak.partial");
  model.Write(copy, "original");
  model.Rename(name + ".bak.partial", name + ".bak");
  const int file = model.FileAt(name);
  model.Truncate(file);
  model.Write(file, "converted");
  EXPECT_GT(CutEverywhere(model, {{name, "original"}}).lost, 0u);
}

// A drawn sample still holds the disk where nothing since the last flush
// got through, first, and the one where everything did, last.
TEST(PowerCutModel, DrawnDisksKeepTheExtremes) {
  DiskModel model({});
  DiskModel::Disk everything;
  for (const std::string name : {"/p/a", "/p/b", "/p/c"}) {
    model.Write(model.Create(name), "bytes of " + name);
    everything[name] = "bytes of " + name;
  }
  std::mt19937 random(1);
  const std::vector<DiskModel::Disk> disks =
      model.DisksAfter(model.events(), 4, random);
  ASSERT_EQ(4u, disks.size());
  EXPECT_TRUE(disks.front().empty());
  EXPECT_EQ(everything, disks.back());
}

}  // namespace
