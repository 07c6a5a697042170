#ifndef ENGINE_FORMCONVERT_H_
#define ENGINE_FORMCONVERT_H_

#include <string>

#include "engine/filesystem.h"
#include "engine/lines.h"
#include "engine/tables.h"

// Converts every line of a form or user-control text from in to out: header
// lines that declare a control library go through FormTable, control blocks
// through ConvertControl, every other line through ConvertCode.
void ConvertFormLines(SourceReader& in, TargetWriter& out,
                      const Tables& tables);

// s is a line already read, not yet written, whose trimmed text starts with
// "Begin ". Writes it and consumes and writes the rest of its block, nested
// blocks included, up to and including the "End" that closes it, or to the
// end of the input. Only the opening line of each block goes through
// ClassTable; every other line of a block is copied as it is.
void ConvertControl(std::string& s, SourceReader& in, TargetWriter& out,
                    const Tables& tables);

// A line outside the control blocks: every ClassTable row, and for a row of
// the form Library.Class also its library part up to the full stop.
void ConvertCode(std::string& s, const Tables& tables);

enum class FormOutcome { kConverted, kAlreadyConverted };

// Converts the file that a project in folder pth lists as fn (backslashes
// separate folders): copies it to its on-disk name + ".bak", then rewrites it
// from that copy. A file that already holds version 8c text and no version 8
// header is left untouched, so a form shared by two projects, or listed
// twice, is never converted twice nor its original backup overwritten.
FormOutcome ConvertForm(const std::string& pth, const std::string& fn,
                        const Tables& tables, FileSystem& fs);

// ConvertForm for a listed name already resolved to path on this machine.
FormOutcome ConvertFormAt(const std::string& path, const Tables& tables,
                          FileSystem& fs);

#endif  // ENGINE_FORMCONVERT_H_
