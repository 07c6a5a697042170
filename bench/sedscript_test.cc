#include "bench/sedscript.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/testkit/testing.h"

namespace {

TEST(SedPattern, EscapesWhatBasicExpressionsTreatSpecially) {
  const struct {
    const char* find;
    const char* pattern;
  } cases[] = {
      {"tbln8.ocx", "tbln8\\.ocx"},
      {"a*b[c]^$", "a\\*b\\[c\\]\\^\\$"},
      {"back\\slash/delim", "back\\\\slash\\/delim"},
      // Braces, quotes, #, ; and spaces are plain bytes to GNU sed.
      {"Object = \"{5A}#8.0#0\"; x", "Object = \"{5A}#8\\.0#0\"; x"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.pattern, SedPattern(c.find));
}

TEST(SedReplacement, EscapesAmpersandBackslashAndDelimiter) {
  EXPECT_EQ("a\\&b\\\\c\\/d.e", SedReplacement("a&b\\c/d.e"));
}

TEST(SedScript, HasOneCaseIgnoringCommandPerRowWithAFindText) {
  const std::string script = SedScript(InitTables());
  size_t commands = 0;
  for (size_t at = 0; (at = script.find("/gI\n", at)) != std::string::npos;
       ++at) {
    ++commands;
  }
  EXPECT_EQ(6u, commands);  // two rows each of project, form and class table
}

// The script must make the same substitutions as the engine's tables, or the
// comparison would time different work.
TEST(SedScript, GnuSedMakesTheTablesSubstitutions) {
  if (std::system("sed --version >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "GNU sed is not installed";
  }
  const Tables tables = InitTables();
  TempDir dir;
  dir.Write("script.sed", SedScript(tables));
  const std::string text =
      "OBJECT={5a1c3e90-7b24-4d6f-9e81-2c4b7a0d3f65}#8.0#0; TBLN8.OCX\n"
      "Object = \"{B3D07A21-94E5-4C18-A6F2-81E93C5D0B47}#8.0#0\"; "
      "\"tblx8.ocx\"\n"
      "   Begin tabulon80.Grid g \xE9\x5C\n"
      "Dim a As TABULEX80.Grid, b As Tabulon80.Column\n"
      // Unescaped full stops would match these.
      "Object={5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8X0#0; tbln8Xocx\n"
      "Tabulon8 \\ & /\n";
  dir.Write("f.frm", text);
  const std::string command =
      "sed -i.bak -f '" + (dir / "script.sed") + "' '" + (dir / "f.frm") + "'";
  ASSERT_EQ(0, std::system(command.c_str()));

  std::string expected = text;
  for (const ReplacementTable* table :
       {&tables.ProjTable, &tables.FormTable, &tables.ClassTable}) {
    for (const ReplacementRow& row : *table) {
      StringReplace(expected, row.find, row.repl);
    }
  }
  EXPECT_EQ(expected, dir.Read("f.frm"));
  EXPECT_EQ(text, dir.Read("f.frm.bak"));
}

}  // namespace
