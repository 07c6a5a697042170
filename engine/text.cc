#include "engine/text.h"

#include <cstring>

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StartsWithIgnoreCase(a, b);
}

bool StartsWithIgnoreCase(std::string_view s, std::string_view find) {
  if (s.size() < find.size()) return false;
  for (size_t i = 0; i < find.size(); ++i) {
    if (FoldCase(s[i]) != FoldCase(find[i])) return false;
  }
  return true;
}

size_t FindIgnoreCase(std::string_view s, std::string_view find, size_t from) {
  if (find.empty() || from > s.size() || s.size() - from < find.size()) {
    return std::string_view::npos;
  }
  // memchr finds candidates for the first byte in each case far faster than
  // a byte loop; the rest is compared only where the first byte fits.
  const char lower = FoldCase(find[0]);
  const char upper = (lower >= 'a' && lower <= 'z')
                         ? static_cast<char>(lower - 'a' + 'A')
                         : lower;
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
    if (upper == lower) {
      next_upper = next_lower;
    } else if (next_upper < p) {
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

std::string_view TrimSpaces(std::string_view s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const size_t last = s.find_last_not_of(' ');
  return s.substr(first, last - first + 1);
}
