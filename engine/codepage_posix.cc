#include "engine/codepage.h"

// A byte of a UTF-8 sequence after its first is never a separator.
bool IsLeadByte(char) { return false; }
