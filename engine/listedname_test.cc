#include "engine/listedname.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/codepage.h"
#include "engine/paths.h"
#include "engine/testkit/testing.h"

namespace {

class ResolveListedNameTest : public ::testing::Test {
 protected:
  TempDir dir;
  FileSystem& fs = DefaultFileSystem();

  int ErrorFor(const std::string& pth, const std::string& fn) {
    try {
      ResolveListedName(pth, fn, fs);
    } catch (const std::filesystem::filesystem_error& e) {
      // The errno value, whichever code the system gave.
      return e.code().default_error_condition().value();
    }
    return 0;
  }
};

// Whether two names lead to one file. Windows resolves a name as it is
// listed, so its spelling may differ from the one on disk.
bool SameFile(const std::string& a, const std::string& b) {
  return std::filesystem::equivalent(a, b);
}

TEST_F(ResolveListedNameTest, TakesBackslashesAsFolders) {
  dir.Write("p/Forms/Main.frm", "");
  EXPECT_EQ(dir / "p/Forms/Main.frm",
            ResolveListedName(dir / "p", "Forms\\Main.frm", fs));
  EXPECT_PRED2(SameFile, dir / "p/Forms/Main.frm",
               ResolveListedName(dir / "p/", "Forms\\\\Main.frm", fs));
}

TEST_F(ResolveListedNameTest, FindsNamesWhateverTheirCase) {
  dir.Write("p/forms/other.FRM", "");
  EXPECT_PRED2(SameFile, dir / "p/forms/other.FRM",
               ResolveListedName(dir / "p", "FORMS\\Other.frm", fs));
}

TEST_F(ResolveListedNameTest, PrefersTheExactNameAndElseTheOneCaseVariant) {
  if (kWindows) {
    GTEST_SKIP() << "Windows folds letter case itself, and one of its folders "
                    "cannot hold two names that differ only in case";
  }
  dir.Write("p/main.frm", "");
  dir.Write("p/Main.frm", "");
  dir.Write("p/forms/other.FRM", "");
  EXPECT_EQ(dir / "p/Main.frm", ResolveListedName(dir / "p", "Main.frm", fs));
  // The backup goes beside the name on disk, so that is the name resolved.
  EXPECT_EQ(dir / "p/forms/other.FRM",
            ResolveListedName(dir / "p", "FORMS\\Other.frm", fs));
  // Two entries differ only in case: neither is taken for a third spelling.
  EXPECT_EQ(ENOENT, ErrorFor(dir / "p", "MAIN.FRM"));
}

// One resolver serves all of a project's names, which share folders spelt
// in several ways: what it learnt of one name must not mislead another.
TEST_F(ResolveListedNameTest, OneResolverFindsEveryNameOfAProject) {
  dir.Write("p/Forms/a.frm", "");
  dir.Write("p/Forms/B.FRM", "");
  dir.Write("p/sub/forms/a.frm", "");
  ListedNames listed(fs, dir / "p");
  const struct {
    const char* fn;
    const char* found;  // below dir; nullptr: not found
  } cases[] = {
      {"Forms\\a.frm", "p/Forms/a.frm"},
      {"forms\\b.frm", "p/Forms/B.FRM"},
      {"FORMS\\A.FRM", "p/Forms/a.frm"},
      {"Forms\\c.frm", nullptr},
      {"sub\\Forms\\a.frm", "p/sub/forms/a.frm"},
      {"SUB\\forms\\..\\..\\forms\\B.frm", "p/Forms/B.FRM"},
      {"sub\\a.frm", nullptr},
      {"forms\\B.FRM", "p/Forms/B.FRM"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fn);
    if (c.found == nullptr) {
      EXPECT_THROW(listed.Resolve(c.fn), std::filesystem::filesystem_error);
      continue;
    }
    const ListedPath found = listed.Resolve(c.fn);
    EXPECT_PRED2(SameFile, dir / c.found, found.path);
    EXPECT_EQ(FileSystem::Kind::kRegular, found.status.kind);
    EXPECT_FALSE(found.link);
  }
}

TEST_F(ResolveListedNameTest, ResolvesAbsoluteNamesWhereTheyStand) {
  dir.Write("elsewhere/a.frm", "");
  EXPECT_EQ(dir / "elsewhere/a.frm",
            ResolveListedName(dir / "p", dir / "elsewhere/a.frm", fs));
  std::string windows_style = dir.path() + "\\elsewhere\\A.FRM";
  EXPECT_PRED2(SameFile, dir / "elsewhere/a.frm",
               ResolveListedName(dir / "p", windows_style, fs));
}

TEST_F(ResolveListedNameTest, MissingNamesAreNotFound) {
  dir.Write("a.frm", "");
  EXPECT_EQ(ENOENT, ErrorFor(dir.path(), "nothing.frm"));
  EXPECT_EQ(ENOENT, ErrorFor(dir.path(), "a.frm\r\nForm=b.frm"));
  EXPECT_EQ(ENOENT, ErrorFor(dir.path(), ""));
}

TEST_F(ResolveListedNameTest, DriveLettersNameNothingOffWindows) {
  if (kWindows) GTEST_SKIP() << "on Windows a drive letter names a drive";
  dir.Write("C:/a.frm", "");  // a folder that happens to be called "C:"
  EXPECT_EQ(ENOENT, ErrorFor(dir.path(), "C:\\a.frm"));
}

}  // namespace
