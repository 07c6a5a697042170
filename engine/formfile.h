#ifndef ENGINE_FORMFILE_H_
#define ENGINE_FORMFILE_H_

#include <string>
#include <string_view>

#include "engine/filesystem.h"
#include "engine/lines.h"
#include "engine/replacement.h"
#include "engine/report.h"
#include "engine/tables.h"

// A listed form or user-control file as a conversion reads it: once to plan
// it, before anything is written, and once more to convert it. A plan that
// shows changed lines reads it twice where its first chunk misled the guess
// at its line ends, and a file that changed after its plan is planned again.

// What the plan's reading found. A file already converted is one that holds
// version 8c text and no version 8 header, or whose bytes are exactly the
// conversion of its backup's (a form without grid text looks the same
// before and after, and converting it again would turn its backup into a
// copy of converted text).
struct FormPlan {
  bool convert = false;
  LineEnds ends = LineEnds::kCr;
};

// Plans the file at path, whose status (links followed) and backup name's
// status (a link not followed) were just looked up. With changes, the same
// reading learns which lines the conversion would change: changes counts
// them and keeps the first few. A file that holds only part of its backup's
// conversion, as a power cut can leave it, throws CutFileError().
FormPlan PlanForm(const std::string& path, const FileSystem::Status& status,
                  const FileSystem::Status& backup, const Tables& tables,
                  FileSystem& fs, FileReport* changes = nullptr);

// Writes the conversion of source, read to its end and closed, its lines
// ending as ends says, into file, its new file, and returns what that
// reading found of the file by its own texts and line ends (not by its
// backup). The original keeps its name until the new file is complete. A
// watch, when given, learns of every line.
FormPlan WriteConversion(NewFile& file, InputFile& source, LineEnds ends,
                         const Tables& tables, LineWatch* watch = nullptr);

// How a file's bytes stand to what a conversion writes for it.
enum class Likeness {
  kSame,  // what a run stopped after converting it leaves
  // Shorter by whole pages, or with zero bytes where the conversion has
  // others, and otherwise the same: what a power cut leaves of a file whose
  // bytes had not all reached the disk.
  kCut,
  kOther,
};

// The bytes of the file at path against the conversion of the file at
// backup, read in bounded memory.
Likeness CompareWithConversion(const std::string& path,
                               const std::string& backup, const Tables& tables,
                               FileSystem& fs);
// mine against theirs, by the same rule: a project file against the text
// its conversion writes.
Likeness CompareBytes(std::string_view mine, std::string_view theirs);

// The already-converted test alone, by the file's own texts: it holds
// version 8c text and no version 8 header.
bool LooksConverted(const std::string& path, const Tables& tables,
                    FileSystem& fs);

#endif  // ENGINE_FORMFILE_H_
