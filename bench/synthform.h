#ifndef BENCH_SYNTHFORM_H_
#define BENCH_SYNTHFORM_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "bench/rng.h"

// The code page a project's captions, strings and comments are written in.
// Shift-JIS matters most: a second byte can be 0x5C, the backslash.
enum class Codepage { k1252, k1256, kShiftJis };

// What one synthetic form or user-control file holds.
struct FormShape {
  std::string name;  // frmOrders, ucTotals
  bool user_control = false;
  size_t bytes = 20 << 10;  // the text ends on the first line past this
  bool crlf = false;        // else LF only, as most forms kept in git are
  bool tabulon = true;      // declares and uses the version 8 grid
  bool tabulex = false;     // declares and uses the other version 8 grid
  Codepage codepage = Codepage::k1252;
};

// Writes a form of the shape the development environment saves: VERSION
// line, control-library headers, nested control blocks with property
// sections, attributes, then code. The text goes to sink in pieces of about
// a megabyte, so a form of any size is made in bounded memory.
void WriteForm(const FormShape& shape, Rng& rng,
               const std::function<void(std::string_view)>& sink);

std::string MakeForm(const FormShape& shape, Rng& rng);

// Text in the code page, for captions, strings and comments.
std::string_view CodepageText(Codepage codepage, Rng& rng);

#endif  // BENCH_SYNTHFORM_H_
