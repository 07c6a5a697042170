#ifndef ENGINE_FORMCONVERT_H_
#define ENGINE_FORMCONVERT_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/lines.h"
#include "engine/linesieve.h"
#include "engine/report.h"
#include "engine/tables.h"

// Converts one line at a time as its place in the file's blocks asks:
// outside the blocks a header line that declares a control library goes
// through FormTable and every other line through ConvertCode; a line that
// opens a block, at any depth, goes through ClassTable; every other line of
// a block is copied as it is. A block nests to any depth in hostile input,
// so the depth is counted rather than recursed into: the output is the same
// as a recursive walk's.
class FormLines {
 public:
  // A watch, when given, learns of every line read and written.
  FormLines(const Tables& tables, LineWatch* watch);

  // Converts line, the next line of the file, and writes it to out.
  void Convert(std::string_view line, TargetWriter& out);
  // line opens a block outside every other: only ClassTable applies.
  void OpenBlock(std::string_view line, TargetWriter& out);
  bool InBlock() const { return depth_ > 0; }

 private:
  void ConvertOutside(std::string_view line, TargetWriter& out);
  void ConvertInside(std::string_view line, TargetWriter& out);
  // A copy of line in s_, for a table to change.
  std::string& Editable(std::string_view line);
  void Write(std::string_view s, TargetWriter& out, bool changed,
             bool may_name);

  const Tables& tables_;
  LineWatch* watch_;
  LineSieve sieve_;  // the texts looked for outside the blocks
  size_t depth_ = 0;
  std::string s_;
};

// Converts every line of a form or user-control text from in to out.
void ConvertFormLines(SourceReader& in, TargetWriter& out, const Tables& tables,
                      LineWatch* watch = nullptr);

// s is a line already read, not yet written, whose trimmed text starts with
// "Begin ". Writes it and consumes and writes the rest of its block, nested
// blocks included, up to and including the "End" that closes it, or to the
// end of the input.
void ConvertControl(std::string_view s, SourceReader& in, TargetWriter& out,
                    const Tables& tables, LineWatch* watch = nullptr);

// A line outside the control blocks: every ClassTable row, and for a row of
// the form Library.Class also its library part up to the full stop. True
// when it changed s.
bool ConvertCode(std::string& s, const Tables& tables);

#endif  // ENGINE_FORMCONVERT_H_
