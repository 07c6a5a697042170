#ifndef ENGINE_CODEPAGE_H_
#define ENGINE_CODEPAGE_H_

#include <cstddef>
#include <string_view>

// Whether c starts a character of two bytes in the code page that paths
// are written in. In a double-byte code page (Japanese cp932, Chinese) the
// second byte can be the backslash, 0x5C, which then separates no folders.
// UTF-8 and the single-byte code pages have no such bytes.
bool IsLeadByte(char c);

// The start of the character that byte at of s belongs to: at itself when
// it starts one or is the end of s. A text cut there keeps its characters
// whole: those of two bytes in a double-byte code page on Windows, UTF-8
// sequences elsewhere.
size_t CharacterStart(std::string_view s, size_t at);

#endif  // ENGINE_CODEPAGE_H_
