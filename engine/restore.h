#ifndef ENGINE_RESTORE_H_
#define ENGINE_RESTORE_H_

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/conversionhost.h"
#include "engine/filesystem.h"
#include "engine/listedfile.h"
#include "engine/replacement.h"
#include "engine/tables.h"

// Undoing a conversion from its backups. A file goes back only by a rename
// of its own backup over it, so nothing is ever written: a kill or a failure
// at any point leaves every name with its converted or its original bytes,
// and an edit made since the conversion is never replaced. The project file
// goes back last, so that a restore stopped half way still reads as a
// converted project, and a second restore finishes it.

// What becomes of one file of the project.
enum class RestoreAction {
  kRestore,     // it holds its backup's conversion: the backup goes back
  kInPlace,     // its backup is the file itself: only the backup's name goes
  kChanged,     // it holds anything else: kept, and its backup with it
  kNoOriginal,  // its backup passes the already-converted test: kept
  kNoBackup,
  kMissing,
  kRepeat,      // reached earlier in this command
  kShared,      // also listed by a project file that stays converted
  kUnreadable,  // it or its backup could not be read: the check stops
};

// The project file or one listed name, resolved once, and what the plan
// found of it and its backup.
struct RestoreFile {
  std::string listed;  // as the project lists it; the project file's name
  ReplacementNames names;
  std::string reached;        // names.target once every link is followed
  FileSystem::Status status;  // of names.target, links followed
  FileSystem::Status backup;  // of names.backup, a link not followed
  RestoreAction action = RestoreAction::kNoBackup;
  std::string kept_for;  // kShared: the project file that stays converted
  std::optional<std::filesystem::filesystem_error> failure;  // kUnreadable
  bool done = false;  // its turn came, and action says what it did

  bool Restores() const {
    return action == RestoreAction::kRestore ||
           action == RestoreAction::kInPlace;
  }
};

// One project as the restore's plan found it. The project is restored only
// when its project file is to restore: a project file in version 8c beside
// forms in version 8 is one the conversion could not finish.
struct RestorePlan {
  std::string pth, folder, name;
  RestoreFile project;
  std::vector<RestoreFile> files;  // in the list's order
  // The project file has no backup and is still to convert: a conversion
  // stopped before it, as the project file goes last. Its listed files go
  // back alone, and the project is in version 8 again, whole.
  bool unconverted = false;

  bool Restores() const;
};

// Whether the project file goes back, or the conversion never reached it
// and one of its listed files goes back.
inline bool RestorePlan::Restores() const {
  if (project.Restores()) return true;
  if (!unconverted) return false;
  for (const RestoreFile& f : files) {
    if (f.Restores()) return true;
  }
  return false;
}

// What the steps of one command's restores share.
struct Restoration {
  Restoration(const Tables& tables_in, FileSystem& fs_in, bool batch_in)
      : tables(tables_in), fs(fs_in), batch(batch_in) {}

  const Tables& tables;
  FileSystem& fs;
  // A batch restores every project whose project file is to restore, so a
  // project file of the same folder stays converted only when its own is
  // not.
  bool batch;
  // The files of the projects to restore, links followed: a file reached
  // again, in the same project or a later one, is a repeat.
  std::set<std::string> counted;
  // The names renamed or removed, to flush when the command ends.
  WrittenFiles written;
};

// Plans the restore of the project file pth, by reading alone; the window
// breathes after each file. A project file that is missing, a folder, or
// that cannot be read, or whose backup cannot be, throws. A listed file
// that cannot be read is kept in the plan, to stop its check.
RestorePlan PlanRestore(const std::string& pth, Restoration& r,
                        ConversionHost& host);

// Before the first rename, everything that will be renamed is looked up
// again and checked by the conversion's own rules for files it writes.
// Throws at the first that would stop, with nothing changed.
void CheckRestore(RestorePlan& plan, Restoration& r, ConversionHost& host);

// Puts the project's name and every listed name in the progress list, then
// restores the listed files in that order and the project file last, each
// compared again right before its rename, so that an edit saved since the
// plan is kept. Each item gains its outcome.
void ExecuteRestore(RestorePlan& plan, Restoration& r, ConversionHost& host);

#endif  // ENGINE_RESTORE_H_
