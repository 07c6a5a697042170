#ifndef ENGINE_REPLACEMENT_H_
#define ENGINE_REPLACEMENT_H_

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "engine/files.h"
#include "engine/filesystem.h"

// How a converted file takes the place of its original while the original's
// bytes are never at risk: the original is given a second name, its backup,
// and the converted text goes to a new file that then takes the listed name
// in one step. The original is never opened for writing, so a kill or a
// failure at any point leaves every name holding either what it held or a
// complete new file.
struct ReplacementNames {
  std::string listed;       // the listed name, resolved on this machine
  std::string target;       // the file it reaches once links are followed
  std::string backup;       // listed + ".bak"
  std::string backup_temp;  // the backup's name until it is complete
  std::string new_temp;     // the new file's name until it is complete
  // Whether a killed run may have left files under the temporary names:
  // so until the check before writing finds both free.
  bool leftovers = true;
  // Whether something may be under the backup's name: so until the check
  // before writing finds it free.
  bool backup_found = true;
};

// The suffixes of the temporary names, recognisable as this program's. None
// ends in ".vbp", so the batch never takes one for a project.
inline constexpr char kBackupSuffix[] = ".bak";
inline constexpr char kBackupTempSuffix[] = ".bak~";
inline constexpr char kNewTempSuffix[] = ".new~";

ReplacementNames NamesOf(FileSystem& fs, const std::string& listed);
// The same where the lookup of listed just found whether it is a link.
ReplacementNames NamesOf(FileSystem& fs, const std::string& listed, bool link);

// The check before writing, for the files of one project: they share a few
// folders, so each folder's rights are asked once.
class ReplaceableCheck {
 public:
  explicit ReplaceableCheck(FileSystem& fs) : fs_(fs) {}

  // Throws, before anything is written, for whatever would stop the
  // replacement of names.listed half way: a file marked read-only or that
  // we may not write, a folder we may not add names to, a name we may not
  // replace (a sticky folder), a folder or a link where a temporary name or
  // the backup goes. target is the status of names.target, just looked up,
  // and backup, when given, that of names.backup, a link not followed.
  // Notes in names what it found under the backup's and temporary names.
  void Check(ReplacementNames& names, const FileSystem::Status& target,
             const FileSystem::Status* backup = nullptr);

 private:
  void CheckFolder(const std::string& folder);

  FileSystem& fs_;
  std::set<std::string> folders_;
};

// Removes what a killed run left under the temporary names of names: a
// regular file, or nothing. Anything else is not ours, and throws.
void RemoveLeftovers(FileSystem& fs, const ReplacementNames& names);

// A file under a temporary name of ours, removed when this goes away
// unless it was renamed into place.
class TempName {
 public:
  TempName(FileSystem& fs, std::string path)
      : fs_(&fs), path_(std::move(path)) {}
  TempName(TempName&& other) noexcept
      : fs_(other.fs_),
        path_(std::move(other.path_)),
        kept_(std::exchange(other.kept_, true)) {}
  TempName& operator=(TempName&&) = delete;
  ~TempName();
  // Durably: returns once the new name is on disk too.
  void RenameTo(const std::string& to, bool durably = false);

 private:
  FileSystem* fs_;
  std::string path_;
  bool kept_ = false;
};

// A replacement's new file, under its temporary name until it takes the
// listed name. Going away, it is closed before it is removed: Windows
// removes no open file.
struct NewFile {
  TempName temp;
  FileSystem::Status original;      // as it was when the new file was made
  std::unique_ptr<OutputFile> out;  // open until it takes its name
  FileSystem::Status written;       // the new file's, once written
};

using WriteNew =
    std::function<void(OutputFile&, const FileSystem::Status& original)>;

// Creates the new file for names.target, with what it keeps of the
// original.
NewFile CreateNewFile(FileSystem& fs, const ReplacementNames& names);
// The same where the original is open for reading and original is its
// status, taken from the open file: the very file that will be read. What
// a killed run left under the temporary names must be gone already
// (RemoveLeftovers, before the original was opened).
NewFile CreateNewFile(FileSystem& fs, const ReplacementNames& names,
                      const FileSystem::Status& original);
// Puts into it what write puts there; write learns the status of the
// original as it was when the file was made.
void WriteNewFile(NewFile& file, const WriteNew& write);
// Closes the written new file, backs up names.target under names.backup
// and gives the new file its name. Returns the new file's status.
FileSystem::Status PutInPlace(FileSystem& fs, const ReplacementNames& names,
                              NewFile& file);

// The three in turn: backs up names.target and replaces it with what write
// puts into the new file.
FileSystem::Status Replace(FileSystem& fs, const ReplacementNames& names,
                           const WriteNew& write);

#endif  // ENGINE_REPLACEMENT_H_
