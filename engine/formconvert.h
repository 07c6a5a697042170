#ifndef ENGINE_FORMCONVERT_H_
#define ENGINE_FORMCONVERT_H_

#include <cstddef>
#include <future>
#include <optional>
#include <string>

#include "engine/filesystem.h"
#include "engine/lines.h"
#include "engine/replacement.h"
#include "engine/report.h"
#include "engine/tables.h"

// Converts every line of a form or user-control text from in to out: header
// lines that declare a control library go through FormTable, control blocks
// through ConvertControl, every other line through ConvertCode.
// A watch, when given, learns of every line read and written.
void ConvertFormLines(SourceReader& in, TargetWriter& out, const Tables& tables,
                      LineWatch* watch = nullptr);

// s is a line already read, not yet written, whose trimmed text starts with
// "Begin ". Writes it and consumes and writes the rest of its block, nested
// blocks included, up to and including the "End" that closes it, or to the
// end of the input. Only the opening line of each block goes through
// ClassTable; every other line of a block is copied as it is.
void ConvertControl(std::string& s, SourceReader& in, TargetWriter& out,
                    const Tables& tables, LineWatch* watch = nullptr);

// A line outside the control blocks: every ClassTable row, and for a row of
// the form Library.Class also its library part up to the full stop. True
// when it changed s.
bool ConvertCode(std::string& s, const Tables& tables);

enum class FormOutcome { kConverted, kAlreadyConverted };

// What a listed file needs, found by reading it before anything is written.
// A file already converted is one that holds version 8c text and no version
// 8 header, or whose bytes are exactly the conversion of its backup's (a
// form without grid text looks the same before and after, and converting it
// again would turn its backup into a copy of converted text).
struct FormPlan {
  bool convert = false;
  LineEnds ends = LineEnds::kCr;
  // The bytes the plan read, where the caller let it keep them, and the
  // status of the file they were read from: their conversion, made ahead,
  // spares the rewrite reading the file again, unless it is no longer that
  // file.
  std::optional<std::string> bytes;
  FileSystem::Status read;
};
// With changes, the same reading also learns which lines the conversion
// would change: changes counts them and keeps the first few. A file that
// holds only part of its backup's conversion, as a power cut can leave it,
// throws CutFileError().
FormPlan PlanForm(const std::string& path, const Tables& tables, FileSystem& fs,
                  FileReport* changes = nullptr);
// The same for a file whose status, and its backup name's (a link not
// followed), were just looked up; the plan keeps its bytes when there are
// at most keep of them.
FormPlan PlanForm(const std::string& path, const FileSystem::Status& status,
                  const FileSystem::Status& backup, size_t keep,
                  const Tables& tables, FileSystem& fs);

// A form's conversion made ahead of its rewrite, from the bytes its plan
// kept, with what the rewrite's report would learn of it.
struct ConvertedForm {
  std::string bytes;
  FileReport report;
};
// With report, the conversion counts the lines changed and, with left,
// notes the lines outside the blocks that still name version 8. Touches no
// file: it may run on another thread.
ConvertedForm ConvertKept(const FormPlan& plan, const Tables& tables,
                          bool report, const Version8Finder* left);

// Writes the conversion of what names.listed reaches into file, its new
// file, as planned and checked: the one made ahead, when given and the file
// is still the one read. Reports as ConvertKept does.
void WriteConversion(NewFile& file, const ReplacementNames& names,
                     const FormPlan& plan, const Tables& tables, FileSystem& fs,
                     FileReport* report = nullptr,
                     const Version8Finder* left = nullptr,
                     std::future<ConvertedForm>* ahead = nullptr);

// The whole rewrite: creates the new file, writes the conversion into it,
// backs the file up and puts the new one in its place. Returns the new
// file's status.
FileSystem::Status RewriteForm(const ReplacementNames& names,
                               const FormPlan& plan, const Tables& tables,
                               FileSystem& fs, FileReport* report = nullptr);

// Converts the file that a project in folder pth lists as fn (backslashes
// separate folders), unless it is already converted: its original becomes
// its on-disk name + ".bak", and the converted text takes its name.
FormOutcome ConvertForm(const std::string& pth, const std::string& fn,
                        const Tables& tables, FileSystem& fs);

// ConvertForm for a listed name already resolved to path on this machine.
FormOutcome ConvertFormAt(const std::string& path, const Tables& tables,
                          FileSystem& fs);

#endif  // ENGINE_FORMCONVERT_H_
