#include "engine/text.h"

#include <algorithm>
#include <cstring>

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StartsWithIgnoreCase(a, b);
}

namespace {

bool IsLetter(char c) { return FoldCase(c) >= 'a' && FoldCase(c) <= 'z'; }

// How often a byte turns up in forms and code, roughly: spaces and letters
// everywhere, digits and the punctuation of strings, properties and member
// access often, braces, '#' and ';' seldom.
int Commonness(char c) {
  if (c == ' ' || IsLetter(c)) return 3;
  if ((c >= '0' && c <= '9') || c == '"' || c == '.' || c == '=' || c == '(' ||
      c == ')' || c == ',' || c == '\'' || c == '_' || c == '&') {
    return 2;
  }
  return 1;
}

// The tables ask for the same few texts line after line, so the choice is
// remembered for the last texts, by address and length. A remembered choice
// that belonged to another text at the same place can only cost speed: any
// byte that is not a letter finds every match, and that is checked.
size_t RememberedAnchorOf(std::string_view find) {
  struct Choice {
    const char* data = nullptr;
    size_t size = 0;
    size_t anchor = std::string_view::npos;
  };
  constexpr size_t kChoices = 8;
  thread_local Choice choices[kChoices];
  thread_local size_t next = 0;
  for (const Choice& c : choices) {
    if (c.data == find.data() && c.size == find.size() &&
        c.anchor < find.size() && !IsLetter(find[c.anchor])) {
      return c.anchor;
    }
  }
  const size_t anchor = AnchorOf(find);
  if (anchor != std::string_view::npos) {
    choices[next] = {find.data(), find.size(), anchor};
    next = (next + 1) % kChoices;
  }
  return anchor;
}

// For a find of letters only: the first byte in either case.
size_t FindByFirstLetter(std::string_view s, std::string_view find,
                         size_t from) {
  const char lower = FoldCase(find[0]);
  const char upper = static_cast<char>(lower - 'a' + 'A');
  const std::string_view rest = find.substr(1);
  const char* const begin = s.data();
  const char* const last = begin + (s.size() - find.size());  // last start
  const char* p = begin + from;
  const char* next_lower = nullptr;
  const char* next_upper = nullptr;
  while (p <= last) {
    const size_t span = static_cast<size_t>(last - p) + 1;
    if (next_lower < p) {
      next_lower = static_cast<const char*>(std::memchr(p, lower, span));
      if (next_lower == nullptr) next_lower = last + 1;
    }
    if (next_upper < p) {
      next_upper = static_cast<const char*>(std::memchr(p, upper, span));
      if (next_upper == nullptr) next_upper = last + 1;
    }
    p = next_lower < next_upper ? next_lower : next_upper;
    if (p > last) break;
    if (StartsWithIgnoreCase(std::string_view(p + 1, rest.size()), rest)) {
      return static_cast<size_t>(p - begin);
    }
    ++p;
  }
  return std::string_view::npos;
}

}  // namespace

size_t AnchorOf(std::string_view find) {
  size_t anchor = std::string_view::npos;
  int best = 3;
  for (size_t i = 0; i < find.size() && best > 1; ++i) {
    if (IsLetter(find[i])) continue;
    const int commonness = Commonness(find[i]);
    if (commonness < best || anchor == std::string_view::npos) {
      anchor = i;
      best = commonness;
    }
  }
  return anchor;
}

size_t FindIgnoreCase(std::string_view s, std::string_view find, size_t from) {
  if (find.empty() || from > s.size() || s.size() - from < find.size()) {
    return std::string_view::npos;
  }
  // memchr finds the candidates far faster than a byte loop, and the whole
  // find is compared only where its rarest byte fits. Candidates come in
  // order of their start, so the first that fits is the first match.
  const size_t k = RememberedAnchorOf(find);
  if (k == std::string_view::npos) return FindByFirstLetter(s, find, from);
  const char* const begin = s.data();
  const char* const last = begin + (s.size() - find.size()) + k;
  for (const char* p = begin + from + k; p <= last; ++p) {
    p = static_cast<const char*>(
        std::memchr(p, find[k], static_cast<size_t>(last - p) + 1));
    if (p == nullptr) break;
    if (StartsWithIgnoreCase(std::string_view(p - k, find.size()), find)) {
      return static_cast<size_t>(p - k - begin);
    }
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

std::string_view TrimSpaces(std::string_view s) {
  // Properties are indented by up to a few dozen spaces: eight at a time.
  constexpr std::string_view kEight = "        ";
  while (s.size() >= kEight.size() && s.substr(0, kEight.size()) == kEight) {
    s.remove_prefix(kEight.size());
  }
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
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
