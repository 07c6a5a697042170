#include "engine/linesieve.h"

#include <algorithm>
#include <cstring>

#include "engine/text.h"

namespace {

bool IsLetter(char c) {
  const char folded = FoldCase(c);
  return folded >= 'a' && folded <= 'z';
}

// How common a byte is in forms and code, roughly: letters and spaces
// everywhere (never chosen), digits and the punctuation of strings,
// properties and member access often, braces, '#' and ';' seldom.
int Commonness(char c) {
  if (c == ' ' || IsLetter(c)) return 3;
  if ((c >= '0' && c <= '9') || c == '"' || c == '.' || c == '=' || c == '(' ||
      c == ')' || c == ',' || c == '\'' || c == '_' || c == '&') {
    return 2;
  }
  return 1;
}

}  // namespace

size_t RareByteOf(std::string_view text) {
  size_t best = std::string_view::npos;
  int commonness = 3;
  for (size_t i = 0; i < text.size() && commonness > 1; ++i) {
    if (const int c = Commonness(text[i]); c < commonness) {
      best = i;
      commonness = c;
    }
  }
  return best;
}

LineSieve::LineSieve(const std::vector<std::string_view>& texts) {
  for (const std::string_view text : texts) {
    if (text.empty()) continue;  // matches nothing
    const size_t k = RareByteOf(text);
    if (k == std::string_view::npos) {
      every_line_ = true;
      continue;
    }
    auto mark = std::find_if(marks_.begin(), marks_.end(),
                             [&](const Mark& m) { return m.byte == text[k]; });
    if (mark == marks_.end()) {
      mark = marks_.insert(mark, Mark{text[k], false, {}});
    }
    if (k + 1 < text.size() && !IsLetter(text[k + 1])) {
      mark->next.push_back(text[k + 1]);
    } else {
      mark->any = true;
    }
  }
}

bool LineSieve::MayHold(std::string_view line) const {
  if (every_line_) return true;
  const char* const end = line.data() + line.size();
  for (const Mark& mark : marks_) {
    for (const char* at = line.data(); at != end; ++at) {
      at = static_cast<const char*>(
          std::memchr(at, mark.byte, static_cast<size_t>(end - at)));
      if (at == nullptr) break;
      if (mark.any) return true;
      if (at + 1 == end) break;
      for (const char next : mark.next) {
        if (at[1] == next) return true;
      }
    }
  }
  return false;
}
