#include "engine/codepage.h"

// A byte of a UTF-8 sequence after its first is never a separator.
bool IsLeadByte(char) { return false; }

size_t CharacterStart(std::string_view s, size_t at) {
  // Back over at most the three continuation bytes a sequence can have, so
  // that text in another 8-bit encoding moves a cut by a few bytes at most.
  for (int k = 0; k < 3 && at > 0 && at < s.size(); ++k) {
    if ((static_cast<unsigned char>(s[at]) & 0xC0) != 0x80) break;
    --at;
  }
  return at;
}
