#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "engine/codepage.h"

// The system's ANSI code page, the one of its narrow calls.
bool IsLeadByte(char c) {
  return IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE;
}
