#include "engine/namelookups.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/files.h"
#include "engine/testkit/testing.h"

namespace {

// Sparing lookups must never change their answer: every name, absent,
// present in another letter case, a folder, beyond ASCII or beside such a
// name, in a folder that cannot be listed, is what a lookup of its own says.
TEST(NameLookupsTest, SaysWhatALookupOfItsOwnSays) {
  TempDir dir;
  dir.Write("p/a.frm.bak", "");
  dir.Write("p/B.FRM.NEW~/x", "");
  dir.Write("q/\xc3\xa9.frm", "");
  dir.Write("q/c.frm.bak", "");
  dir.Write("r/d.frm.bak", "");
  FaultyFileSystem fs;
  fs.unreadable.insert(dir / "r");
  NameLookups lookups(fs);
  for (const char* name :
       {"p/a.frm.bak", "p/A.FRM.BAK", "p/a.frm.bak~", "p/b.frm.new~",
        "p/B.FRM.NEW~", "q/c.frm.bak", "q/C.frm.bak", "q/\xc3\xa9.frm",
        "q/\xc3\xa9.frm.bak", "r/d.frm.bak", "r/e.frm.bak", "none/f.frm"}) {
    const std::string path = dir / name;
    EXPECT_EQ(StatName(fs, path).kind, lookups.StatName(path).kind) << name;
  }
  // Absent names of a folder already listed cost no operation at all.
  const size_t before = fs.operations;
  lookups.StatName(dir / "p/g.frm.bak~");
  lookups.StatName(dir / "p/g.frm.new~");
  EXPECT_EQ(before, fs.operations);
}

}  // namespace
