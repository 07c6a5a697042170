#ifndef ENGINE_LINESIEVE_H_
#define ENGINE_LINESIEVE_H_

#include <string>
#include <string_view>
#include <vector>

// Tells the lines that cannot hold any of a few texts, case ignored, before
// they are searched for each: most lines of a form hold none of the texts
// the tables look for, and one pass over a line for a byte or two costs
// less than a search per text. Each text gives one byte that is no letter
// (every match holds that very byte, whatever its letters' case), the one
// least common in ordinary lines, and with it the byte after it where that
// is no letter either: a digit alone is common in code, "80" much less so.
// A line that holds none of those marks holds none of the texts.
class LineSieve {
 public:
  LineSieve() = default;  // no texts: no line may hold one
  explicit LineSieve(const std::vector<std::string_view>& texts);

  // False only where the line holds none of the texts.
  bool MayHold(std::string_view line) const;

 private:
  // A byte, and the bytes that may follow it in a mark; any: a text's mark
  // is the byte alone.
  struct Mark {
    char byte;
    bool any = false;
    std::string next;
  };
  std::vector<Mark> marks_;
  bool every_line_ = false;  // a text of letters and spaces only
};

// The offset in text of its byte least common in ordinary lines that is no
// letter and no space, or npos where there is none. Every match of text,
// whatever its letters' case, holds that very byte there, so a search may
// look for it alone first.
size_t RareByteOf(std::string_view text);

#endif  // ENGINE_LINESIEVE_H_
