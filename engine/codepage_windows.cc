#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "engine/codepage.h"

// The system's ANSI code page, the one of its narrow calls.
bool IsLeadByte(char c) {
  return IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE;
}

size_t CharacterStart(std::string_view s, size_t at) {
  // A second byte can look like any other, so characters are counted from
  // the start.
  size_t i = 0;
  while (i < at && i < s.size()) {
    const size_t next = i + (IsLeadByte(s[i]) && i + 1 < s.size() ? 2 : 1);
    if (next > at) return i;
    i = next;
  }
  return at;
}
