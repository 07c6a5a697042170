#ifndef ENGINE_RESTORETEXT_H_
#define ENGINE_RESTORETEXT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "engine/restore.h"

// The words of the restore: its progress items, its boxes' texts (their
// paragraphs set off by a blank line, CR LF) and their details (lines ended
// by "\n", bounded as the conversion's are). A file is named as its
// project lists it, and its backup as that name with ".bak" added.

// What a progress item gains once the file's turn is over: "... restored".
std::string ItemOutcome(const RestoreFile& f);

// The single-project command's boxes.
std::string NothingToRestoreText(const std::string& name);
std::string ReadyToRestoreText(const std::string& name);
std::string RestoredText(const std::string& name);

// The question's details: what OK will do to each file, after the files
// that stay converted where there are any.
std::string RestorePlanDetails(const RestorePlan& plan);
// The nothing-to-restore box's: why, for the project and each file.
std::string NothingToRestoreDetails(const RestorePlan& plan);
// The last box's: what was restored, what was kept and why.
std::string RestoredDetails(const RestorePlan& plan);
// The error box's, once something was renamed: what was, and that a
// second restore finishes; empty when nothing was.
std::string RestoreFailureDetails(const RestorePlan& plan);

// One project of a batch, named by its place in the folder.
struct BatchProject {
  std::string name;
  RestorePlan plan;
};

// The batch command's boxes; folder in full.
std::string NothingToRestoreInFolderText(const std::string& folder);
std::string ReadyToRestoreFolderText(const std::string& folder);
std::string DoneRestoringText(uint64_t counter);

// The same details for every project of a batch.
std::string BatchPlanDetails(const std::vector<BatchProject>& projects);
std::string BatchNothingDetails(const std::vector<BatchProject>& projects);
std::string BatchRestoredDetails(const std::vector<BatchProject>& projects);
std::string BatchFailureDetails(const std::vector<BatchProject>& projects);

// How many files of the project its restore gave back, the project file's
// among them.
uint64_t FilesRestored(const RestorePlan& plan);

#endif  // ENGINE_RESTORETEXT_H_
