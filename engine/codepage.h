#ifndef ENGINE_CODEPAGE_H_
#define ENGINE_CODEPAGE_H_

// Whether c starts a character of two bytes in the code page that paths
// are written in. In a double-byte code page (Japanese cp932, Chinese) the
// second byte can be the backslash, 0x5C, which then separates no folders.
// UTF-8 and the single-byte code pages have no such bytes.
bool IsLeadByte(char c);

#endif  // ENGINE_CODEPAGE_H_
