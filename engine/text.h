#ifndef ENGINE_TEXT_H_
#define ENGINE_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>

// File contents are 8-bit bytes in no particular code page (Windows-1252,
// Shift-JIS, ...), so only the ASCII letters fold; every other byte compares
// as itself. The locale is never consulted.
inline char FoldCase(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// True when the first find.size() bytes of s equal find, case ignored. Most
// lines a converter asks this of differ at once, so it is inline, where that
// costs no call.
inline bool StartsWithIgnoreCase(std::string_view s, std::string_view find) {
  if (s.size() < find.size()) return false;
  for (size_t i = 0; i < find.size(); ++i) {
    if (FoldCase(s[i]) != FoldCase(find[i])) return false;
  }
  return true;
}

// Offset of the first match of find at or after from, case ignored, or
// std::string_view::npos. An empty find never matches.
size_t FindIgnoreCase(std::string_view s, std::string_view find,
                      size_t from = 0);

// Orders names as the folder and file lists show them: ASCII letter case
// ignored, names equal that way by their bytes, so the order is total.
bool LessIgnoreCase(std::string_view a, std::string_view b);

// Offset of the first CR or LF of s, or npos.
size_t FindLineEnd(std::string_view s);

// The first line of text, which loses it and its end: a CR, an LF or both,
// as an editor counts lines whatever a file's line ends.
std::string_view TakeLine(std::string_view& text);

// s without leading and trailing spaces; tabs are kept.
std::string_view TrimSpaces(std::string_view s);
// s without its leading spaces.
std::string_view TrimLeadingSpaces(std::string_view s);

#endif  // ENGINE_TEXT_H_
