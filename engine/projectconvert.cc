#include "engine/projectconvert.h"

#include <filesystem>
#include <initializer_list>
#include <set>
#include <utility>

#include "engine/details.h"
#include "engine/files.h"
#include "engine/lines.h"
#include "engine/listedname.h"
#include "engine/paths.h"
#include "engine/placesleft.h"
#include "engine/replacement.h"
#include "engine/text.h"
#include "engine/version8.h"

namespace {

constexpr std::string_view kCrLf = "\r\n";

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

// A box's text: its paragraphs, each set off from the next by a blank line.
std::string Paragraphs(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (const std::string_view part : parts) {
    if (!text.empty()) text.append(kCrLf).append(kCrLf);
    text.append(part);
  }
  return text;
}

std::string NothingText(const std::string& name) {
  return Paragraphs(
      {"Couldn't find any convertible controls in '" + name + "'.",
       "Conversion cancelled."});
}

std::string ReadyText(const std::string& name) {
  return Paragraphs(
      {"Ready to convert '" + name + "' from Version 8 to 8c.",
       "The original files will be backed up in files with an additional "
       "'.bak' extension.",
       "Press OK to proceed or Cancel if you changed your mind."});
}

// The completion box's text ends with an empty paragraph.
std::string ConvertedText(const std::string& name) {
  return Paragraphs({
      "Project '" + name + "' has been converted from Version 8 to 8c.",
      "Copies of the original files were saved with a 'bak' extension in case "
      "you want to restore the original project.",
      "You should now open the new project in VB and compile it to make sure "
      "there are no syntax errors.",
      "",
  });
}

// One project as its plan found it.
struct ProjectPlan {
  std::string pth, folder, name;
  std::string text;       // the project file as read
  std::string converted;  // with the project table applied
  bool convertible = false;
  ReplacementNames names;  // of the project file
  std::string reached;     // the project file's path, links followed
  std::vector<PlannedFile> files;
};

// Detection, the converted project text, and the plan of every listed file.
ProjectPlan PlanProject(const std::string& pth, Conversion& c,
                        ConversionHost& host) {
  ProjectPlan plan;
  plan.pth = pth;
  PathParts parts = SplitPath(pth);
  plan.folder = std::move(parts.folder);
  plan.name = std::move(parts.name);
  plan.text = ReadWholeFile(c.fs, pth);
  plan.convertible = IsConvertible(plan.text, c.tables);
  if (!plan.convertible) return plan;
  plan.converted = plan.text;
  ApplyTable(plan.converted, c.tables.ProjTable);
  plan.names = NamesOf(c.fs, pth);
  plan.reached = ReachedPath(c.fs, plan.names);
  std::set<std::string> reached = {plan.reached};
  ListedNames listed(c.fs, plan.folder);
  for (const std::string& fn : ListedFiles(plan.converted)) {
    plan.files.push_back(PlanListedFile(fn, listed, c, &reached));
    Breathe(host);
  }
  return plan;
}

FileReport FileNamed(const std::string& name) {
  FileReport file;
  file.name = name;
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

// What OK will do: the plan shows every listed file, those it could not
// read too, with the reason; the check after OK is what stops the project
// for them.
std::string PlanText(const ProjectPlan& plan) {
  ProjectReport planned;
  planned.files.push_back(FileNamed(plan.name));
  WatchProjectText(plan.text, plan.converted, true, planned.files.back());
  for (const PlannedFile& file : plan.files)
    planned.files.push_back(file.report);
  return PlanDetails(planned);
}

// Everything that will be written is checked before anything is. again: a
// question was open since the plan.
void CheckBeforeWriting(ProjectPlan& plan, Conversion& c, ConversionHost& host,
                        bool again) {
  ReplaceableCheck check(c.fs);
  check.Check(plan.names, CheckListed(c.fs, plan.pth));
  for (PlannedFile& file : plan.files) {
    CheckListedFile(file, c, check, again);
    Breathe(host);
  }
}

// How far the progress list has been worked through.
struct Progress {
  // Whether every name the list gave back so far went in as it came out:
  // until one did not, item k is the k-th planned file.
  bool as_planned = true;
  // The files handled so far, links followed, the project file's among them.
  std::set<std::string> handled;
};

// The progress list is the work list. Item k is the k-th planned file while
// the list gives the names back as they went in; from the first other name
// on, each item is planned and checked in its turn, a repeat of whatever
// was handled before it.
FileReport ConvertItem(ProjectPlan& plan, size_t k, const std::string& fn,
                       Progress& progress, Conversion& c) {
  progress.as_planned = progress.as_planned && k <= plan.files.size() &&
                        plan.files[k - 1].listed == fn;
  if (progress.as_planned) {
    PlannedFile& file = plan.files[k - 1];
    progress.handled.insert(file.reached);
    return ConvertListedFile(file, plan.folder, c);
  }
  PlannedFile file = PlanInTurn(fn, plan.folder, c, &progress.handled);
  return ConvertListedFile(file, plan.folder, c);
}

// Last, so that until every listed file is done the project is still
// recognised as one to convert.
void ReplaceProjectFile(const ProjectPlan& plan, Conversion& c) {
  const FileSystem::Status written = Replace(
      c.fs, plan.names, [&](OutputFile& out, const FileSystem::Status&) {
        out.Write(ConvertedProjectFile(plan.text, c.tables));
      });
  c.written.Wrote(plan.pth, written);
}

void Execute(ProjectPlan& plan, Conversion& c, ConversionHost& host,
             ProjectReport* report) {
  host.AddProgress(plan.name);
  for (const PlannedFile& file : plan.files) host.AddProgress(file.listed);
  Progress progress;
  progress.handled.insert(plan.reached);
  const size_t count = host.ProgressCount();
  for (size_t k = 1; k < count; ++k) {
    FileReport done = ConvertItem(plan, k, host.ProgressItem(k), progress, c);
    const bool converted = done.action == FileAction::kRewrite;
    if (report != nullptr) report->files.push_back(std::move(done));
    host.SelectProgress(k);
    host.SetProgressItem(k,
                         host.ProgressItem(k) +
                             (converted ? "... OK" : "... already converted"));
    Breathe(host);
  }
  ReplaceProjectFile(plan, c);
  host.SetProgressItem(0, plan.name + "... OK");
  Breathe(host);
}

// The places the conversion leaves for the user: in the project text as
// written, and in the files of the entries it does not convert.
void NoteLeftOver(const ProjectPlan& plan, Conversion& c,
                  ProjectReport& report) {
  WatchProjectText(plan.text, plan.converted, false, report.files.front());
  NotePlaces(plan.converted, Version8Finder::Libraries(c.tables),
             report.files.front());
  const Version8Finder everything = Version8Finder::Everything(c.tables);
  for (const std::string& fn : OtherEntries(plan.converted)) {
    report.files.push_back(ScanOtherEntry(plan.folder, fn, everything, c.fs));
  }
}

void Convert(const std::string& pth, bool interactive, Conversion& c,
             ConversionHost& host, ProjectReport* report) {
  host.ClearProgress();
  WindowDisabled disabled(host);
  ProjectPlan plan = PlanProject(pth, c, host);
  if (report != nullptr) report->convertible = plan.convertible;
  if (!plan.convertible) {
    host.ShowInfo(NothingText(plan.name), std::string());
    return;
  }
  if (interactive && !host.AskOkCancel(ReadyText(plan.name), PlanText(plan))) {
    return;
  }
  CheckBeforeWriting(plan, c, host, interactive);
  if (report != nullptr) report->files.push_back(FileNamed(plan.name));
  Execute(plan, c, host, report);
  if (report != nullptr) NoteLeftOver(plan, c, *report);
  if (interactive) {
    FlushWritten(c.fs, c.written);
    host.ShowInfo(ConvertedText(plan.name), DoneDetails(*report));
  }
}

}  // namespace

bool IsConvertible(std::string_view project_text, const Tables& tables) {
  for (const ReplacementRow& row : tables.ProjTable) {
    if (FindIgnoreCase(project_text, row.find) != std::string_view::npos) {
      return true;
    }
  }
  return false;
}

std::string ConvertedProjectFile(std::string_view project_text,
                                 const Tables& tables) {
  std::string converted(project_text);
  ApplyTable(converted, tables.ProjTable);
  const LineEnds ends =
      LineEndsOf(project_text.find('\r') != std::string_view::npos,
                 project_text.find('\n') != std::string_view::npos);
  converted.append(Terminator(ends));
  return converted;
}

std::vector<std::string> ListedFiles(std::string_view project_text) {
  std::vector<std::string> names;
  AddEntries(project_text, "Form=", ".frm", names);
  AddEntries(project_text, "UserControl=", ".ctl", names);
  return names;
}

void ConvertProject(const std::string& pth, bool interactive,
                    const Tables& tables, ConversionHost& host, FileSystem& fs,
                    WrittenFiles* written, ProjectReport* report) {
  // The boxes of a conversion that asks show its report.
  ProjectReport own_report;
  if (report == nullptr && interactive) report = &own_report;
  if (report != nullptr) report->name = SplitPath(pth).name;
  const Version8Finder libraries = Version8Finder::Libraries(tables);
  WrittenFiles own;
  Conversion c{tables, fs, written != nullptr ? *written : own,
               report != nullptr ? &libraries : nullptr, interactive};
  if (written != nullptr) {
    Convert(pth, interactive, c, host, report);
    return;
  }
  try {
    Convert(pth, interactive, c, host, report);
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
