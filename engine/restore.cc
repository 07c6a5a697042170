#include "engine/restore.h"

#include <map>
#include <string_view>
#include <utility>

#include "engine/commands.h"
#include "engine/files.h"
#include "engine/formfile.h"
#include "engine/listedname.h"
#include "engine/listing.h"
#include "engine/paths.h"
#include "engine/projectconvert.h"
#include "engine/restoretext.h"
#include "engine/text.h"

namespace {

using Kind = FileSystem::Kind;

RestoreAction FromLikeness(Likeness likeness) {
  // A file cut short beside its backup, as a power cut during the
  // conversion leaves it, holds part of what the conversion wrote from
  // that backup, which holds the whole original.
  return likeness == Likeness::kOther ? RestoreAction::kChanged
                                      : RestoreAction::kRestore;
}

bool HoldsConvertedReference(std::string_view text, const Tables& tables) {
  for (const ReplacementRow& row : tables.ProjTable) {
    if (FindIgnoreCase(text, row.repl) != std::string_view::npos) return true;
  }
  return false;
}

// The backup goes back by a rename, which would put a folder or a link in
// the file's place, and reads as the original only when it is a file.
void CheckBackup(const RestoreFile& f) {
  if (f.backup.kind == Kind::kDirectory) {
    ThrowFileError("open", f.names.backup, std::errc::is_a_directory);
  }
  if (f.backup.kind != Kind::kRegular) {
    ThrowFileError("open", f.names.backup, std::errc::invalid_argument);
  }
}

// The project file against its backup: the conversion's detection tells an
// original, and the conversion's bytes are the project table applied and
// one more line end.
RestoreAction CompareProjectFile(const RestoreFile& f, const Restoration& r) {
  const std::string text = ReadWholeFile(r.fs, f.names.target);
  const std::string original = ReadWholeFile(r.fs, f.names.backup);
  if (!IsConvertible(original, r.tables)) return RestoreAction::kNoOriginal;
  return FromLikeness(
      CompareBytes(text, ConvertedProjectFile(original, r.tables)));
}

// What the file holds beside its backup, both just looked up. A form's
// backup that passes the already-converted test is no original, and its
// file may hold anything.
RestoreAction Compare(const RestoreFile& f, const Restoration& r,
                      bool project) {
  if (f.status.kind == Kind::kMissing) return RestoreAction::kMissing;
  CheckListed(f.names.target, f.status);
  if (f.backup.kind == Kind::kMissing) return RestoreAction::kNoBackup;
  CheckBackup(f);
  // What a conversion killed between making the backup and giving the new
  // file its name leaves: the original under both names.
  // Its backup name goes, so one id is not enough where a share makes ids
  // up: the two names must be one file in every respect the status tells.
  if (SameFile(f.backup, f.status) && f.status.links >= 2 &&
      f.backup.size == f.status.size &&
      f.backup.modified == f.status.modified) {
    return RestoreAction::kInPlace;
  }
  if (project) return CompareProjectFile(f, r);
  if (LooksConverted(f.names.backup, r.tables, r.fs)) {
    return RestoreAction::kNoOriginal;
  }
  return FromLikeness(
      CompareWithConversion(f.names.target, f.names.backup, r.tables, r.fs));
}

void LookUp(RestoreFile& f, const Restoration& r) {
  f.status = StatFile(r.fs, f.names.target);
  f.backup = StatName(r.fs, f.names.backup);
}

// A listed name that resolves to nothing: whether its backup is there only
// changes the words.
void PlanMissing(RestoreFile& f, ListedNames& listed) {
  f.action = RestoreAction::kMissing;
  try {
    f.backup = listed.Resolve(f.listed + kBackupSuffix).status;
  } catch (const std::filesystem::filesystem_error&) {
    f.backup = FileSystem::Status{};
  }
}

void PlanListed(RestoreFile& f, ListedNames& listed, Restoration& r,
                std::set<std::string>& reached) {
  const ListedPath found = listed.Resolve(f.listed);
  f.names = NamesOf(r.fs, found.path, found.link);
  f.status = found.status;
  if (f.status.kind == Kind::kMissing) return PlanMissing(f, listed);
  f.reached = listed.Reached(found);
  if (!reached.insert(f.reached).second || r.counted.count(f.reached) != 0) {
    f.action = RestoreAction::kRepeat;
    return;
  }
  f.backup = StatName(r.fs, f.names.backup);
  f.action = Compare(f, r, false);
}

RestoreFile PlanListedFile(const std::string& fn, ListedNames& listed,
                           Restoration& r, std::set<std::string>& reached) {
  RestoreFile f;
  f.listed = fn;
  try {
    PlanListed(f, listed, r, reached);
  } catch (const std::filesystem::filesystem_error& e) {
    if (e.code() == std::errc::no_such_file_or_directory &&
        f.names.listed.empty()) {
      PlanMissing(f, listed);
    } else {
      f.action = RestoreAction::kUnreadable;
      f.failure = e;
    }
  }
  return f;
}

// The project file, read whole as the conversion reads it; its text lists
// the files. A project file that cannot be planned stops the command.
std::string PlanProjectFile(RestorePlan& plan, Restoration& r) {
  RestoreFile& f = plan.project;
  f.listed = plan.name;
  f.status = CheckListed(r.fs, plan.pth);
  f.names = NamesOf(r.fs, plan.pth);
  f.reached = ReachedPath(r.fs, f.names);
  std::string text = ReadWholeFile(r.fs, plan.pth);
  if (r.counted.count(f.reached) != 0) {
    f.action = RestoreAction::kRepeat;
    return text;
  }
  f.backup = StatName(r.fs, f.names.backup);
  f.action = Compare(f, r, true);
  // Its original lists what the conversion converted, even where a power
  // cut left the project file itself with less.
  if (f.action == RestoreAction::kRestore) {
    return ReadWholeFile(r.fs, f.names.backup);
  }
  plan.unconverted = f.action == RestoreAction::kNoBackup &&
                     IsConvertible(text, r.tables) &&
                     !HoldsConvertedReference(text, r.tables);
  return text;
}

// The text of the project file q while it stays converted through this
// command: it holds a version 8c reference, has a backup of its own, and
// is not restored by this command.
std::optional<std::string> StayingText(const std::string& q, Restoration& r) {
  RestoreFile f;
  f.status = CheckListed(r.fs, q);
  f.names = NamesOf(r.fs, q);
  std::string text = ReadWholeFile(r.fs, q);
  f.backup = StatName(r.fs, f.names.backup);
  if (!HoldsConvertedReference(text, r.tables) ||
      f.backup.kind != Kind::kRegular) {
    return std::nullopt;
  }
  if (r.batch) {
    f.action = Compare(f, r, true);
    if (f.Restores()) return std::nullopt;
  }
  return text;
}

// Notes in by, under the name of its project file q, each file q lists.
void NoteListedBy(const std::string& q, const std::string& text,
                  const std::string& folder, Restoration& r,
                  std::map<std::string, std::string>& by) {
  ListedNames listed(r.fs, folder);
  for (const std::string& fn : ListedFiles(text)) {
    try {
      const ListedPath found = listed.Resolve(fn);
      if (found.status.kind == Kind::kMissing) continue;
      by.emplace(listed.Reached(found), SplitPath(q).name);
    } catch (const std::filesystem::filesystem_error& e) {
      // What q lists and is not there can be no file of this project.
      if (e.code() != std::errc::no_such_file_or_directory) throw;
    }
  }
}

// The files that the other project files of the project's folder list
// while they stay converted, each by the first that lists it.
std::map<std::string, std::string> ListedByStaying(const RestorePlan& plan,
                                                   Restoration& r) {
  std::map<std::string, std::string> by;
  const std::string folder = plan.folder.empty() ? "." : plan.folder;
  for (const std::string& f : ListFolder(r.fs, folder, EntryKind::kFile)) {
    if (!IsProjectFileName(f)) continue;
    const std::string q = JoinPath(plan.folder, f);
    if (ReachedPath(r.fs, NamesOf(r.fs, q)) == plan.project.reached) continue;
    if (const std::optional<std::string> text = StayingText(q, r)) {
      NoteListedBy(q, *text, plan.folder, r, by);
    }
  }
  return by;
}

// A form that a project file staying converted lists must stay in version
// 8c with it.
void KeepShared(RestorePlan& plan, Restoration& r) {
  bool any = false;
  for (const RestoreFile& f : plan.files) {
    any = any || f.action == RestoreAction::kRestore;
  }
  if (!any) return;
  const std::map<std::string, std::string> by = ListedByStaying(plan, r);
  for (RestoreFile& f : plan.files) {
    const auto it = by.find(f.reached);
    if (f.action != RestoreAction::kRestore || it == by.end()) continue;
    f.action = RestoreAction::kShared;
    f.kept_for = it->second;
  }
}

bool OnOtherDrives(const FileSystem::Status& a, const FileSystem::Status& b) {
  return a.id.Known() && b.id.Known() && a.id.device != b.id.device;
}

void CheckFile(RestoreFile& f, Restoration& r, ReplaceableCheck& check) {
  if (f.failure) throw *f.failure;
  if (!f.Restores()) return;
  f.status = CheckListed(r.fs, f.names.target);
  f.backup = StatName(r.fs, f.names.backup);
  if (f.backup.kind == Kind::kMissing) {
    ThrowFileError("open", f.names.backup,
                   std::errc::no_such_file_or_directory);
  }
  CheckBackup(f);
  check.Check(f.names, f.status, &f.backup);
  if (std::error_code err = r.fs.Access(f.names.backup, false)) {
    ThrowFileError("open", f.names.backup, err);
  }
  // A rename cannot cross from one drive to another: a listed link's
  // backup lies beside the link, a copy where its file was elsewhere.
  if (f.action == RestoreAction::kRestore &&
      OnOtherDrives(f.status, f.backup)) {
    ThrowFileError("rename", f.names.backup, std::errc::cross_device_link);
  }
}

// The file's turn: compared again right before anything is renamed. A
// project file changed since the check stops the restore: its listed files
// went back, and the box must not say the project did.
void RestoreOne(RestoreFile& f, Restoration& r, bool project) {
  if (f.Restores()) {
    LookUp(f, r);
    f.action = Compare(f, r, project);
    if (project && !f.Restores()) {
      ThrowFileError("rename", f.names.target, RestoreChangedError());
    }
  }
  if (f.action == RestoreAction::kRestore) {
    if (std::error_code err = r.fs.Rename(f.names.backup, f.names.target)) {
      ThrowFileError("rename", f.names.target, err);
    }
  } else if (f.action == RestoreAction::kInPlace) {
    if (f.names.leftovers) RemoveLeftovers(r.fs, f.names);
    if (std::error_code err = r.fs.Remove(f.names.backup)) {
      ThrowFileError("remove", f.names.backup, err);
    }
  }
  if (f.Restores()) r.written.paths.push_back(f.names.target);
  f.done = true;
}

}  // namespace

RestorePlan PlanRestore(const std::string& pth, Restoration& r,
                        ConversionHost& host) {
  RestorePlan plan;
  plan.pth = pth;
  PathParts parts = SplitPath(pth);
  plan.folder = std::move(parts.folder);
  plan.name = std::move(parts.name);
  const std::string text = PlanProjectFile(plan, r);
  std::set<std::string> reached = {plan.project.reached};
  ListedNames listed(r.fs, plan.folder);
  for (const std::string& fn : ListedFiles(text)) {
    plan.files.push_back(PlanListedFile(fn, listed, r, reached));
    Breathe(host);
  }
  if (!plan.Restores()) return plan;
  KeepShared(plan, r);
  r.counted.insert(reached.begin(), reached.end());
  return plan;
}

void CheckRestore(RestorePlan& plan, Restoration& r, ConversionHost& host) {
  ReplaceableCheck check(r.fs);
  for (RestoreFile& f : plan.files) {
    CheckFile(f, r, check);
    Breathe(host);
  }
  CheckFile(plan.project, r, check);
  // The project file decides whether its files go back: one saved since
  // the plan (the development environment holding the project) stops the
  // restore before anything is renamed.
  RestoreFile now = plan.project;
  if (now.Restores()) now.action = Compare(now, r, true);
  if (plan.project.Restores() && !now.Restores()) {
    ThrowFileError("rename", plan.pth, RestoreChangedError());
  }
}

void ExecuteRestore(RestorePlan& plan, Restoration& r, ConversionHost& host) {
  host.AddProgress(plan.name);
  for (const RestoreFile& f : plan.files) host.AddProgress(f.listed);
  for (size_t k = 0; k < plan.files.size(); ++k) {
    RestoreFile& f = plan.files[k];
    RestoreOne(f, r, false);
    host.SelectProgress(k + 1);
    host.SetProgressItem(k + 1, f.listed + ItemOutcome(f));
    Breathe(host);
  }
  RestoreOne(plan.project, r, true);
  host.SetProgressItem(0, plan.name + ItemOutcome(plan.project));
  Breathe(host);
}
