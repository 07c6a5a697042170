#include "engine/linesieve.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/tables.h"
#include "engine/text.h"

namespace {

TEST(LineSieve, PassesEveryLineThatHoldsOneOfItsTexts) {
  const Tables tables = InitTables();
  std::vector<std::string_view> texts;
  for (const ReplacementRow& row : tables.FormTable) texts.push_back(row.find);
  for (const ReplacementRow& row : tables.ClassTable) texts.push_back(row.find);
  const LineSieve sieve(texts);
  EXPECT_FALSE(sieve.MayHold("Private Sub Form_Load()"));
  EXPECT_FALSE(sieve.MayHold(""));
  EXPECT_TRUE(sieve.MayHold("Dim g As TABULON80.Grid"));
  EXPECT_TRUE(sieve.MayHold(tables.FormTable[1].find));
  // A digit alone is no mark: code is full of them.
  EXPECT_FALSE(sieve.MayHold("x = 8 + 18 * 0.8"));
  // Each text in either letter case, a letter after its rare byte included.
  for (const std::string_view text : texts) {
    std::string lower(text), upper(text);
    for (char& c : lower) c = FoldCase(c);
    for (char& c : upper) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    EXPECT_TRUE(sieve.MayHold(lower)) << lower;
    EXPECT_TRUE(sieve.MayHold(upper)) << upper;
  }
  // Lines made of the texts' own bytes, in every case: wherever a text
  // occurs the sieve lets the line through.
  std::mt19937 random(3);
  const std::string alphabet = "TaBuLoNx80 .\"{}#;=ObJeCt";
  for (int i = 0; i < 20000; ++i) {
    std::string line(random() % 40, ' ');
    for (char& c : line) c = alphabet[random() % alphabet.size()];
    if (random() % 4 == 0) {
      line.insert(random() % (line.size() + 1), "tabULON80");
    }
    bool holds = false;
    for (const std::string_view text : texts) {
      holds = holds || FindIgnoreCase(line, text) != std::string::npos;
    }
    if (holds) {
      ASSERT_TRUE(sieve.MayHold(line)) << line;
    }
  }
}

TEST(LineSieve, TextsOfLettersOnlyPassEveryLine) {
  EXPECT_TRUE(LineSieve({"abc"}).MayHold("xyz"));
  EXPECT_FALSE(LineSieve().MayHold("Tabulon80"));
}

}  // namespace
