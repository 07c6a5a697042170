#include "engine/projectconvert.h"

#include <chrono>
#include <exception>
#include <filesystem>
#include <future>
#include <map>
#include <optional>

#include "engine/details.h"
#include "engine/files.h"
#include "engine/formconvert.h"
#include "engine/lines.h"
#include "engine/listedname.h"
#include "engine/paths.h"
#include "engine/placesleft.h"
#include "engine/replacement.h"
#include "engine/text.h"
#include "engine/version8.h"
#include "engine/worker.h"

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr size_t kKeptBytes = 2 << 20;
// How many new files are written ahead of the one that takes its name.
constexpr size_t kWrittenAhead = 16;

// Adds to names every entry key + name, where name runs from after the key
// up to and including the next ext.
void AddEntries(std::string_view text, std::string_view key,
                std::string_view ext, std::vector<std::string>& names) {
  size_t t = FindIgnoreCase(text, key);
  while (t != std::string_view::npos) {
    const size_t start = t + key.size();
    if (start >= text.size() || text[start] != '"') {
      const size_t e = FindIgnoreCase(text, ext, t);
      if (e != std::string_view::npos) {
        names.emplace_back(text.substr(start, e + ext.size() - start));
      }
    }
    t = FindIgnoreCase(text, key, t + 1);
  }
}

bool IsConvertible(std::string_view text, const Tables& tables) {
  for (const ReplacementRow& row : tables.ProjTable) {
    if (FindIgnoreCase(text, row.find) != std::string_view::npos) return true;
  }
  return false;
}

// An unknown id is no file's: it is neither recorded nor found.
bool WasWritten(const WrittenFiles& written, const FileSystem::Status& status) {
  return status.id.Known() && written.files.count(status.id) != 0;
}

void RecordId(WrittenFiles& written, const FileSystem::Status& status) {
  if (status.id.Known()) written.files.insert(status.id);
}

// The names files have once every link is followed: two names that reach
// one path are one file. Most listed files are no links and share a few
// folders, so a folder is resolved once and the file's own name is added,
// where that name is spelt as on disk.
class CanonicalNames {
 public:
  explicit CanonicalNames(FileSystem& fs) : fs_(fs) {}

  // names describe the regular file at names.listed.
  std::string Of(const ReplacementNames& names) {
    if (!kResolvedNamesAsOnDisk || names.target != names.listed) {
      return Resolved(names.target);
    }
    const auto [folder, name] = SplitPath(names.listed);
    auto known = folders_.find(folder);
    if (known == folders_.end()) {
      known = folders_.emplace(folder, Resolved(folder.empty() ? "." : folder))
                  .first;
    }
    return JoinPath(known->second, name);
  }

 private:
  std::string Resolved(const std::string& path) {
    std::string resolved;
    if (std::error_code err = fs_.ResolveLinks(path, &resolved)) {
      ThrowFileError("open", path, err);
    }
    return resolved;
  }

  FileSystem& fs_;
  std::map<std::string, std::string> folders_;
};

// One listed file as the check before writing found it.
struct ListedFile {
  std::string path;  // where the listed name resolved
  ReplacementNames names;
  bool repeat = false;
  FormPlan plan;
  std::future<ConvertedForm> ahead;  // its conversion, where begun ahead
  std::optional<NewFile> rewrite;    // its new file, once written
  std::future<void> writeback;       // the start of its way to the disk
  std::exception_ptr failure;        // of its writing ahead, for its turn
  FileReport found;                  // what writing it learnt for the report
};

// Keeps the window disabled while files are written, and enables it again
// however the conversion ends.
class WindowDisabled {
 public:
  explicit WindowDisabled(ConversionHost& host) : host_(host) {
    host_.SetWindowEnabled(false);
  }
  WindowDisabled(const WindowDisabled&) = delete;
  WindowDisabled& operator=(const WindowDisabled&) = delete;
  ~WindowDisabled() { host_.SetWindowEnabled(true); }

 private:
  ConversionHost& host_;
};

}  // namespace

std::vector<std::string> ListedFiles(std::string_view project_text) {
  std::vector<std::string> names;
  AddEntries(project_text, "Form=", ".frm", names);
  AddEntries(project_text, "UserControl=", ".ctl", names);
  return names;
}

void FlushWritten(FileSystem& fs, WrittenFiles& written) {
  if (written.paths.empty()) return;
  std::string failed;
  if (std::error_code err = fs.Flush(written.paths, &failed)) {
    ThrowFileError("flush", failed, err);
  }
  written.paths.clear();
}

namespace {

FileReport FileNamed(const std::string& name,
                     FileAction action = FileAction::kRewrite) {
  FileReport file;
  file.name = name;
  file.action = action;
  return file;
}

// What the project table changed in the project text: its rows hold no line
// end, so the lines of before and after pair up one to one.
void WatchProjectText(std::string_view before, std::string_view after,
                      bool samples, FileReport& report) {
  LineWatch watch(report, samples, nullptr);
  while (!before.empty() || !after.empty()) {
    const std::string_view was = TakeLine(before);
    const std::string_view now = TakeLine(after);
    watch.Read(was);
    watch.Wrote(now, was != now, false);
  }
}

// What OK will do to one listed file, found by reading alone.
void PlanFile(ListedNames& listed, CanonicalNames& canonical,
              std::set<std::string>& reached, const WrittenFiles& written,
              const Tables& tables, FileSystem& fs, FileReport& file) {
  ListedPath found;
  try {
    found = listed.Resolve(file.name);
  } catch (const std::filesystem::filesystem_error& e) {
    if (e.code() != std::errc::no_such_file_or_directory) throw;
  }
  if (found.status.kind == FileSystem::Kind::kMissing) {
    file.action = FileAction::kMissing;
    return;
  }
  const FileSystem::Status status = CheckListed(found.path, found.status);
  const bool again =
      !reached.insert(canonical.Of(NamesOf(fs, found.path, found.link))).second;
  if (again || WasWritten(written, status)) {
    file.action = FileAction::kRepeat;
  } else if (!PlanForm(found.path, tables, fs, &file).convert) {
    file.action = FileAction::kAlreadyConverted;
  }
}

// The plan shows every listed file, those it could not read too, with the
// reason: the check after OK is what stops the project for them.
void PlanListed(const std::string& folder,
                const std::vector<std::string>& names,
                CanonicalNames& canonical, std::set<std::string> reached,
                const WrittenFiles& written, const Tables& tables,
                FileSystem& fs, ProjectReport& plan) {
  ListedNames listed(fs, folder);
  for (const std::string& fn : names) {
    FileReport& file = plan.files.emplace_back();
    file.name = fn;
    try {
      PlanFile(listed, canonical, reached, written, tables, fs, file);
    } catch (const std::filesystem::filesystem_error& e) {
      file.action = FileAction::kUnreadable;
      file.why = e.code().message();
    }
    if (file.action != FileAction::kRewrite) {
      file.changed_lines = 0;
      file.samples.clear();
    }
  }
}

// The places the conversion leaves for the user: in the project text as
// written, and in the files of the entries it does not convert.
void NoteLeftOver(const std::string& folder, const std::string& text,
                  const Tables& tables, FileSystem& fs, ProjectReport& report) {
  NotePlaces(text, Version8Finder::Libraries(tables), report.files.front());
  const Version8Finder everything = Version8Finder::Everything(tables);
  for (const std::string& fn : OtherEntries(text)) {
    report.files.push_back(ScanOtherEntry(folder, fn, everything, fs));
  }
}

void Record(WrittenFiles& written, const std::string& path,
            const FileSystem::Status& status) {
  RecordId(written, status);
  written.paths.push_back(path);
}

void ConvertChecked(const std::string& pth, bool interactive,
                    const Tables& tables, ConversionHost& host, FileSystem& fs,
                    WrittenFiles& written, ProjectReport* report) {
  host.ClearProgress();
  const auto [folder, name] = SplitPath(pth);

  std::string text = ReadWholeFile(fs, pth);
  const bool convertible = IsConvertible(text, tables);
  if (report != nullptr) report->convertible = convertible;
  if (!convertible) {
    host.ShowInfo("Couldn't find any convertible controls in '" + name + "'." +
                      std::string(kCrLf) + std::string(kCrLf) +
                      "Conversion cancelled.",
                  std::string());
    return;
  }
  const LineEnds ends = LineEndsOf(text.find('\r') != std::string::npos,
                                   text.find('\n') != std::string::npos);
  // The report compares the project's lines before and after.
  const std::string original = report != nullptr ? text : std::string();
  ApplyTable(text, tables.ProjTable);
  const std::vector<std::string> names = ListedFiles(text);
  if (report != nullptr) report->files.push_back(FileNamed(name));
  CanonicalNames canonical(fs);
  std::string plan;
  if (interactive) {
    ProjectReport planned;
    planned.files.push_back(FileNamed(name));
    WatchProjectText(original, text, true, planned.files.back());
    PlanListed(folder, names, canonical, {canonical.Of(NamesOf(fs, pth))},
               written, tables, fs, planned);
    plan = PlanDetails(planned);
  }
  if (interactive &&
      !host.AskOkCancel(
          "Ready to convert '" + name + "' from Version 8 to 8c." +
              std::string(kCrLf) + std::string(kCrLf) +
              "The original files will be backed up in files with an "
              "additional "
              "'.bak' extension." +
              std::string(kCrLf) + std::string(kCrLf) +
              "Press OK to proceed or Cancel if you changed your mind.",
          plan)) {
    return;
  }

  // Everything that will be written is checked first, and what each listed
  // file needs is found by reading it: only a file that will be written
  // must be writable, so a read-only form already converted, or one a team
  // converted once for everybody, lets its project through.
  ReplaceableCheck replaceable(fs);
  const FileSystem::Status project_status = CheckListed(fs, pth);
  ReplacementNames project = NamesOf(fs, pth);
  replaceable.Check(project, project_status);
  // A name reached a second time in this project (listed twice, spelt
  // otherwise, through a link, the project file itself) is the same file
  // path once every link is followed; a file an earlier project of the batch
  // wrote or left alone is known by its identity.
  std::set<std::string> reached = {canonical.Of(project)};
  const Version8Finder libraries = Version8Finder::Libraries(tables);
  const Version8Finder* left = report != nullptr ? &libraries : nullptr;
  // Jobs of the worker refer to the files: they never move, and the
  // worker settles before they go.
  std::vector<ListedFile> files;
  files.reserve(names.size());
  Worker& worker = written.worker;
  const Worker::Scope settled(worker);
  ListedNames listed(fs, folder);
  // The check's reading of each file is kept for its rewrite, up to a bound
  // that most projects stay under, so most files are read once, and
  // converted on the second core while the first goes on checking and
  // writing. Beyond the bound files are read again: a batch's memory does
  // not grow with its largest project.
  size_t keep = kKeptBytes;
  for (const std::string& fn : names) {
    ListedFile& file = files.emplace_back();
    const ListedPath found = listed.Resolve(fn);
    file.path = found.path;
    const FileSystem::Status status = CheckListed(found.path, found.status);
    file.names = NamesOf(fs, found.path, found.link);
    const bool again = !reached.insert(canonical.Of(file.names)).second;
    file.repeat = again || WasWritten(written, status);
    if (file.repeat) continue;
    const FileSystem::Status backup = replaceable.Lookup(file.names.backup);
    file.plan = PlanForm(file.path, status, backup, keep, tables, fs);
    if (!file.plan.convert) {
      file.plan.bytes.reset();  // no rewrite needs them
      continue;
    }
    replaceable.Check(file.names, status, &backup);
    if (file.plan.bytes) {
      keep -= file.plan.bytes->size();
      file.ahead = worker.Run([&file, &tables, left] {
        return ConvertKept(file.plan, tables, left != nullptr, left);
      });
    }
  }

  // New files are written a few ahead of the one that takes its name, and
  // the worker starts each on its way to the disk meanwhile, before any
  // conversion it has not begun: ext4 writes a new file out when it is
  // renamed over its original, and would do it on this thread, one small
  // file at a time. Every other call stays on this thread, in one order.
  size_t begun = 0;
  const auto write_ahead = [&](size_t through) {
    for (; begun < files.size() && begun <= through; ++begun) {
      ListedFile& file = files[begun];
      if (file.repeat || !file.plan.convert) continue;
      // Rather than wait for the worker to begin this file's conversion,
      // this thread makes the next one it has not begun.
      if (file.ahead.valid() && file.ahead.wait_for(std::chrono::seconds(0)) !=
                                    std::future_status::ready) {
        worker.RunNext();
      }
      try {
        file.rewrite.emplace(CreateNewFile(fs, file.names));
        WriteConversion(*file.rewrite, file.names, file.plan, tables, fs,
                        left != nullptr ? &file.found : nullptr, left,
                        &file.ahead);
      } catch (const std::filesystem::filesystem_error&) {
        // The failure is this file's and comes in its turn, once the files
        // before it took their names, as it would one file at a time.
        file.rewrite.reset();
        file.failure = std::current_exception();
        begun = files.size();
        return;
      }
      OutputFile& out = *file.rewrite->out;
      file.writeback = worker.RunFirst([&out] { out.StartWriteback(); });
    }
  };
  // A list that gives back other names than went in is the work list from
  // then on, and every file is checked again as it comes: one of those
  // names may reach a file whose new file was written from what it held.
  bool as_checked = true;
  const auto drop_written_ahead = [&] {
    for (ListedFile& file : files) {
      if (file.writeback.valid()) file.writeback.wait();
      file.rewrite.reset();
      file.failure = nullptr;
    }
    begun = files.size();
  };

  WindowDisabled disabled(host);
  host.AddProgress(name + "... OK");
  for (const std::string& fn : names) host.AddProgress(fn);
  const size_t count = host.ProgressCount();
  for (size_t k = 1; k < count; ++k) {
    const std::string fn = host.ProgressItem(k);
    FileReport done = FileNamed(fn, FileAction::kAlreadyConverted);
    FormOutcome outcome = FormOutcome::kAlreadyConverted;
    as_checked = as_checked && k <= files.size() && fn == names[k - 1];
    if (as_checked) {
      // The list gave the name back as it went in: checked already.
      ListedFile& file = files[k - 1];
      if (!file.repeat && file.plan.convert) {
        write_ahead(k - 1 + kWrittenAhead);
        if (file.failure) std::rethrow_exception(file.failure);
        if (file.writeback.valid()) file.writeback.get();
        Record(written, file.path, PutInPlace(fs, file.names, *file.rewrite));
        file.rewrite.reset();
        TakeFindings(done, std::move(file.found));
        outcome = FormOutcome::kConverted;
      } else if (!file.repeat) {
        RecordId(written, StatFile(fs, file.path));
      } else {
        done.action = FileAction::kRepeat;
      }
    } else {
      drop_written_ahead();
      const std::string path = ResolveListedName(folder, fn, fs);
      const FileSystem::Status status = CheckListed(fs, path);
      if (!WasWritten(written, status)) {
        outcome = ConvertFormAt(path, tables, fs);
        Record(written, path, StatFile(fs, path));
      }
    }
    if (outcome == FormOutcome::kConverted) done.action = FileAction::kRewrite;
    if (report != nullptr) report->files.push_back(std::move(done));
    host.SelectProgress(k);
    host.SetProgressItem(
        k, host.ProgressItem(k) + (outcome == FormOutcome::kConverted
                                       ? "... OK"
                                       : "... already converted"));
    host.Repaint();
    host.PumpEvents();
  }
  // Last, so that until every listed file is done the project is still
  // recognised as one to convert.
  Record(written, pth,
         Replace(fs, project, [&](OutputFile& out, const FileSystem::Status&) {
           out.Write(text);
           out.Write(Terminator(ends));
         }));
  if (report != nullptr) {
    WatchProjectText(original, text, false, report->files.front());
    NoteLeftOver(folder, text, tables, fs, *report);
  }
  if (interactive) {
    FlushWritten(fs, written);
    host.ShowInfo(
        "Project '" + name + "' has been converted from Version 8 to 8c." +
            std::string(kCrLf) + std::string(kCrLf) +
            "Copies of the original files were saved with a 'bak' extension in "
            "case you want to restore the original project." +
            std::string(kCrLf) + std::string(kCrLf) +
            "You should now open the new project in VB and compile it to make "
            "sure there are no syntax errors." +
            std::string(kCrLf) + std::string(kCrLf),
        DoneDetails(*report));
  }
}

}  // namespace

void ConvertProject(const std::string& pth, bool interactive,
                    const Tables& tables, ConversionHost& host, FileSystem& fs,
                    WrittenFiles* written, ProjectReport* report) {
  // The boxes of a conversion that asks show its report.
  ProjectReport own_report;
  if (report == nullptr && interactive) report = &own_report;
  if (report != nullptr) report->name = SplitPath(pth).name;
  if (written != nullptr) {
    ConvertChecked(pth, interactive, tables, host, fs, *written, report);
    return;
  }
  WrittenFiles own;
  try {
    ConvertChecked(pth, interactive, tables, host, fs, own, report);
  } catch (const std::filesystem::filesystem_error&) {
    // What was written before the failure is on disk too when the error
    // box shows; the failure itself is the one to report.
    try {
      FlushWritten(fs, own);
    } catch (const std::filesystem::filesystem_error&) {
    }
    throw;
  }
  FlushWritten(fs, own);
}
