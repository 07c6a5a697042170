#include "engine/linesieve.h"

#include <cstring>

#include "engine/text.h"

namespace {

// How common a byte is in forms and code, roughly: letters and spaces
// everywhere (never chosen), digits and the punctuation of strings,
// properties and member access often, braces, '#' and ';' seldom.
int Commonness(char c) {
  const char folded = FoldCase(c);
  if (c == ' ' || (folded >= 'a' && folded <= 'z')) return 3;
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
  for (size_t i = 0; i < text.size(); ++i) {
    if (Commonness(text[i]) < commonness) {
      best = i;
      commonness = Commonness(text[i]);
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
    } else if (bytes_.find(text[k]) == std::string::npos) {
      bytes_.push_back(text[k]);
    }
  }
}

bool LineSieve::MayHold(std::string_view line) const {
  if (every_line_) return true;
  if (line.empty()) return false;  // no text is empty
  for (const char c : bytes_) {
    if (std::memchr(line.data(), c, line.size()) != nullptr) return true;
  }
  return false;
}
