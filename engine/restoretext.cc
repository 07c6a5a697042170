#include "engine/restoretext.h"

#include "engine/details.h"
#include "engine/replacement.h"

namespace {

constexpr char kParagraph[] = "\r\n\r\n";
constexpr char kIndent[] = "    ";

std::string BackupOf(const RestoreFile& f) { return f.listed + kBackupSuffix; }

std::string Why(const RestoreFile& f) {
  const std::string message = f.failure ? f.failure->code().message() : "";
  if (f.failure && f.failure->path1().string() == f.names.backup) {
    return BackupOf(f) + " cannot be used (" + message + ")";
  }
  return "cannot be read (" + message + ")";
}

// Why a file that holds converted text keeps it; empty for the others.
std::string StaysConverted(const RestoreFile& f) {
  switch (f.action) {
    case RestoreAction::kChanged:
      return "changed since its conversion";
    case RestoreAction::kShared:
      return "also listed by " + f.kept_for + ", which stays converted";
    case RestoreAction::kNoOriginal:
      return BackupOf(f) + " holds converted text, no original";
    default:
      return std::string();
  }
}

// What becomes of a file that its restore does not give back.
std::string Kept(const RestoreFile& f) {
  switch (f.action) {
    case RestoreAction::kChanged:
    case RestoreAction::kShared:
      return StaysConverted(f) + ", left as it is; its original stays in " +
             BackupOf(f);
    case RestoreAction::kNoOriginal:
      return StaysConverted(f) + "; both left as they are";
    case RestoreAction::kNoBackup:
      return "no backup, left as it is";
    case RestoreAction::kMissing:
      if (f.backup.kind == FileSystem::Kind::kMissing) return "missing";
      return "missing; " + BackupOf(f) + " stays";
    case RestoreAction::kRepeat:
      return "listed again";
    case RestoreAction::kUnreadable:
      return Why(f);
    default:
      return std::string();
  }
}

// What the plan found of a file: restoring tells whether its project goes
// back.
std::string Planned(const RestoreFile& f, bool restoring) {
  if (f.action == RestoreAction::kRestore) {
    return restoring ? "will be restored from " + BackupOf(f)
                     : "converted, its original in " + BackupOf(f) +
                           "; left with its project file";
  }
  if (f.action == RestoreAction::kInPlace) {
    return restoring ? "will be restored: its original is in place, and " +
                           BackupOf(f) + " goes"
                     : "its original is in place beside " + BackupOf(f) +
                           "; left with its project file";
  }
  return Kept(f);
}

std::string Done(const RestoreFile& f) {
  if (f.action == RestoreAction::kRestore) {
    return "restored from " + BackupOf(f);
  }
  if (f.action == RestoreAction::kInPlace) {
    return "restored: its original was in place, and " + BackupOf(f) +
           " is gone";
  }
  return Kept(f);
}

std::string WhyNothing(const RestorePlan& plan) {
  switch (plan.project.action) {
    case RestoreAction::kChanged:
      return "the project file changed since its conversion";
    case RestoreAction::kNoBackup:
      return "the project file has no backup";
    case RestoreAction::kNoOriginal:
      return "the project file's backup is converted already, no original";
    case RestoreAction::kRepeat:
      return "the project file was counted already, under another name";
    default:
      return "the project file cannot be restored";
  }
}

std::string Count(uint64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The files that stay converted, each line starting with prefix.
void AddStaying(const RestorePlan& plan, const std::string& prefix,
                DetailsText& out) {
  for (const RestoreFile& f : plan.files) {
    const std::string why = StaysConverted(f);
    if (!why.empty()) out.Add(prefix + f.listed + ": " + why);
  }
}

bool AnyStaying(const RestorePlan& plan) {
  for (const RestoreFile& f : plan.files) {
    if (!StaysConverted(f).empty()) return true;
  }
  return false;
}

std::string FileLine(const RestorePlan& plan, const RestoreFile& f,
                     const std::string& prefix, bool done) {
  return prefix + f.listed + ": " +
         (done ? Done(f) : Planned(f, plan.Restores()));
}

// The project file first, as the progress list shows it, then the files.
void AddFiles(const RestorePlan& plan, const std::string& prefix, bool done,
              DetailsText& out) {
  out.Add(FileLine(plan, plan.project, prefix, done));
  for (const RestoreFile& f : plan.files) {
    out.Add(FileLine(plan, f, prefix, done));
  }
}

void AddStayingSection(const std::vector<BatchProject>& projects,
                       DetailsText& out) {
  bool any = false;
  for (const BatchProject& p : projects) any = any || AnyStaying(p.plan);
  if (!any) return;
  out.Add("These files stay converted:");
  for (const BatchProject& p : projects) {
    AddStaying(p.plan, kIndent + p.name + ": ", out);
  }
  out.Add("");
}

std::string Summary(const RestorePlan& plan) {
  if (!plan.Restores()) return "nothing to restore: " + WhyNothing(plan);
  return Count(FilesRestored(plan), "file restored", "files restored");
}

const char kAgain[] =
    "The project file goes back last and is still converted: restore the "
    "project again to finish.";
const char kAgainUnconverted[] =
    "The project file was never converted: restore the project again to "
    "finish.";

const char* Again(const RestorePlan& plan) {
  return plan.unconverted ? kAgainUnconverted : kAgain;
}

}  // namespace

std::string ItemOutcome(const RestoreFile& f) {
  switch (f.action) {
    case RestoreAction::kRestore:
    case RestoreAction::kInPlace:
      return "... restored";
    case RestoreAction::kChanged:
      return "... changed since conversion, kept";
    case RestoreAction::kNoBackup:
      return "... no backup";
    case RestoreAction::kMissing:
      return f.backup.kind == FileSystem::Kind::kMissing
                 ? "... missing"
                 : "... missing, backup kept";
    case RestoreAction::kRepeat:
      return "... listed again";
    case RestoreAction::kNoOriginal:
      return "... backup is no original, kept";
    case RestoreAction::kShared:
      return "... also listed by " + f.kept_for + ", kept";
    case RestoreAction::kUnreadable:
      break;
  }
  return "... cannot be read";
}

std::string NothingToRestoreText(const std::string& name) {
  return "Couldn't find any files to restore in '" + name + "'." + kParagraph +
         "Nothing was changed.";
}

namespace {

std::string ReadyParagraphs(const std::string& first) {
  return first + kParagraph +
         "Each converted file will be replaced by its '.bak' backup, the file "
         "as it was before the conversion. Files changed since their "
         "conversion are left as they are." +
         kParagraph + "Press OK to proceed or Cancel if you changed your mind.";
}

}  // namespace

std::string ReadyToRestoreText(const std::string& name) {
  return ReadyParagraphs("Ready to restore '" + name + "' from its backups.");
}

std::string RestoredText(const std::string& name) {
  return "Project '" + name + "' has been restored from its backups.";
}

namespace {

// What stays converted, then heading and every file: what will be done, or
// with done, what was.
std::string FilesDetails(const RestorePlan& plan, const char* heading,
                         bool done) {
  DetailsText out;
  if (AnyStaying(plan)) {
    out.Add("These files stay converted:");
    AddStaying(plan, kIndent, out);
    out.Add("");
  }
  out.Add(heading);
  AddFiles(plan, "", done, out);
  return out.Text();
}

}  // namespace

std::string RestorePlanDetails(const RestorePlan& plan) {
  return FilesDetails(plan, "What OK will do:", false);
}

std::string NothingToRestoreDetails(const RestorePlan& plan) {
  DetailsText out;
  out.Add("Nothing of the project is restored: " + WhyNothing(plan) + ".");
  AddFiles(plan, "", false, out);
  return out.Text();
}

std::string RestoredDetails(const RestorePlan& plan) {
  return FilesDetails(plan, "What was done:", true);
}

std::string RestoreFailureDetails(const RestorePlan& plan) {
  if (FilesRestored(plan) == 0) return std::string();
  DetailsText out;
  out.Add("Restored before the error:");
  for (const RestoreFile& f : plan.files) {
    if (f.done && f.Restores()) out.Add(f.listed + ": " + Done(f));
  }
  if (plan.project.done && plan.project.Restores()) {
    out.Add(plan.project.listed + ": " + Done(plan.project));
  } else {
    out.Add("");
    out.Add(Again(plan));
  }
  return out.Text();
}

std::string NothingToRestoreInFolderText(const std::string& folder) {
  return "Couldn't find any files to restore in the subfolders of '" + folder +
         "'." + kParagraph + "Nothing was changed.";
}

std::string ReadyToRestoreFolderText(const std::string& folder) {
  return ReadyParagraphs(
      "Ready to restore every project in the subfolders of '" + folder +
      "' from their backups.");
}

std::string DoneRestoringText(uint64_t counter) {
  return "Done restoring " + std::to_string(counter) + " projects.";
}

std::string BatchPlanDetails(const std::vector<BatchProject>& projects) {
  DetailsText out;
  AddStayingSection(projects, out);
  out.Add("What OK will do:");
  for (const BatchProject& p : projects) {
    if (!p.plan.Restores()) {
      out.Add(p.name + ": " + Summary(p.plan));
      continue;
    }
    out.Add(p.name + ":");
    AddFiles(p.plan, kIndent, false, out);
  }
  return out.Text();
}

std::string BatchNothingDetails(const std::vector<BatchProject>& projects) {
  DetailsText out;
  for (const BatchProject& p : projects) {
    out.Add(p.name + ": " + Summary(p.plan));
  }
  return out.Text();
}

std::string BatchRestoredDetails(const std::vector<BatchProject>& projects) {
  DetailsText out;
  AddStayingSection(projects, out);
  out.Add("What was done:");
  for (const BatchProject& p : projects) {
    out.Add(p.name + ": " + Summary(p.plan));
    if (p.plan.Restores()) AddFiles(p.plan, kIndent, true, out);
  }
  return out.Text();
}

std::string BatchFailureDetails(const std::vector<BatchProject>& projects) {
  DetailsText out;
  bool any = false;
  const RestorePlan* stopped = nullptr;
  for (const BatchProject& p : projects) {
    const uint64_t n = FilesRestored(p.plan);
    if (n == 0) continue;
    if (!any) out.Add("Restored before the error:");
    any = true;
    const bool whole = p.plan.project.done &&
                       (p.plan.project.Restores() || p.plan.unconverted);
    out.Add(p.name + ": " + Count(n, "file restored", "files restored") +
            (whole ? "" : ", then the error"));
    if (!whole) stopped = &p.plan;
  }
  if (stopped == nullptr) return out.Text();
  out.Add("");
  out.Add(Again(*stopped));
  return out.Text();
}

uint64_t FilesRestored(const RestorePlan& plan) {
  uint64_t n = plan.project.done && plan.project.Restores() ? 1 : 0;
  for (const RestoreFile& f : plan.files) n += f.done && f.Restores() ? 1 : 0;
  return n;
}
