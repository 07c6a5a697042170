// The power is cut before and after every file operation of a conversion,
// and every disk the cut may leave is checked: the bytes of every original
// exist whole, under the file's own name or under its backup's.
#include "engine/testkit/powercut.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "engine/projectconvert.h"
#include "engine/testkit/batchdriver.h"
#include "engine/testkit/sampletrees.h"
#include "engine/testkit/testing.h"
#include "engine/testkit/treecheck.h"

namespace {

const Tables kTables = InitTables();
constexpr size_t kDisksPerCut = 256;

struct Cuts {
  size_t cuts = 0;
  size_t disks = 0;
  size_t lost = 0;  // originals found under neither name, over all disks
};

Cuts CutEverywhere(const DiskModel& model, const DiskModel::Disk& originals) {
  std::mt19937 random(7);
  Cuts result;
  for (size_t cut = 0; cut <= model.events(); ++cut) {
    ++result.cuts;
    for (const DiskModel::Disk& disk :
         model.DisksAfter(cut, kDisksPerCut, random)) {
      ++result.disks;
      for (const auto& [name, bytes] : originals) {
        const auto own = disk.find(name);
        const auto bak = disk.find(name + ".bak");
        const bool kept = (own != disk.end() && own->second == bytes) ||
                          (bak != disk.end() && bak->second == bytes);
        result.lost += !kept;
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

TEST_P(PowerCut, NoOriginalIsLostAtAnyCut) {
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
    if (batch) {
      ConvertBatch(dir.path(), kTables, host, fs);
    } else {
      ConvertProject(dir / "Demo/Demo.vbp", false, kTables, host, fs);
    }
    const Cuts cuts = CutEverywhere(fs.model(), originals);
    std::printf("%s%s: %zu cuts, %zu disks, %zu originals lost\n",
                batch ? "batch" : "project", no_links ? ", copies" : "",
                cuts.cuts, cuts.disks, cuts.lost);
    EXPECT_GT(cuts.cuts, 20u);
    EXPECT_EQ(0u, cuts.lost);
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

}  // namespace
