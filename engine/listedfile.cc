#include "engine/listedfile.h"

#include <optional>
#include <system_error>
#include <utility>

#include "engine/files.h"
#include "engine/formfile.h"

bool WrittenFiles::Has(const FileSystem::Status& status) const {
  return status.id.Known() && files.count(status.id) != 0;
}

void WrittenFiles::Found(const FileSystem::Status& status) {
  if (status.id.Known()) files.insert(status.id);
}

void WrittenFiles::Wrote(const std::string& path,
                         const FileSystem::Status& status) {
  Found(status);
  paths.push_back(path);
}

void FlushWritten(FileSystem& fs, WrittenFiles& written) {
  if (written.paths.empty()) return;
  std::string unflushed;
  if (std::error_code err = fs.Flush(written.paths, &unflushed)) {
    ThrowFileError("flush", unflushed, err);
  }
  written.paths.clear();
}

std::string ReachedPath(FileSystem& fs, const ReplacementNames& names) {
  std::string reached;
  if (std::error_code err = fs.ResolveLinks(names.target, &reached)) {
    ThrowFileError("open", names.target, err);
  }
  return reached;
}

namespace {

void Plan(PlannedFile& file, ListedNames& listed, Conversion& c,
          std::set<std::string>* reached) {
  const ListedPath found = listed.Resolve(file.listed);
  file.path = found.path;
  file.read = CheckListed(found.path, found.status);
  file.names = NamesOf(c.fs, found.path, found.link);
  file.reached = listed.Reached(found);
  const bool again =
      reached != nullptr && !reached->insert(file.reached).second;
  if (again || c.written.Has(file.read)) {
    file.report.action = FileAction::kRepeat;
    return;
  }
  file.backup = StatName(c.fs, file.names.backup);
  const FormPlan plan = PlanForm(file.path, file.read, file.backup, c.tables,
                                 c.fs, c.samples ? &file.report : nullptr);
  file.ends = plan.ends;
  file.report.action =
      plan.convert ? FileAction::kRewrite : FileAction::kAlreadyConverted;
}

// Whether now is the status of the file the plan read: as long, last
// changed at the same time, and the same file where both ids are known.
bool Unchanged(const FileSystem::Status& now, const FileSystem::Status& read) {
  const bool ids = now.id.Known() && read.id.Known();
  return (!ids || SameFile(now, read)) && now.size == read.size &&
         now.modified == read.modified;
}

enum class Rewrite { kDone, kRepeat, kChanged };

// Writes the conversion of the file into its new file, and gives the new
// file the listed name if the file is still the one the plan read and its
// bytes still need converting as planned: the plan alone compared it with
// its backup's conversion. A file this command wrote or found converted
// since the plan (reached by a name the list gave back) is a repeat.
Rewrite RewriteAsPlanned(const PlannedFile& file, Conversion& c,
                         FileReport& done) {
  // What a killed run left goes before the original is opened: on Windows
  // no name of a file open for reading can be removed, and a backup's
  // temporary name is one of its names.
  if (file.names.leftovers) RemoveLeftovers(c.fs, file.names);
  InputFile source(c.fs, file.names.target);
  const FileSystem::Status original = source.Status();
  if (c.written.Has(original)) return Rewrite::kRepeat;
  NewFile out = CreateNewFile(c.fs, file.names, original);
  FileReport found;
  std::optional<LineWatch> watch;
  if (c.left != nullptr) watch.emplace(found, false, c.left);
  const FormPlan read = WriteConversion(out, source, file.ends, c.tables,
                                        watch ? &*watch : nullptr);
  if (!Unchanged(original, file.read) || !read.convert ||
      read.ends != file.ends) {
    return Rewrite::kChanged;
  }
  c.written.Wrote(file.path, PutInPlace(c.fs, file.names, out));
  TakeFindings(done, std::move(found));
  return Rewrite::kDone;
}

}  // namespace

PlannedFile PlanListedFile(const std::string& fn, ListedNames& listed,
                           Conversion& c, std::set<std::string>* reached) {
  PlannedFile file;
  file.listed = fn;
  file.report.name = fn;
  try {
    Plan(file, listed, c, reached);
  } catch (const std::filesystem::filesystem_error& e) {
    file.failure = e;
    if (e.code() == std::errc::no_such_file_or_directory) {
      file.report.action = FileAction::kMissing;
    } else {
      file.report.action = FileAction::kUnreadable;
      file.report.why = e.code().message();
    }
  }
  if (!file.WillRewrite()) {
    file.report.changed_lines = 0;
    file.report.samples.clear();
  }
  return file;
}

// Only a file that will be written must be writable, so a read-only form
// already converted, or one a team converted once for everybody, lets its
// project through.
void CheckListedFile(PlannedFile& file, Conversion& c, ReplaceableCheck& check,
                     bool again) {
  if (file.failure) throw *file.failure;
  if (!again) {
    if (file.WillRewrite()) check.Check(file.names, file.read, &file.backup);
    return;
  }
  const FileSystem::Status now = CheckListed(c.fs, file.path);
  if (file.WillRewrite()) check.Check(file.names, now);
}

FileReport ConvertListedFile(PlannedFile& file, const std::string& pth,
                             Conversion& c) {
  FileReport done;
  done.name = file.listed;
  for (int turn = 0;; ++turn) {
    done.action = file.report.action;
    if (done.action == FileAction::kRepeat) return done;
    if (done.action == FileAction::kAlreadyConverted) {
      const FileSystem::Status now = StatFile(c.fs, file.path);
      if (c.written.Has(now)) {
        done.action = FileAction::kRepeat;
      } else {
        c.written.Found(now);
      }
      return done;
    }
    const Rewrite rewrite = RewriteAsPlanned(file, c, done);
    if (rewrite == Rewrite::kRepeat) done.action = FileAction::kRepeat;
    if (rewrite != Rewrite::kChanged) return done;
    // Replaced by its conversion, edited to other line ends: converting
    // what the check found could convert a file twice, or make converted
    // text its backup. A file that keeps changing is left to the user.
    if (turn > 0) ThrowFileError("convert", file.path, ChangedFileError());
    file = PlanInTurn(file.listed, pth, c, nullptr);
  }
}

PlannedFile PlanInTurn(const std::string& fn, const std::string& pth,
                       Conversion& c, std::set<std::string>* reached) {
  Conversion quiet = c;
  quiet.samples = false;
  ListedNames listed(c.fs, pth);
  PlannedFile file = PlanListedFile(fn, listed, quiet, reached);
  ReplaceableCheck check(c.fs);
  CheckListedFile(file, c, check, false);
  return file;
}

FormOutcome ConvertForm(const std::string& pth, const std::string& fn,
                        const Tables& tables, FileSystem& fs) {
  WrittenFiles written;
  Conversion c{tables, fs, written};
  PlannedFile file = PlanInTurn(fn, pth, c, nullptr);
  const FileReport done = ConvertListedFile(file, pth, c);
  return done.action == FileAction::kRewrite ? FormOutcome::kConverted
                                             : FormOutcome::kAlreadyConverted;
}
