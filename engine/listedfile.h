#ifndef ENGINE_LISTEDFILE_H_
#define ENGINE_LISTEDFILE_H_

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/filesystem.h"
#include "engine/lines.h"
#include "engine/listedname.h"
#include "engine/replacement.h"
#include "engine/report.h"
#include "engine/tables.h"
#include "engine/version8.h"

// What the conversions of one command have written or found converted: the
// files by id, so that a form two projects share is converted once, and the
// names written, to be flushed when the command ends. A replaced file has a
// new id, and only that one is kept: the old one now belongs to its backup
// and to the file's other names.
struct WrittenFiles {
  std::set<FileSystem::FileId> files;
  std::vector<std::string> paths;

  // An unknown id is no file's: it is neither recorded nor found.
  bool Has(const FileSystem::Status& status) const;
  void Found(const FileSystem::Status& status);  // a file left as it is
  void Wrote(const std::string& path, const FileSystem::Status& status);
};

// Puts everything written so far on disk, and forgets the names.
void FlushWritten(FileSystem& fs, WrittenFiles& written);

// What the steps of one command's conversions share.
struct Conversion {
  const Tables& tables;
  FileSystem& fs;
  WrittenFiles& written;
  // Where the lines left for the user are looked for, when a report wants
  // them.
  const Version8Finder* left = nullptr;
  // Whether a plan keeps the first few changed lines, for the details.
  bool samples = false;
};

// One listed name, resolved once, and what its plan found.
struct PlannedFile {
  std::string listed;  // as the project lists it: the progress item
  std::string path;    // where it resolved
  ReplacementNames names;
  std::string reached;      // its path once every link is followed
  FileSystem::Status read;  // of the file the plan read, links followed
  // What the plan found under the backup's name, a link not followed.
  FileSystem::Status backup;
  LineEnds ends = LineEnds::kCr;
  // Why it cannot be converted: the check before writing stops there.
  std::optional<std::filesystem::filesystem_error> failure;
  // What the confirmation's details show: kRewrite, kAlreadyConverted,
  // kRepeat, kMissing or kUnreadable, and the lines that will change.
  FileReport report;

  bool WillRewrite() const { return report.action == FileAction::kRewrite; }
};

// The path names reaches once every link is followed: two names that reach
// one path are one file.
std::string ReachedPath(FileSystem& fs, const ReplacementNames& names);

// Plans the file a project lists as fn, by reading alone. A file whose
// reached path is in reached already (listed twice, spelt otherwise,
// through a link, the project file itself), or that the command wrote or
// found converted, is a repeat; reached learns the file's path. A failure
// is kept in the plan: the details show it, the check throws it.
PlannedFile PlanListedFile(const std::string& fn, ListedNames& listed,
                           Conversion& c, std::set<std::string>* reached);

// The check before writing, for one planned file: throws the failure its
// plan met, or whatever would stop it being replaced half way. again: a
// question was open since the plan, maybe for a while, so the file and its
// backup's name are looked up again, without reading the file.
void CheckListedFile(PlannedFile& file, Conversion& c, ReplaceableCheck& check,
                     bool again);

// Plans and checks the file a project in folder pth lists as fn in its
// turn, with nothing asked between them and without the lines a
// confirmation shows; reached as for PlanListedFile.
PlannedFile PlanInTurn(const std::string& fn, const std::string& pth,
                       Conversion& c, std::set<std::string>* reached);

// Converts a planned and checked file, reading it once more, and returns
// what was done, with what the report learnt. The new file takes the
// listed name only while the file is still the one the plan read, and what
// was read still needs converting with the same line ends; otherwise the
// file, changed since its plan, is planned and checked again, as listed in
// the project in folder pth.
FileReport ConvertListedFile(PlannedFile& file, const std::string& pth,
                             Conversion& c);

// Converts the file that a project in folder pth lists as fn (backslashes
// separate folders), unless it is already converted: its original becomes
// its on-disk name + ".bak", and the converted text takes its name.
enum class FormOutcome { kConverted, kAlreadyConverted };
FormOutcome ConvertForm(const std::string& pth, const std::string& fn,
                        const Tables& tables, FileSystem& fs);

#endif  // ENGINE_LISTEDFILE_H_
