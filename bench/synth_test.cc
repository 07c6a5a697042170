#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>

#include "bench/batch.h"
#include "bench/synthform.h"
#include "bench/synthtree.h"
#include "engine/filesystem.h"
#include "engine/listedname.h"
#include "engine/projectconvert.h"
#include "engine/testkit/testing.h"
#include "engine/text.h"

namespace fs = std::filesystem;

namespace {

constexpr char kTabulonHeader[] =
    "Object = \"{5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0\"; \"tbln8.ocx\"";

// What a reader of the form sees: how deep blocks and property sections nest,
// whether each is closed, and how the lines end.
struct Shape {
  size_t block_depth = 0;
  size_t section_depth = 0;
  bool balanced = true;
  size_t crlf = 0;
  size_t lf = 0;
  size_t longest = 0;
};

Shape ShapeOf(std::string_view text) {
  Shape shape;
  size_t blocks = 0;
  size_t sections = 0;
  while (!text.empty()) {
    const size_t n = text.find('\n');
    std::string_view line = text.substr(0, n);
    text.remove_prefix(n == std::string_view::npos ? text.size() : n + 1);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
      ++shape.crlf;
    } else {
      ++shape.lf;
    }
    shape.longest = std::max(shape.longest, line.size());
    const std::string_view t = TrimSpaces(line);
    if (StartsWithIgnoreCase(t, "BeginProperty ")) {
      shape.section_depth = std::max(shape.section_depth, ++sections);
    } else if (StartsWithIgnoreCase(t, "Begin ")) {
      shape.block_depth = std::max(shape.block_depth, ++blocks);
    } else if (t == "EndProperty") {
      if (sections-- == 0) shape.balanced = false;
    } else if (t == "End") {
      if (blocks-- == 0) shape.balanced = false;
    }
  }
  if (blocks != 0 || sections != 0) shape.balanced = false;
  return shape;
}

size_t Count(std::string_view text, std::string_view find) {
  size_t n = 0;
  for (size_t at = FindIgnoreCase(text, find); at != std::string_view::npos;
       at = FindIgnoreCase(text, find, at + 1)) {
    ++n;
  }
  return n;
}

TEST(MakeForm, HasTheShapeOfASavedForm) {
  const struct {
    const char* name;
    bool user_control;
    size_t bytes;
    bool crlf;
    bool tabulon;
    Codepage codepage;
  } cases[] = {
      {"frmTiny", false, 2 << 10, false, false, Codepage::k1252},
      {"frmOrders", false, 20 << 10, true, true, Codepage::k1256},
      {"ucTotals", true, 60 << 10, false, true, Codepage::k1252},
      {"frmHuge", false, 400 << 10, true, true, Codepage::kShiftJis},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FormShape form;
    form.name = c.name;
    form.user_control = c.user_control;
    form.bytes = c.bytes;
    form.crlf = c.crlf;
    form.tabulon = c.tabulon;
    form.codepage = c.codepage;
    Rng rng(11);
    const std::string text = MakeForm(form, rng);
    const std::string eol = c.crlf ? "\r\n" : "\n";

    EXPECT_TRUE(text.starts_with("VERSION 5.00" + eol));
    EXPECT_EQ(c.tabulon, text.find(kTabulonHeader + eol) != std::string::npos);
    EXPECT_NE(std::string::npos,
              text.find((c.user_control ? "Begin VB.UserControl "
                                        : "Begin VB.Form ") +
                        std::string(c.name)));
    EXPECT_NE(std::string::npos,
              text.find(eol + "End" + eol + "Attribute VB_Name = \"" + c.name +
                        "\"" + eol));
    EXPECT_GE(text.size(), c.bytes);
    EXPECT_LE(text.size(), c.bytes + 1024);

    const Shape shape = ShapeOf(text);
    EXPECT_TRUE(shape.balanced);
    EXPECT_LE(shape.block_depth, 9u);
    EXPECT_LE(shape.section_depth, 4u);
    if (c.bytes > (50 << 10)) {
      EXPECT_GE(shape.block_depth, 7u);
    }
    EXPECT_EQ(0u, c.crlf ? shape.lf : shape.crlf);
    EXPECT_LT(shape.longest, 1024u);  // the development environment's limit
    if (c.codepage == Codepage::kShiftJis) {
      EXPECT_EQ(std::string::npos, text.find("\xE9"));
      EXPECT_NE(std::string::npos, text.find("\x5C\x8E\xA6"));
    }
  }
}

TEST(MakeForm, OneSeedMakesOneText) {
  FormShape shape;
  shape.name = "frmA";
  Rng a(5), b(5), c(6);
  const std::string text = MakeForm(shape, a);
  EXPECT_EQ(text, MakeForm(shape, b));
  EXPECT_NE(text, MakeForm(shape, c));
}

// A form of any size is made in bounded memory: the 1 GB form of the memory
// check is written piece by piece.
TEST(WriteForm, HandsOverPiecesOfAboutAMegabyte) {
  FormShape shape;
  shape.name = "frmBig";
  shape.bytes = 8 << 20;
  Rng rng(1);
  size_t total = 0;
  size_t largest = 0;
  WriteForm(shape, rng, [&](std::string_view piece) {
    total += piece.size();
    largest = std::max(largest, piece.size());
  });
  EXPECT_GE(total, shape.bytes);
  EXPECT_LE(largest, (1u << 20) + 1024);
}

TEST(WriteTree, OneSeedMakesOneTreeAndSmallerSizesAPrefix) {
  TempDir small, again, large, other;
  TreeOptions options;
  options.seed = 3;
  options.bytes = 2 << 20;
  WriteTree(small.path(), options);
  WriteTree(again.path(), options);
  options.bytes = 5 << 20;
  WriteTree(large.path(), options);
  options.seed = 4;
  WriteTree(other.path(), options);

  const auto files = small.Snapshot();
  EXPECT_EQ(files, again.Snapshot());
  const auto large_files = large.Snapshot();
  EXPECT_GT(large_files.size(), files.size());
  for (const auto& file : files) {
    EXPECT_TRUE(
        std::binary_search(large_files.begin(), large_files.end(), file))
        << file.first;
  }
  EXPECT_NE(large_files, other.Snapshot());
}

class GeneratedTree : public ::testing::Test {
 protected:
  void SetUp() override {
    TreeOptions options;
    options.bytes = 6 << 20;
    summary = WriteTree(dir.path(), options);
  }

  // Every project file of the tree with the names it lists.
  std::vector<std::pair<fs::path, std::vector<std::string>>> Projects() {
    std::vector<std::pair<fs::path, std::vector<std::string>>> projects;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
      if (entry.path().extension() == ".vbp") {
        projects.emplace_back(
            entry.path(),
            ListedFiles(dir.Read(fs::relative(entry.path(), dir.path()))));
      }
    }
    return projects;
  }

  TempDir dir;
  TreeSummary summary;
};

TEST_F(GeneratedTree, SummaryCountsWhatIsOnDisk) {
  const auto files = dir.Snapshot();
  uint64_t bytes = 0;
  size_t forms = 0;
  for (const auto& [rel, text] : files) {
    bytes += text.size();
    const std::string ext = fs::path(rel).extension().string();
    if (EqualsIgnoreCase(ext, ".frm") || EqualsIgnoreCase(ext, ".ctl")) {
      ++forms;
      EXPECT_GE(text.size(), 2u << 10) << rel;
      EXPECT_LE(text.size(), (400u << 10) + 1024) << rel;
    }
  }
  EXPECT_EQ(files.size(), summary.files);
  EXPECT_EQ(bytes, summary.bytes);
  EXPECT_EQ(forms, summary.listed);
  EXPECT_GE(bytes, 6u << 20);
  EXPECT_EQ(Projects().size(), summary.projects);
  EXPECT_GT(summary.projects, summary.folders);  // some build variants
}

// Names are spelt as on Windows (backslashes, any letter case, "..\"), yet
// each resolves to a file of the tree, and every form of the tree is listed.
TEST_F(GeneratedTree, EveryListedNameResolvesAndEveryFormIsListed) {
  std::set<std::string> resolved;
  bool folder_part = false;
  bool case_differs = false;
  bool shared = false;
  for (const auto& [project, names] : Projects()) {
    for (const std::string& fn : names) {
      const std::string path = ResolveListedName(project.parent_path().string(),
                                                 fn, DefaultFileSystem());
      resolved.insert(fs::weakly_canonical(path).string());
      folder_part |= fn.find('\\') != std::string::npos;
      shared |= fn.starts_with("..\\");
      case_differs |=
          fs::path(path).filename().string() != fn.substr(fn.rfind('\\') + 1);
    }
  }
  EXPECT_EQ(summary.listed, resolved.size());
  EXPECT_TRUE(folder_part);
  EXPECT_TRUE(case_differs);
  EXPECT_TRUE(shared);
}

// The whole tree is work for the converter: no project is turned away, every
// listed file is converted once and found converted after that, and no
// version 8 reference is left anywhere.
TEST_F(GeneratedTree, ConvertsWholeWithoutAMessage) {
  size_t listed = 0;
  for (const auto& project : Projects()) listed += project.second.size();

  const Tables tables = InitTables();
  const BatchResult result =
      ConvertTree(dir.path(), tables, DefaultFileSystem(), true);
  EXPECT_EQ(0u, result.infos);
  EXPECT_EQ(summary.projects, result.projects);
  EXPECT_EQ(listed, result.converted + result.skipped);
  EXPECT_GT(result.skipped, 0u);  // shared forms and build variants

  for (const auto& [rel, text] : dir.Snapshot()) {
    if (rel.ends_with(".bak")) continue;
    SCOPED_TRACE(rel);
    for (const ReplacementRow& row : tables.ProjTable) {
      EXPECT_EQ(0u, Count(text, row.find));
    }
    for (const ReplacementRow& row : tables.FormTable) {
      EXPECT_EQ(0u, Count(text, row.find));
    }
    // Library names stay only inside property values of grid blocks.
    EXPECT_EQ(Count(text, ".namedParent=Tabulon80") +
                  Count(text, ".namedParent=Tabulex80"),
              Count(text, "Tabulon80") + Count(text, "Tabulex80") -
                  Count(text, "Tabulon80c") - Count(text, "Tabulex80c"));
  }
}

}  // namespace
