#include "engine/paths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/codepage.h"
#include "engine/testkit/testing.h"

namespace {

// A backslash separates folders and a drive letter or a share starts a root
// on Windows only; elsewhere both are bytes of a name. Rows marked for one
// kind of system show the difference from both sides.
enum class On { kAny, kPosix, kWindows };

bool Holds(On on) { return on == On::kAny || (on == On::kWindows) == kWindows; }

TEST(SplitPath, SplitsAtTheLastSeparatorAndKeepsARoot) {
  struct Case {
    On on;
    std::string path, folder, name;
  };
  const Case cases[] = {
      {On::kAny, "/p/Demo.vbp", "/p", "Demo.vbp"},
      {On::kAny, "Demo.vbp", "", "Demo.vbp"},
      {On::kAny, "/Demo.vbp", "/", "Demo.vbp"},
      {On::kAny, "p//Demo.vbp", "p", "Demo.vbp"},
      {On::kAny, "p/Caf\xE9.vbp", "p", "Caf\xE9.vbp"},
      {On::kPosix, "p\\Demo.vbp", "", "p\\Demo.vbp"},
      {On::kWindows, "p\\Demo.vbp", "p", "Demo.vbp"},
      {On::kWindows, "C:\\Demo.vbp", "C:\\", "Demo.vbp"},
  };
  for (const Case& c : cases) {
    if (!Holds(c.on)) continue;
    const PathParts parts = SplitPath(c.path);
    EXPECT_EQ(c.folder, parts.folder) << c.path;
    EXPECT_EQ(c.name, parts.name) << c.path;
  }
}

TEST(JoinPath, PutsOneSeparatorBetween) {
  struct Case {
    On on;
    std::string folder, name, path;
  };
  const Case cases[] = {
      {On::kAny, "", "a.vbp", "a.vbp"},
      {On::kPosix, "/", "a", "/a"},
      {On::kPosix, "/p", "a", "/p/a"},
      {On::kPosix, "/p/", "a", "/p/a"},
      {On::kPosix, "\xE9t\xE9", "\x83\x5C.frm", "\xE9t\xE9/\x83\x5C.frm"},
      {On::kPosix, "p\\", "a", "p\\/a"},
      {On::kWindows, "p\\", "a", "p\\a"},
      {On::kWindows, "C:\\p", "a", "C:\\p\\a"},
      {On::kWindows, "\xE9t\xE9", "\x83\x5C.frm", "\xE9t\xE9\\\x83\x5C.frm"},
  };
  for (const Case& c : cases) {
    if (!Holds(c.on)) continue;
    EXPECT_EQ(c.path, JoinPath(c.folder, c.name)) << c.folder << " " << c.name;
  }
}

TEST(AbsolutePath, StartsFromTheRootOrTheCurrentFolderAndTidies) {
  struct Case {
    On on;
    std::string path, cwd, absolute;
  };
  const Case cases[] = {
      {On::kPosix, "/a/b/../c/", "", "/a/c"},
      {On::kPosix, "/x", "/a", "/x"},
      {On::kPosix, "b", "/a", "/a/b"},
      {On::kPosix, "./b//c/.", "/a/", "/a/b/c"},
      {On::kPosix, "../../..", "/a", "/"},  // no folder above the root
      {On::kAny, "b/..", "", ""},
      {On::kPosix, "Caf\xE9", "/h\xE9", "/h\xE9/Caf\xE9"},
      {On::kPosix, "a\\..\\b", "/h", "/h/a\\..\\b"},
      {On::kWindows, "a\\..\\b", "C:\\h", "C:\\h\\b"},
      {On::kWindows, "..\\..\\..", "C:\\a", "C:\\"},
      {On::kWindows, "Caf\xE9", "C:\\h\xE9", "C:\\h\xE9\\Caf\xE9"},
      {On::kWindows, "C:\\a\\.\\b\\..\\c", "D:\\", "C:\\a\\c"},
      // The server and the share belong to the root.
      {On::kWindows, "\\\\srv\\share\\a\\..\\..", "", "\\\\srv\\share\\"},
  };
  for (const Case& c : cases) {
    if (!Holds(c.on)) continue;
    EXPECT_EQ(c.absolute, AbsolutePath(c.path, c.cwd))
        << c.path << " in " << c.cwd;
    EXPECT_EQ(IsAbsolutePath(c.absolute), !c.absolute.empty()) << c.absolute;
  }
  EXPECT_EQ(kWindows, IsAbsolutePath("C:\\a"));
  EXPECT_FALSE(IsAbsolutePath("C:a"));  // the current folder of drive C
}

TEST(FolderChain, NamesEveryFolderFromTheRootDownWithItsEntry) {
  struct Case {
    On on;
    std::string path;
    std::vector<std::string> chain, entries;
  };
  const Case cases[] = {
      {On::kPosix, "/", {"/"}, {"/"}},
      {On::kPosix,
       "/a/\xE9t\xE9",
       {"/", "/a", "/a/\xE9t\xE9"},
       {"/", "a", "\xE9t\xE9"}},
      {On::kPosix, "/a\\b", {"/", "/a\\b"}, {"/", "a\\b"}},
      {On::kWindows,
       "C:\\a\\b",
       {"C:\\", "C:\\a", "C:\\a\\b"},
       {"C:\\", "a", "b"}},
      {On::kWindows,
       "\\\\srv\\share\\d",
       {"\\\\srv\\share\\", "\\\\srv\\share\\d"},
       {"\\\\srv\\share\\", "d"}},
  };
  for (const Case& c : cases) {
    if (!Holds(c.on)) continue;
    const std::vector<std::string> chain = FolderChain(c.path);
    EXPECT_EQ(c.chain, chain) << c.path;
    std::vector<std::string> entries;
    for (const std::string& folder : chain) {
      entries.push_back(FolderEntryName(folder));
    }
    EXPECT_EQ(c.entries, entries) << c.path;
  }
}

// In Japanese cp932 the second byte of "\x83\x5C" is the backslash; the
// character is a letter of a name, never a separator.
TEST(SplitPath, KeepsTwoByteCharactersWhole) {
  if (!IsLeadByte('\x83')) GTEST_SKIP() << "not a double-byte code page";
  const std::string so = "\x83\x5C";
  struct Case {
    std::string path, folder, name;
  };
  const Case cases[] = {
      {"C:\\" + so + "\\Demo.vbp", "C:\\" + so, "Demo.vbp"},
      {"C:\\p\\" + so, "C:\\p", so},
      {"p\\" + so + so + ".vbp", "p", so + so + ".vbp"},
  };
  for (const Case& c : cases) {
    const PathParts parts = SplitPath(c.path);
    EXPECT_EQ(c.folder, parts.folder) << c.path;
    EXPECT_EQ(c.name, parts.name) << c.path;
    EXPECT_EQ(c.path, JoinPath(parts.folder, parts.name));
  }
  EXPECT_EQ("C:\\" + so + "\\x", AbsolutePath(so + "\\d\\..\\x", "C:\\"));
  EXPECT_EQ(
      (std::vector<std::string>{"C:\\", "C:\\" + so, "C:\\" + so + "\\" + so}),
      FolderChain("C:\\" + so + "\\" + so));
}

}  // namespace
