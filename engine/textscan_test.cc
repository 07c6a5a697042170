#include "engine/textscan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Whatever the chunks a file comes in, the scan learns what a search of the
// whole text would: texts split by a border are found, their letter case
// ignored, and a decisive text settles the scan without losing the line ends
// that come after it.
TEST(TextScan, LearnsWhatTheWholeTextHoldsWhateverItsChunks) {
  const std::vector<std::string> needles = {"#Head", "Mark8", "other"};
  const struct {
    std::string text;
    std::vector<bool> found;  // of the needles not settled by another
    bool cr, lf;
    bool decided;
  } cases[] = {
      {"xx mark8 yy OTHER zz\n", {false, true, true}, false, true, false},
      {"mark8 then #HEAD\r\nother\n", {true}, true, true, true},
      {"#head then lines\n", {true}, false, true, false},
      {"#hea d mark 8 OTH\rER", {false, false, false}, true, false, false},
      {"", {false, false, false}, false, false, false},
  };
  for (const auto& c : cases) {
    for (const size_t n :
         {size_t{1}, size_t{2}, size_t{3}, size_t{5}, size_t{64}}) {
      TextScan scan(needles, 1);
      for (size_t at = 0; at < c.text.size(); at += n) {
        scan.Feed(std::string_view(c.text).substr(at, n));
      }
      const std::string what = c.text + " in chunks of " + std::to_string(n);
      for (size_t i = 0; i < c.found.size(); ++i) {
        EXPECT_EQ(c.found[i], scan.Found(i)) << what << ", needle " << i;
      }
      EXPECT_EQ(c.cr, scan.has_cr()) << what;
      EXPECT_EQ(c.lf, scan.has_lf()) << what;
      EXPECT_EQ(c.decided, scan.Decided()) << what;
    }
  }
}

}  // namespace
