#include "engine/tables.h"

#include <gtest/gtest.h>

#include <random>

#include "engine/text.h"

namespace {

TEST(StringReplace, IgnoresCaseAndKeepsOtherBytes) {
  std::string s("x\xE9TABULON80 tabulon80\r\n");
  EXPECT_TRUE(StringReplace(s, "Tabulon80", "Tabulon80c"));
  EXPECT_EQ("x\xE9Tabulon80c Tabulon80c\r\n", s);
}

TEST(StringReplace, NeverSearchesInsertedText) {
  std::string s("aaa");
  EXPECT_TRUE(StringReplace(s, "a", "aa"));
  EXPECT_EQ("aaaaaa", s);
  std::string t("xxxx");
  EXPECT_TRUE(StringReplace(t, "xx", "y"));  // no overlapping matches
  EXPECT_EQ("yy", t);
}

TEST(StringReplace, ConvertsConvertedTextAgain) {
  // The primitive knows nothing of versions; keeping converted files away
  // from it is the callers' job.
  std::string s("Begin Tabulon80c.Grid g");
  EXPECT_TRUE(StringReplace(s, "Tabulon80", "Tabulon80c"));
  EXPECT_EQ("Begin Tabulon80cc.Grid g", s);
}

TEST(StringReplace, ReportsNoChangeWhenOnlyCaseWouldChange) {
  std::string s("abc abc");
  EXPECT_FALSE(StringReplace(s, "abc", "ABC"));
  EXPECT_EQ("abc abc", s);
}

TEST(StringReplace, LeavesTextWithoutMatchOrWithEmptyFind) {
  std::string s("Tabulon8 Tabulon 80");
  EXPECT_FALSE(StringReplace(s, "Tabulon80", "Tabulon80c"));
  EXPECT_FALSE(StringReplace(s, "", "x"));
  EXPECT_EQ("Tabulon8 Tabulon 80", s);
  std::string empty;
  EXPECT_FALSE(StringReplace(empty, "a", "b"));
}

TEST(StringReplace, FoldsAsciiLettersOnly) {
  // 0xC9 and 0xE9 are one letter in two cases in Windows-1252, but other
  // code pages give those bytes other meanings; they must stay distinct.
  std::string s("\xC9t\xE9");
  EXPECT_FALSE(StringReplace(s, "\xE9T\xE9", "x"));
  EXPECT_TRUE(StringReplace(s, "\xC9T\xE9", "x"));
  EXPECT_EQ("x", s);
}

TEST(StringReplace, HandlesNulAndMatchesAtBothEnds) {
  std::string s(std::string("tabulex80\0tabulex80", 19));
  EXPECT_TRUE(StringReplace(s, "Tabulex80", "Tabulex80c"));
  EXPECT_EQ(std::string("Tabulex80c\0Tabulex80c", 21), s);
}

TEST(InitTables, PropTableNeverChangesALine) {
  const Tables t = InitTables();
  std::string s("   BeginProperty Font Tabulon80 {0BE35203}");
  EXPECT_FALSE(ApplyTable(s, t.PropTable));
  EXPECT_EQ("   BeginProperty Font Tabulon80 {0BE35203}", s);
}

TEST(InitTables, ProjectHeaderRowsConvertBothLibraries) {
  const Tables t = InitTables();
  std::string s(
      "Object={5a1c3e90-7b24-4d6f-9e81-2c4b7a0d3f65}#8.0#0; TBLN8.OCX\r\n"
      "Object={B3D07A21-94E5-4C18-A6F2-81E93C5D0B47}#8.0#0; tblx8.ocx\r\n");
  EXPECT_TRUE(ApplyTable(s, t.ProjTable));
  EXPECT_EQ(
      "Object={e81f4c2a-6d07-4b93-a5c1-3f72b9e0d614}#8.0#0; tbln8c.ocx\r\n"
      "Object={9c4a07e3-51b8-4f2d-8e6a-d2c15f0b7a39}#8.0#0; tblx8c.ocx\r\n",
      s);
  EXPECT_FALSE(ApplyTable(s, t.ProjTable));  // converted text stays
}

TEST(FindIgnoreCase, FindsFirstMatchFromPosition) {
  EXPECT_EQ(2u, FindIgnoreCase("xxBEGIN begin", "begin"));
  EXPECT_EQ(8u, FindIgnoreCase("xxBEGIN begin", "begin", 3));
  EXPECT_EQ(std::string_view::npos, FindIgnoreCase("xxBEGI", "begin"));
  EXPECT_EQ(std::string_view::npos, FindIgnoreCase("abc", "c", 4));
  EXPECT_EQ(0u, FindIgnoreCase("{x", "{X"));  // a non-letter first byte
}

// The search starts from the rarest byte of find that is not a letter,
// wherever that byte stands; the match found must still be the first one.
TEST(FindIgnoreCase, AgreesWithAPlainScan) {
  // Letters in both cases, bytes that never fold, and 8-bit text.
  const std::string alphabet = "aAbB{#8.0 \"\xE9\xC9";
  std::mt19937 random(5);
  auto pick = [&](size_t n) {
    return std::uniform_int_distribution<size_t>(0, n)(random);
  };
  for (int round = 0; round < 20000; ++round) {
    std::string s(pick(24), ' ');
    for (char& c : s) c = alphabet[pick(alphabet.size() - 1)];
    std::string find(1 + pick(4), ' ');
    for (char& c : find) c = alphabet[pick(alphabet.size() - 1)];
    const size_t from = pick(s.size() + 1);
    size_t expected = std::string_view::npos;
    for (size_t i = from; i + find.size() <= s.size(); ++i) {
      if (StartsWithIgnoreCase(std::string_view(s).substr(i), find)) {
        expected = i;
        break;
      }
    }
    ASSERT_EQ(expected, FindIgnoreCase(s, find, from))
        << "s=" << s << " find=" << find << " from=" << from;
  }
}

TEST(TrimSpaces, RemovesSpacesButNotTabs) {
  EXPECT_EQ("End", TrimSpaces("   End  "));
  EXPECT_EQ("\tEnd", TrimSpaces(" \tEnd"));
  EXPECT_EQ("", TrimSpaces("    "));
  // Every indent up to past two words of spaces, before a byte that only
  // differs from a space in one bit, and before nothing.
  for (size_t indent = 0; indent < 20; ++indent) {
    for (const std::string_view rest : {"!", "\x20\x20", "0 x", "\xa0"}) {
      const std::string line = std::string(indent, ' ') + std::string(rest);
      const std::string_view lead = TrimLeadingSpaces(line);
      EXPECT_EQ(rest.front() == ' ' ? "" : rest, lead) << indent;
    }
  }
}

}  // namespace
