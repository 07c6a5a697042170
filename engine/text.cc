#include "engine/text.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StartsWithIgnoreCase(a, b);
}

size_t FindIgnoreCase(std::string_view s, std::string_view find, size_t from) {
  if (find.empty() || from > s.size() || s.size() - from < find.size()) {
    return std::string_view::npos;
  }
  // Candidates are where find's first byte stands, in either case; memchr
  // finds them far faster than a loop that folds every byte.
  const char lower = FoldCase(find.front());
  const char upper = lower >= 'a' && lower <= 'z'
                         ? static_cast<char>(lower - 'a' + 'A')
                         : lower;
  const std::string_view rest = find.substr(1);
  const size_t last = s.size() - find.size();  // the last start
  for (size_t at = from; at <= last; ++at) {
    const size_t span = last - at + 1;
    const char* p = s.data() + at;
    const auto* l = static_cast<const char*>(std::memchr(p, lower, span));
    const auto* u = lower == upper
                        ? nullptr
                        : static_cast<const char*>(std::memchr(
                              p, upper, l == nullptr ? span : l - p));
    const char* hit = u != nullptr ? u : l;
    if (hit == nullptr) break;
    at = static_cast<size_t>(hit - s.data());
    if (StartsWithIgnoreCase(s.substr(at + 1), rest)) return at;
  }
  return std::string_view::npos;
}

bool LessIgnoreCase(std::string_view a, std::string_view b) {
  const bool less = std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(FoldCase(x)) <
               static_cast<unsigned char>(FoldCase(y));
      });
  if (less || !EqualsIgnoreCase(a, b)) return less;
  return a < b;
}

std::string_view TrimLeadingSpaces(std::string_view s) {
  // Properties are indented by up to a few dozen spaces: eight at a time,
  // the first other byte found by its place in the word.
  constexpr uint64_t kSpaces = 0x2020202020202020;
  uint64_t word;
  while (s.size() >= sizeof word) {
    std::memcpy(&word, s.data(), sizeof word);
    if (const uint64_t other = word ^ kSpaces; other != 0) {
      const int bits = std::endian::native == std::endian::little
                           ? std::countr_zero(other)
                           : std::countl_zero(other);
      return s.substr(static_cast<size_t>(bits) / 8);
    }
    s.remove_prefix(sizeof word);
  }
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

std::string_view TrimSpaces(std::string_view s) {
  s = TrimLeadingSpaces(s);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

size_t FindLineEnd(std::string_view s) {
  // memchr runs far faster than a loop testing each byte for two values;
  // the CR is sought only before the first LF.
  const char* begin = s.data();
  const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', s.size()));
  const size_t before_lf =
      lf == nullptr ? s.size() : static_cast<size_t>(lf - begin);
  const auto* cr =
      static_cast<const char*>(std::memchr(begin, '\r', before_lf));
  if (cr != nullptr) return static_cast<size_t>(cr - begin);
  return lf == nullptr ? std::string_view::npos : before_lf;
}

std::string_view TakeLine(std::string_view& text) {
  const size_t end = FindLineEnd(text);
  const std::string_view line = text.substr(0, end);
  if (end == std::string_view::npos) {
    text = std::string_view();
  } else {
    const bool crlf =
        text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
    text.remove_prefix(end + (crlf ? 2 : 1));
  }
  return line;
}
