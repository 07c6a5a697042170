#include "engine/formconvert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>

#include "engine/listedfile.h"
#include "engine/testkit/testing.h"

namespace {

const Tables kTables = InitTables();

const char kHeader8[] =
    "Object = \"{5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0\"; \"tbln8.ocx\"";
const char kHeader8c[] =
    "Object = \"{e81f4c2a-6d07-4b93-a5c1-3f72b9e0d614}#8.0#0\"; \"tbln8c.ocx\"";

std::string ConvertText(const std::string& text, LineEnds ends,
                        const Tables& tables = kTables) {
  size_t pos = 0;
  SourceReader in(
      [&](char* buf, size_t n) {
        const size_t k = std::min(n, text.size() - pos);
        std::memcpy(buf, text.data() + pos, k);
        pos += k;
        return k;
      },
      ends);
  std::string written;
  TargetWriter out([&](std::string_view b) { written.append(b); }, ends);
  ConvertFormLines(in, out, tables);
  out.Flush();
  return written;
}

std::string Crlf(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

TEST(ConvertFormLines, TreatsHeaderBlocksAndCodeEachByItsTable) {
  const std::string input = Crlf({
      "VERSION 5.00",
      kHeader8,
      "Object = \"{F9043C88-F6F2-101A-A3C9-08002B2F49FB}#1.2#0\"; "
      "\"Tabulon80.OCX\"",
      "Begin VB.Form frmOrders ",
      "   Caption         =   \"Tabulon80 orders\"",
      "   Begin VB.Frame fraTop",
      "      Begin Tabulon80.Grid grdOrders ",
      "         BeginProperty Font {0BE35203-8F91-11CE-9DE3-00AA004BB851}",
      "            Name            =   \"Tabulon80\"",
      "         EndProperty",
      "      End",
      "      begin tabulex80.Grid grdLines",
      "      END",
      "   End",
      "End",
      "Attribute VB_Name = \"frmOrders\"",
      "Private WithEvents mGrid As TABULON80.Grid",
  });
  const std::string expected = Crlf({
      "VERSION 5.00",
      kHeader8c,
      // An unknown library header goes through the class names.
      "Object = \"{F9043C88-F6F2-101A-A3C9-08002B2F49FB}#1.2#0\"; "
      "\"Tabulon80c.OCX\"",
      "Begin VB.Form frmOrders ",
      "   Caption         =   \"Tabulon80 orders\"",
      "   Begin VB.Frame fraTop",
      "      Begin Tabulon80c.Grid grdOrders ",
      "         BeginProperty Font {0BE35203-8F91-11CE-9DE3-00AA004BB851}",
      "            Name            =   \"Tabulon80\"",
      "         EndProperty",
      "      End",
      "      begin Tabulex80c.Grid grdLines",
      "      END",
      "   End",
      "End",
      "Attribute VB_Name = \"frmOrders\"",
      "Private WithEvents mGrid As Tabulon80c.Grid",
  });
  EXPECT_EQ(expected, ConvertText(input, LineEnds::kCr));
}

TEST(ConvertFormLines, RecognisesBlocksIndentedBySpacesOnly) {
  // A tab-indented "Begin" is an ordinary line, so its class name changes
  // as code, and the lines after it are code too.
  EXPECT_EQ(
      Crlf({"\tBegin Tabulon80c.Grid g", "x Tabulon80c", "\tEnd"}),
      ConvertText(Crlf({"\tBegin Tabulon80.Grid g", "x Tabulon80", "\tEnd"}),
                  LineEnds::kCr));
  // "Begin" needs its space: "BeginX" and a bare "Begin" open nothing.
  EXPECT_EQ(Crlf({"BeginTabulon80c", "Begin  ", "Tabulon80c"}),
            ConvertText(Crlf({"BeginTabulon80", "Begin  ", "Tabulon80"}),
                        LineEnds::kCr));
}

TEST(ConvertFormLines, EndsLinesInCrLfAndChangesNothingElse) {
  const std::string input("VERSION 5.00\rBegin VB.Form f\nx\r\n\xE9\x81\\ End");
  EXPECT_EQ("VERSION 5.00\r\nBegin VB.Form f\nx\r\n\xE9\x81\\ End\r\n",
            ConvertText(input, LineEnds::kCr));
  EXPECT_EQ("", ConvertText("", LineEnds::kCr));
}

TEST(ConvertFormLines, StopsQuietlyInsideAnUnclosedBlock) {
  EXPECT_EQ(Crlf({"Begin VB.Form f", "  Begin Tabulon80c.Grid g", "  x=1"}),
            ConvertText("Begin VB.Form f\r\n  Begin Tabulon80.Grid g\r\n  x=1",
                        LineEnds::kCr));
}

TEST(ConvertFormLines, KeepsLfLineEndsOfLfFiles) {
  EXPECT_EQ(
      std::string(kHeader8c) + "\nBegin Tabulon80c.Grid g\n x Tabulon80\nEnd\n",
      ConvertText(
          std::string(kHeader8) + "\nBegin Tabulon80.Grid g\n x Tabulon80\nEnd",
          LineEnds::kLf));
}

TEST(ConvertFormLines, NestsToAnyDepthWithoutRecursing) {
  constexpr size_t kDepth = 1000000;
  std::string input;
  std::string expected;
  for (size_t i = 0; i < kDepth; ++i) {
    input += "Begin Tabulon80.Grid g\r\n";
    expected += "Begin Tabulon80c.Grid g\r\n";
  }
  for (size_t i = 0; i < kDepth; ++i) {
    input += "End\r\n";
    expected += "End\r\n";
  }
  input += "Dim g As Tabulon80.Grid\r\n";
  expected += "Dim g As Tabulon80c.Grid\r\n";
  EXPECT_EQ(expected, ConvertText(input, LineEnds::kCr));
}

// The block walk as a recursion over a list of lines, to hold the counted
// walk to on random input.
struct Reference {
  const std::vector<std::string>& in;
  size_t next = 0;
  std::vector<std::string> out;

  static bool Opens(const std::string& s) {
    const std::string t =
        s.substr(std::min(s.find_first_not_of(' '), s.size()));
    return t.size() >= 6 &&
           (t.compare(0, 6, "Begin ") == 0 || t.compare(0, 6, "begin ") == 0);
  }
  void Control(std::string s) {
    ApplyTable(s, kTables.ClassTable);
    out.push_back(s);
    while (next < in.size()) {
      s = in[next++];
      if (Opens(s)) {
        Control(s);
        continue;
      }
      out.push_back(s);
      if (s == "End" || s == "  End ") return;
    }
  }
  void Form() {
    while (next < in.size()) {
      std::string s = in[next++];
      if (ApplyTable(s, kTables.FormTable)) {
        out.push_back(s);
      } else if (Opens(s)) {
        Control(s);
      } else {
        ConvertCode(s, kTables);
        out.push_back(s);
      }
    }
  }
};

TEST(ConvertFormLines, MatchesTheRecursiveWalkOnRandomForms) {
  const std::vector<std::string> vocabulary = {"Begin Tabulon80.Grid g",
                                               "  begin VB.Frame f ",
                                               "End",
                                               "  End ",
                                               "x = Tabulex80",
                                               kHeader8,
                                               "BeginProperty Font",
                                               "EndProperty",
                                               ""};
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    std::vector<std::string> lines(random() % 40);
    for (std::string& line : lines) {
      line = vocabulary[random() % vocabulary.size()];
    }
    Reference reference{lines, 0, {}};
    reference.Form();
    std::string input;
    std::string expected;
    for (const std::string& line : lines) input += line + "\r\n";
    for (const std::string& line : reference.out) expected += line + "\r\n";
    ASSERT_EQ(expected, ConvertText(input, LineEnds::kCr)) << input;
  }
}

TEST(ConvertCode, RenamesLibraryOnlyForLibraryDotClassRows) {
  Tables tables = InitTables();
  tables.ClassTable = {{"Old.Grid", "New.Grid"}};
  std::string s("Dim a As Old.Grid, b As old.Column");
  ConvertCode(s, tables);
  EXPECT_EQ("Dim a As New.Grid, b As New.Column", s);
  std::string t("Dim g As Tabulon80.Grid");
  ConvertCode(t, kTables);
  EXPECT_EQ("Dim g As Tabulon80c.Grid", t);
}

TEST(ConvertCode, RenamesLibraryOnlyWhenBothTextsNameOne) {
  Tables tables = InitTables();
  tables.ClassTable = {{"Old.Grid", "NewGrid"}};
  std::string s("Dim a As Old.Grid, b As old.Column");
  ConvertCode(s, tables);
  EXPECT_EQ("Dim a As NewGrid, b As old.Column", s);
  tables.ClassTable = {{"OldGrid", "New.Grid"}};
  std::string t("Dim a As OldGrid, b As old.Column");
  ConvertCode(t, tables);
  EXPECT_EQ("Dim a As New.Grid, b As old.Column", t);
}

// Lines are searched only where a table text could occur; with texts of
// letters only, or found through their library part, that is every line
// that holds them in any case.
TEST(ConvertFormLines, SearchesEveryLineATableTextCanOccurIn) {
  const struct {
    ReplacementTable class_table;
    const char* line;
    const char* converted;
  } cases[] = {
      {{{"Grid", "Grid2"}}, "Dim g As grid", "Dim g As Grid2"},
      // The whole text holds a '#' and its library part does not.
      {{{"Lib.Grid#", "New.Grid#"}},
       "Set c = LIB.Column",
       "Set c = New.Column"},
      {{{"Tabulon80", "Tabulon80c"}}, "x = tabulon80", "x = Tabulon80c"},
      // A byte beyond ASCII is no letter: it matches only itself.
      {{{"Gr\xE9\x64", "Grid"}}, "x = GR\xE9\x44", "x = Grid"},
  };
  for (const auto& c : cases) {
    Tables tables = InitTables();
    tables.ClassTable = c.class_table;
    const std::string written =
        ConvertText(std::string(c.line) + "\r\n", LineEnds::kCr, tables);
    EXPECT_EQ(std::string(c.converted) + "\r\n", written) << c.line;
  }
}

// A section opening that a table turns into a block opening is walked as a
// block: the line is judged as it stands after the table.
TEST(ConvertControl, JudgesASectionLineAsTheTableLeftIt) {
  Tables tables = InitTables();
  tables.PropTable = {{"BeginProperty Sub ", "Begin Sub."}};
  const std::string written = ConvertText(
      "Begin VB.Form f\r\n BeginProperty Sub x\r\n End\r\n"
      "Tabulon80 inside\r\nEnd\r\nTabulon80 after\r\n",
      LineEnds::kCr, tables);
  EXPECT_EQ(
      "Begin VB.Form f\r\n Begin Sub.x\r\n End\r\nTabulon80 inside\r\n"
      "End\r\nTabulon80c after\r\n",
      written);

  // On its own, the walk of a block stops at the End that closes it.
  std::string input = " BeginProperty Sub x\r\n End\r\nEnd\r\nafter\r\n";
  SourceReader in(
      [&](char* buf, size_t n) {
        const size_t k = input.copy(buf, n);
        input.erase(0, k);
        return k;
      },
      LineEnds::kCr);
  std::string out;
  TargetWriter writer([&](std::string_view b) { out.append(b); },
                      LineEnds::kCr);
  std::string s = "Begin Tabulon80.Grid g";
  ConvertControl(s, in, writer, tables);
  writer.Flush();
  EXPECT_EQ("Begin Tabulon80c.Grid g\r\n Begin Sub.x\r\n End\r\nEnd\r\n", out);
  std::string spill;
  EXPECT_EQ("after", in.NextLine(spill));
}

class ConvertFormFile : public ::testing::Test {
 protected:
  TempDir dir;
  FileSystem& fs = DefaultFileSystem();
};

TEST_F(ConvertFormFile, BacksUpAndRewritesFromTheBackup) {
  const std::string original =
      Crlf({"VERSION 5.00", kHeader8, "Begin VB.Form f", "End"}) +
      "Dim g As Tabulon80.Grid";
  dir.Write("Forms/Main.frm", original);
  dir.Write("Forms/Main.frm.bak", "an older backup");
  EXPECT_EQ(FormOutcome::kConverted,
            ConvertForm(dir.path(), "Forms\\Main.frm", kTables, fs));
  EXPECT_EQ(original, dir.Read("Forms/Main.frm.bak"));
  EXPECT_EQ(Crlf({"VERSION 5.00", kHeader8c, "Begin VB.Form f", "End",
                  "Dim g As Tabulon80c.Grid"}),
            dir.Read("Forms/Main.frm"));
  EXPECT_FALSE(dir.Exists("Forms/Main.frm.new~"));
}

TEST_F(ConvertFormFile, FindsNamesWhoseCaseDiffersFromTheDisk) {
  dir.Write("shared/forms/login.frm", "x = Tabulon80\r\n");
  dir.Write("app/App.vbp", "");
  EXPECT_EQ(
      FormOutcome::kConverted,
      ConvertForm(dir / "app", "..\\SHARED\\Forms\\LOGIN.Frm", kTables, fs));
  EXPECT_EQ("x = Tabulon80c\r\n", dir.Read("shared/forms/login.frm"));
  EXPECT_EQ("x = Tabulon80\r\n", dir.Read("shared/forms/login.frm.bak"));
}

TEST_F(ConvertFormFile, KeepsLfFilesLfAndMixedFilesCrLf) {
  dir.Write("lf.frm", "Begin Tabulon80.Grid g\nEnd\n");
  dir.Write("mixed.frm", "Begin Tabulon80.Grid g\nEnd\r\n");
  ConvertForm(dir.path(), "lf.frm", kTables, fs);
  ConvertForm(dir.path(), "mixed.frm", kTables, fs);
  EXPECT_EQ("Begin Tabulon80c.Grid g\nEnd\n", dir.Read("lf.frm"));
  // Any CR makes the file a CR LF file, where a lone LF is no line end.
  EXPECT_EQ("Begin Tabulon80c.Grid g\nEnd\r\n", dir.Read("mixed.frm"));
}

TEST_F(ConvertFormFile, LeavesConvertedFilesAndTheirBackupsAlone) {
  const std::string converted =
      Crlf({kHeader8c, "Begin Tabulon80c.Grid g", "End"});
  dir.Write("done.frm", converted);
  dir.Write("done.frm.bak", "the original");
  EXPECT_EQ(FormOutcome::kAlreadyConverted,
            ConvertForm(dir.path(), "done.frm", kTables, fs));
  EXPECT_EQ(converted, dir.Read("done.frm"));
  EXPECT_EQ("the original", dir.Read("done.frm.bak"));
  EXPECT_FALSE(dir.Exists("done.frm.new~"));

  // Converting twice in a row changes nothing the second time.
  dir.Write("twice.frm", "Dim g As TABULEX80.Grid");
  ConvertForm(dir.path(), "twice.frm", kTables, fs);
  EXPECT_EQ(FormOutcome::kAlreadyConverted,
            ConvertForm(dir.path(), "twice.frm", kTables, fs));
  EXPECT_EQ("Dim g As Tabulex80c.Grid\r\n", dir.Read("twice.frm"));
  EXPECT_EQ("Dim g As TABULEX80.Grid", dir.Read("twice.frm.bak"));
}

TEST_F(ConvertFormFile, ConvertsAFileWithAVersion8HeaderEvenBesideNewText) {
  dir.Write("half.frm", Crlf({kHeader8, "' moving to Tabulon80c"}));
  EXPECT_EQ(FormOutcome::kConverted,
            ConvertForm(dir.path(), "half.frm", kTables, fs));
  EXPECT_EQ(Crlf({kHeader8c, "' moving to Tabulon80cc"}), dir.Read("half.frm"));
}

TEST_F(ConvertFormFile, ReportsAMissingFileWithItsPath) {
  try {
    ConvertForm(dir.path(), "Forms\\Gone.frm", kTables, fs);
    FAIL() << "no error";
  } catch (const std::filesystem::filesystem_error& e) {
    EXPECT_EQ(ENOENT, e.code().default_error_condition().value());
    EXPECT_EQ(dir / "Forms/Gone.frm", e.path1().string());
  }
  EXPECT_TRUE(dir.Snapshot().empty());
}

TEST_F(ConvertFormFile, KeepsTheFileWhenTheBackupCannotBeMade) {
  dir.Write("f.frm", "Tabulon80");
  dir.Write("f.frm.bak", "old");
  FaultyFileSystem faulty;
  // Fail every operation in turn: whatever fails, the form keeps either its
  // old bytes or has a complete backup of them, and the old backup is
  // replaced whole or not at all.
  // A run that keeps failing is a fault of its own, not a reason to hang.
  for (faulty.fail_at = 1; faulty.fail_at < 200; ++faulty.fail_at) {
    dir.Write("f.frm", "Tabulon80");
    dir.Write("f.frm.bak", "old");
    faulty.operations = 0;
    bool failed = false;
    try {
      ConvertForm(dir.path(), "f.frm", kTables, faulty);
    } catch (const std::filesystem::filesystem_error& e) {
      failed = true;
      EXPECT_EQ(EIO, e.code().value());
    }
    const std::string form = dir.Read("f.frm");
    const std::string bak = dir.Read("f.frm.bak");
    EXPECT_TRUE(form == "Tabulon80" || bak == "Tabulon80") << faulty.fail_at;
    EXPECT_TRUE(bak == "old" || bak == "Tabulon80") << faulty.fail_at;
    if (!failed) break;
  }
  EXPECT_GT(faulty.fail_at, 10u);
  EXPECT_LT(faulty.fail_at, 200u) << "every run failed";
}

}  // namespace
