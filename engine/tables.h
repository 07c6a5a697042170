#ifndef ENGINE_TABLES_H_
#define ENGINE_TABLES_H_

#include <string>
#include <string_view>
#include <vector>

struct ReplacementRow {
  std::string find;
  std::string repl;
};

// Rows are applied in order, each to the result of the one before.
using ReplacementTable = std::vector<ReplacementRow>;

// The four fixed tables. A table's row count is its size().
struct Tables {
  ReplacementTable ProjTable;   // whole project text; also decides detection
  ReplacementTable FormTable;   // header lines declaring a control library
  ReplacementTable ClassTable;  // block openings and lines outside blocks
  ReplacementTable PropTable;   // lines opening a property section
};

Tables InitTables();

// Replaces every occurrence of find in s by repl, case ignored, scanning left
// to right without overlap and never searching inserted text again. s is
// changed, and true returned, only when the result differs from s with case
// ignored. An empty find changes nothing.
bool StringReplace(std::string& s, std::string_view find,
                   std::string_view repl);

// Applies every row of table to s; true when any row changed it.
bool ApplyTable(std::string& s, const ReplacementTable& table);

#endif  // ENGINE_TABLES_H_
