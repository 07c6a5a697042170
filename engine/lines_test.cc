#include "engine/lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

// Reads text in pieces of at most piece bytes, so that every line end falls
// on a buffer border somewhere.
std::vector<std::string> ReadAll(const std::string& text, LineEnds ends,
                                 size_t piece) {
  size_t pos = 0;
  SourceReader in(
      [&](char* buf, size_t n) {
        const size_t k = std::min({n, piece, text.size() - pos});
        std::memcpy(buf, text.data() + pos, k);
        pos += k;
        return k;
      },
      ends);
  std::vector<std::string> lines;
  std::string spill;
  while (!in.AtEnd()) lines.emplace_back(in.NextLine(spill));
  return lines;
}

using Lines = std::vector<std::string>;

TEST(SourceReader, SplitsAtCrAndCrLfOnly) {
  for (size_t piece : {1u, 2u, 3u, 1000u}) {
    SCOPED_TRACE(piece);
    EXPECT_EQ(Lines({"a", "b", "", "c\nd", "e"}),
              ReadAll("a\r\nb\r\r\nc\nd\re", LineEnds::kCr, piece));
    EXPECT_EQ(Lines({"a"}), ReadAll("a\r\n", LineEnds::kCr, piece));
    EXPECT_EQ(Lines({"", ""}), ReadAll("\r\r\n", LineEnds::kCr, piece));
    EXPECT_EQ(Lines({"\n"}), ReadAll("\n", LineEnds::kCr, piece));
    EXPECT_EQ(Lines({std::string("x\0y", 3)}),
              ReadAll(std::string("x\0y", 3), LineEnds::kCr, piece));
  }
  EXPECT_EQ(Lines(), ReadAll("", LineEnds::kCr, 10));
}

TEST(SourceReader, SplitsAtLfInLfFiles) {
  for (size_t piece : {1u, 1000u}) {
    EXPECT_EQ(Lines({"a", "", "b"}), ReadAll("a\n\nb", LineEnds::kLf, piece));
    EXPECT_EQ(Lines({"a"}), ReadAll("a\n", LineEnds::kLf, piece));
  }
}

TEST(SourceReader, ReadsLinesLongerThanItsBuffer) {
  const std::string longline(1 << 20, 'x');
  EXPECT_EQ(Lines({longline, "y"}),
            ReadAll(longline + "\r\ny", LineEnds::kCr, 1 << 20));
}

TEST(LineEndsOf, LfOnlyWhenThereIsNoCr) {
  EXPECT_EQ(LineEnds::kLf, LineEndsOf(false, true));
  EXPECT_EQ(LineEnds::kCr, LineEndsOf(true, true));
  EXPECT_EQ(LineEnds::kCr, LineEndsOf(false, false));
}

TEST(TargetWriter, EndsEveryLineAndKeepsOrderAcrossFlushes) {
  std::string written;
  TargetWriter out([&](std::string_view b) { written.append(b); },
                   LineEnds::kCr);
  const std::string big(300000, 'b');
  out.WriteLine("a");
  out.WriteLine(big);
  out.WriteLine("");
  out.Flush();
  EXPECT_EQ("a\r\n" + big + "\r\n\r\n", written);
}

}  // namespace
