#ifndef ENGINE_RESTORECOMMAND_H_
#define ENGINE_RESTORECOMMAND_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/commands.h"
#include "engine/commandsession.h"
#include "engine/conversionhost.h"
#include "engine/filesystem.h"
#include "engine/restore.h"
#include "engine/restoretext.h"
#include "engine/tables.h"

// The restore's two commands, without a toolkit, beside the conversion's:
// the windows' menu items call the last two.

// Restores the project file pth and the files it lists from their backups:
// plans by reading alone, says so when there is nothing to restore, asks,
// checks, restores, and reports; the window is disabled from the first
// reading to the end. Throws at the first failing file operation, with
// what was renamed on disk; plan learns what was found and done.
void RestoreProject(const std::string& pth, const Tables& tables,
                    ConversionHost& host, FileSystem& fs, RestorePlan& plan);

// The batch: every project file of the walk is planned first, and one
// question asked; then each project whose project file is to restore is
// checked and restored in its own folder, with its own progress list, a
// file that projects share restored with the first. Returns how many
// projects had a file restored; nothing when there was nothing to restore
// (said in a box) or the question was declined. Throws at the first
// failure, the projects before it restored; projects learns what was found
// and done.
std::optional<uint64_t> RestoreSubfolderProjects(
    const FolderView& dir, FileListing& files, const Tables& tables,
    ConversionHost& host, FileSystem& fs, std::vector<BatchProject>& projects);

// "Restore Project from Backups...": the open-file dialog of the
// conversion, then RestoreProject in the project's folder, and a failure's
// box with what went back before it.
void RestoreChosenProject(CommandSession& session);

// "Restore All Projects in the Selected Folder": RestoreSubfolderProjects
// over what the folder list shows, then the "Done" box, or the failure that
// stopped it, each with details per project.
void RestoreBatchFolder(CommandSession& session);

#endif  // ENGINE_RESTORECOMMAND_H_
