#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "engine/codepage.h"
#include "engine/details.h"
#include "engine/files.h"
#include "engine/formfile.h"
#include "engine/placesleft.h"
#include "engine/projectconvert.h"
#include "engine/testkit/testing.h"
#include "engine/version8.h"

namespace {

const Tables kTables = InitTables();
constexpr size_t npos = std::string::npos;

constexpr char kTabulon8[] =
    "Object={5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0; tbln8.ocx";
constexpr char kGuid8[] = "5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65";

// A project with every outcome: a form to rewrite whose header is written
// in a form the tables do not match, one already converted, one listed
// twice, and the entries the conversion only reads.
class ReportTest : public ::testing::Test {
 protected:
  TempDir dir;
  RecordingHost host;

  void SetUp() override {
    dir.Write("Demo/Demo.vbp",
              std::string("Type=Exe\r\n") + "Reference=*\\G{" + kGuid8 +
                  "}#8.0#0#..\\..\\tbln8.ocx#Grid library\r\n" + kTabulon8 +
                  "\r\nForm=frmMain.frm\r\nForm=frmDone.frm\r\n"
                  "Form=FRMMAIN.frm\r\nModule=modMain; modMain.bas\r\n"
                  "Class=clsGrid; clsGrid.cls\r\nPropertyPage=ppgGrid.pag\r\n"
                  "Designer=deMain.Dsr\r\n");
    dir.Write("Demo/frmMain.frm",
              std::string("VERSION 5.00\r\nObject = \"{") + kGuid8 +
                  "}#8.0#0\"; \"TBLN8.OCX\"\r\nObject=\"{" + kGuid8 +
                  "}#8.0#0\";\"tbln8.ocx\"\r\n"
                  "Begin VB.Form frmMain\r\n"
                  "   Begin Tabulon80.Grid grd\r\n"
                  "      Caption = \"Tabulon80 rows\"\r\n"
                  "   End\r\nEnd\r\n"
                  "Dim g As Tabulon80.Grid\r\n"
                  "Private Sub Form_Load()\r\n"
                  "    ' loads tblx8.ocx\r\nEnd Sub\r\n");
    dir.Write("Demo/frmDone.frm",
              "Begin VB.Form frmDone\r\n   Begin Tabulon80c.Grid grd\r\n"
              "   End\r\nEnd\r\n");
    dir.Write("Demo/modMain.bas",
              "Attribute VB_Name = \"modMain\"\r\n"
              "Public g As TABULON80.Grid\r\n"
              "Public h As Tabulon80c.Grid\r\n"
              "' see tblx8.ocx\n");
    dir.Write("Demo/clsGrid.cls", "Private m As Tabulex80.Grid\r");
    dir.Write("Demo/deMain.Dsr", "Begin {C0E45035-5775-11D0-B388}\r\nEnd\r\n");
    dir.Write("Demo/ppgGrid.pag", std::string("Object = \"{") + kGuid8 +
                                      "}#8.0#0\"; \"x.ocx\"\r\n");
  }
};

TEST_F(ReportTest, ConfirmationShowsThePlanAndCompletionWhatIsLeft) {
  host.answers = {true};
  ConvertProject(dir / "Demo/Demo.vbp", true, kTables, host,
                 DefaultFileSystem());
  const std::string header8 =
      std::string("Object = \"{") + kGuid8 + "}#8.0#0\"; \"TBLN8.OCX\"";
  ASSERT_EQ(2u, host.details.size());
  EXPECT_EQ(std::string("What OK will do:\n"
                        "Demo.vbp: will be rewritten, 1 line changes\n"
                        "    line 3: ") +
                kTabulon8 +
                "\n         -> Object={e81f4c2a-6d07-4b93-a5c1-3f72b9e0d614}"
                "#8.0#0; tbln8c.ocx\n"
                "frmMain.frm: will be rewritten, 3 lines change\n"
                "    line 2: " +
                header8 +
                "\n         -> Object = \"{e81f4c2a-6d07-4b93-a5c1-"
                "3f72b9e0d614}#8.0#0\"; \"tbln8c.ocx\"\n"
                "    line 5:    Begin Tabulon80.Grid grd\n"
                "         ->    Begin Tabulon80c.Grid grd\n"
                "    line 9: Dim g As Tabulon80.Grid\n"
                "         -> Dim g As Tabulon80c.Grid\n"
                "frmDone.frm: already converted, left as it is\n"
                "FRMMAIN.frm: listed again, converted once\n",
            host.details[0]);
  EXPECT_EQ(std::string("What was done:\n"
                        "Demo.vbp: rewritten, 1 line changed\n"
                        "frmMain.frm: rewritten, 3 lines changed\n"
                        "frmDone.frm: already converted\n"
                        "FRMMAIN.frm: listed again, converted once\n"
                        "\n"
                        "Left for you to fix: 7 lines that still name "
                        "version 8:\n"
                        "Demo.vbp, line 2: Reference=*\\G{") +
                kGuid8 +
                "}#8.0#0#..\\..\\tbln8.ocx#Grid library\n"
                "frmMain.frm, line 3: Object=\"{" +
                kGuid8 +
                "}#8.0#0\";\"tbln8.ocx\"\n"
                "frmMain.frm, line 11:     ' loads tblx8.ocx\n"
                "modMain.bas, line 2: Public g As TABULON80.Grid\n"
                "modMain.bas, line 4: ' see tblx8.ocx\n"
                "clsGrid.cls, line 1: Private m As Tabulex80.Grid\n"
                "ppgGrid.pag, line 1: Object = \"{" +
                kGuid8 + "}#8.0#0\"; \"x.ocx\"\n",
            host.details[1]);
}

// A listed file missing or unreadable at plan time is shown so; the check
// after OK stops the project, and a declined plan changes nothing.
TEST_F(ReportTest, PlanShowsAMissingFileAndDecliningItChangesNothing) {
  dir.Write("Demo/Demo.vbp",
            std::string(kTabulon8) + "\r\nForm=Gone.frm\r\nForm=Dir.frm\r\n");
  dir.Write("Demo/Dir.frm/x", "");
  const auto before = dir.Snapshot();
  host.answers = {false};
  ConvertProject(dir / "Demo/Demo.vbp", true, kTables, host,
                 DefaultFileSystem());
  ASSERT_EQ(1u, host.details.size());
  EXPECT_NE(std::string::npos, host.details[0].find("\nGone.frm: missing\n"));
  EXPECT_NE(std::string::npos,
            host.details[0].find("\nDir.frm: cannot be read ("));
  EXPECT_EQ(before, dir.Snapshot());
}

// The line counts of a plan and of the rewrite against a plain count of the
// lines that differ, whatever the line ends, and when the first chunk
// misleads the guess at them.
TEST(FormChanges, CountsTheLinesThatDiffer) {
  const std::string block =
      "Begin VB.Form f\r\n  Begin Tabulon80.Grid g\r\n  End\r\nEnd\r\n"
      "Dim a As Tabulon80.Grid, b As Tabulex80.Grid\r\nx = 1\r\n";
  std::string lf = block;
  std::erase(lf, '\r');
  const std::string long_line(100000, 'x');
  const struct {
    const char* what;
    std::string text;
    LineEnds ends;
    uint64_t changed;
  } cases[] = {
      {"CR LF", block + block, LineEnds::kCr, 4},
      {"LF only", lf + lf, LineEnds::kLf, 4},
      {"a CR after the first chunk", lf + long_line + "\r\n" + block,
       LineEnds::kCr, 2},
      {"no line end in the first chunk", long_line + "\n" + lf, LineEnds::kLf,
       2},
  };
  for (const auto& c : cases) {
    TempDir dir;
    dir.Write("f.frm", c.text);
    FileSystem& fs = DefaultFileSystem();
    FileReport planned;
    const FormPlan plan =
        PlanForm(dir / "f.frm", StatFile(fs, dir / "f.frm"),
                 StatName(fs, dir / "f.frm.bak"), kTables, fs, &planned);
    EXPECT_TRUE(plan.convert) << c.what;
    EXPECT_EQ(c.ends, plan.ends) << c.what;
    EXPECT_EQ(c.changed, planned.changed_lines) << c.what;
    EXPECT_EQ(std::min<uint64_t>(c.changed, kSamplesPerFile),
              planned.samples.size())
        << c.what;
    FileReport done;
    LineWatch watch(done, false, nullptr);
    const ReplacementNames names = NamesOf(fs, dir / "f.frm");
    InputFile source(fs, names.target);
    NewFile out = CreateNewFile(fs, names, source.Status());
    WriteConversion(out, source, plan.ends, kTables, &watch);
    PutInPlace(fs, names, out);
    EXPECT_EQ(c.changed, done.changed_lines) << c.what;
    // The plain count, line by line, of what was written against the backup.
    std::vector<std::string> was, now;
    for (auto [text, lines] : {std::pair{dir.Read("f.frm.bak"), &was},
                               std::pair{dir.Read("f.frm"), &now}}) {
      std::string line;
      for (size_t i = 0; i < text.size(); ++i) {
        const char end = c.ends == LineEnds::kLf ? '\n' : '\r';
        if (text[i] != end) {
          line += text[i];
          continue;
        }
        if (end == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        lines->push_back(line);
        line.clear();
      }
      if (!line.empty()) lines->push_back(line);
    }
    ASSERT_EQ(was.size(), now.size()) << c.what;
    uint64_t differ = 0;
    for (size_t i = 0; i < was.size(); ++i) differ += was[i] != now[i];
    EXPECT_EQ(differ, done.changed_lines) << c.what;
  }
}

TEST(Version8Finder, FindsWhatTheConversionLeaves) {
  const Version8Finder libraries = Version8Finder::Libraries(kTables);
  const Version8Finder everything = Version8Finder::Everything(kTables);
  const struct {
    std::string line;
    size_t in_libraries, in_everything;
  } cases[] = {
      {"Dim g As Tabulon80.Grid", npos, 9},
      {"Dim \xe9 As Tabulon80.Grid", npos, 9},
      {"Dim g As tabulon80C.Grid", npos, npos},
      {"Dim g As Tabulon80c.Grid, h As TABULEX80.Grid", npos, 31},
      {"Tabulon80", npos, 0},
      {std::string("x {") + kGuid8 + "}", 3, 3},
      {"Reference=*\\G{5a1c3e90-7b24-4d6f-9e81-2c4b7a0d3f65}#8.0#0", 14, 14},
      {"Object=\"x\"; \"TBLX8.OCX\"", 13, 13},
      {"Object=\"x\"; \"tblx8c.ocx\"", npos, npos},
      {"x = 80 - 8", npos, npos},
      // A byte every text holds, where no text matches, then where one does.
      {"tbln8 tbln8.OCX", 6, 6},
      {"Tabulon80c, Tabulon80", npos, 12},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.in_libraries, libraries.Find(c.line)) << c.line;
    EXPECT_EQ(c.in_everything, everything.Find(c.line)) << c.line;
  }
}

TEST(OtherEntries, TakesTheFileOfEachEntryTheConversionOnlyReads) {
  EXPECT_EQ((std::vector<std::string>{"modMain.bas", "Sub\\cls A.cls",
                                      "ppg.pag", "doc.dob", "de.Dsr"}),
            OtherEntries("Type=Exe\r\nmodule=modMain; modMain.bas\n"
                         "Class=A; B; Sub\\cls A.cls\rForm=f.frm\r\n"
                         "PropertyPage=ppg.pag\r\nUserDocument=doc.dob\r\n"
                         "Designer=de.Dsr\r\nModule=\r\n"
                         "ResFile32=\"x.res\"\r\n"));
}

// An entry's file that is missing, a folder or a pipe is reported as such
// and never read: a pipe would keep the completion box waiting for ever.
TEST(OtherEntries, AnEntryThatIsNoFileIsReportedUnread) {
  TempDir dir;
  dir.Write("Folder.cls/x", "");
  std::vector<std::string> names = {"Gone.bas", "Folder.cls"};
#ifndef _WIN32
  ASSERT_EQ(0, mkfifo((dir / "Pipe.bas").c_str(), 0600));
  names.push_back("Pipe.bas");
#endif
  const Version8Finder finder = Version8Finder::Everything(kTables);
  for (const std::string& name : names) {
    const FileReport report =
        ScanOtherEntry(dir.path(), name, finder, DefaultFileSystem());
    EXPECT_EQ(FileAction::kUnreadable, report.action) << name;
    EXPECT_FALSE(report.why.empty()) << name;
  }
}

// A line clipped for a box keeps its characters whole at both cuts.
TEST(ShownLine, CutsBetweenCharacters) {
#ifdef _WIN32
  if (!IsLeadByte('\x83')) GTEST_SKIP() << "not a double-byte code page";
  const std::string letter = "\x83\x5C";  // its second byte is a backslash
#else
  const std::string letter = "\xC3\xA9";  // UTF-8
#endif
  std::string line;
  for (int i = 0; i < 200; ++i) line += letter;
  for (const size_t at : {201, 202, 239}) {
    const std::string shown = ShownLine(line, at);
    ASSERT_EQ("...", shown.substr(0, 3)) << at;
    ASSERT_EQ("...", shown.substr(shown.size() - 3)) << at;
    const std::string part = shown.substr(3, shown.size() - 6);
    EXPECT_EQ(0u, part.size() % 2) << at;
    EXPECT_EQ(letter.substr(0, 1), part.substr(0, 1)) << at;
  }
}

TEST(Details, BatchGroupsThePlacesLeftUnderTheirProject) {
  auto file = [](const char* name, FileAction action) {
    FileReport f;
    f.name = name;
    f.action = action;
    return f;
  };
  ProjectReport demo;
  demo.name = "Demo/Demo.vbp";
  demo.convertible = true;
  demo.files = {file("Demo.vbp", FileAction::kRewrite),
                file("frmMain.frm", FileAction::kAlreadyConverted),
                file("modMain.bas", FileAction::kRead),
                file("deMain.Dsr", FileAction::kUnreadable)};
  demo.files[0].places = {{2, "Ref 8"}};
  demo.files[2].places = {{4, "Dim g"}};
  demo.files[2].more_places = 3;
  demo.files[3].why = "No such file or directory";
  ProjectReport clean = demo;
  clean.name = "Clean/Clean.vbp";
  clean.files = {file("Clean.vbp", FileAction::kRewrite)};
  BatchReport batch;
  batch.Add(demo);
  batch.Add(clean);
  EXPECT_EQ(
      "Projects:\n"
      "Demo/Demo.vbp: converted, 1 file rewritten, 1 already converted, 5 "
      "places left\n"
      "Clean/Clean.vbp: converted, 1 file rewritten, 0 already converted\n"
      "\n"
      "Left for you to fix: 5 lines that still name version 8:\n"
      "Demo/Demo.vbp:\n"
      "    Demo.vbp, line 2: Ref 8\n"
      "    modMain.bas, line 4: Dim g\n"
      "    modMain.bas: and 3 more places\n"
      "    deMain.Dsr: could not be read (No such file or directory)\n",
      batch.Text("Projects:"));
}

// However many places a file holds, and however long its lines, the
// details stay short.
TEST(Details, AreBounded) {
  ProjectReport report;
  report.name = "Big.vbp";
  report.convertible = true;
  FileReport& mod = report.files.emplace_back();
  mod.name = "modBig.bas";
  mod.action = FileAction::kRead;
  const std::string line = std::string(1000, 'x') + "Tabulon80.Grid" +
                           std::string(1 << 16, 'y') + '\0';
  std::string text;
  for (int i = 0; i < 50; ++i) text += line + "\r\n";
  NotePlaces(text, Version8Finder::Everything(kTables), mod);
  EXPECT_EQ(kPlacesPerFile, mod.places.size());
  EXPECT_EQ(50 - kPlacesPerFile, mod.more_places);
  EXPECT_EQ(50u, report.PlacesLeft());
  const std::string shown = mod.places.front().text;
  EXPECT_LE(shown.size(), kShownLineBytes + 6);
  EXPECT_EQ("...", shown.substr(0, 3));
  EXPECT_NE(std::string::npos, shown.find("Tabulon80.Grid"));

  BatchReport batch;
  for (int i = 0; i < 5000; ++i) batch.Add(report);
  const std::string details = batch.Text("Projects:");
  EXPECT_LE(details.size(), 2 * kDetailsBytes + 100);
  EXPECT_NE(std::string::npos, details.find(" more lines\n"));
  EXPECT_EQ(std::string::npos, details.find('\0'));
}

}  // namespace
