#ifndef ENGINE_COMMANDS_H_
#define ENGINE_COMMANDS_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/commandsession.h"
#include "engine/conversionhost.h"
#include "engine/details.h"
#include "engine/filesystem.h"
#include "engine/projectconvert.h"
#include "engine/tables.h"

// What the window's commands do, without a toolkit: each window holds only
// its controls and the operations of CommandWindow, and runs these in its
// CommandSession. The test drivers and the benchmarks call the same code.

// The folder list's content: a folder, the folders above it, and its
// subfolders as they were listed when it was opened. The batch converts
// what the list shows, not what the folder holds by the time of the click.
struct FolderView {
  std::string path;                     // absolute
  std::vector<std::string> chain;       // the root down to path, in full
  std::vector<std::string> subfolders;  // names, in the order shown
  // Why the subfolders could not be listed; none are shown then.
  std::optional<std::filesystem::filesystem_error> error;

  std::string Subfolder(size_t k) const;  // full path, k counts from 0
};

// Opens path (relative to the current directory) as the folder list does.
// A folder that cannot be listed gives a view without subfolders and the
// error; only the current directory's failing throws.
FolderView OpenFolder(FileSystem& fs, const std::string& path);

// The file list as the batch drives it: every regular file of one folder.
class FileListing {
 public:
  virtual ~FileListing() = default;
  // Lists path. Throws std::filesystem::filesystem_error when the folder
  // cannot be read; the list is then empty, and Path() is path.
  virtual void SetPath(const std::string& path) = 0;
  virtual const std::string& Path() const = 0;
  virtual size_t FileCount() const = 0;
  virtual const std::string& FileName(size_t j) const = 0;
};

// A file list without a window, for the test drivers and benchmarks.
class FileNames : public FileListing {
 public:
  explicit FileNames(FileSystem& fs) : fs_(fs) {}
  void SetPath(const std::string& path) override;
  const std::string& Path() const override { return path_; }
  size_t FileCount() const override { return names_.size(); }
  const std::string& FileName(size_t j) const override { return names_.at(j); }

 private:
  FileSystem& fs_;
  std::string path_;
  std::vector<std::string> names_;
};

// Whether the batch takes a file for a project: its last four characters
// are ".vbp", letter case ignored.
bool IsProjectFileName(const std::string& f);

// The batch's walk: for each subfolder that dir shows, the file list
// follows it, and each file of it that IsProjectFileName takes is a
// project, handled in its own folder.
class SubfolderWalk {
 public:
  SubfolderWalk(const FolderView& dir, FileListing& files, FileSystem& fs);

  // Moves to the next project file and makes its folder the current
  // directory; false after the last. Throws when a folder cannot be listed
  // or entered, and at once when dir could not be listed.
  bool Next();
  std::string Path() const;  // the project file's, in full
  // As the batch names a project: by its place in the folder.
  std::string Name() const;

 private:
  const FolderView& dir_;
  FileListing& files_;
  FileSystem& fs_;
  size_t k_ = 0;  // the subfolders the file list has followed
  size_t m_ = 0;  // the files it shows there
  size_t j_ = 0;  // those looked at
  std::string file_;
};

// The batch's conversion: each project file of the walk is converted
// without questions, a form that projects share converted once (written
// records them). Returns how many project files it handled. Throws at the
// first failure, and at once when dir could not be listed. reports, when
// given, takes the report of each project handled, named by its subfolder
// and file name.
uint64_t ConvertSubfolderProjects(const FolderView& dir, FileListing& files,
                                  const Tables& tables, ConversionHost& host,
                                  FileSystem& fs, WrittenFiles& written,
                                  BatchReport* reports = nullptr);

// "Done converting N projects."
std::string DoneText(uint64_t counter);

// "Error N: text" and the path on a line of its own.
std::string FailureText(const std::filesystem::filesystem_error& e);

// A command runs each project in its project's folder: makes the folder of
// pth the current directory.
void EnterFolderOf(const std::string& pth, FileSystem& fs);

// The window's commands, each run by session.Run from its handler.

// The open-file dialog of a command that takes one project file: the path
// chosen, or nothing when the dialog was cancelled or failed (reported).
std::optional<std::string> ChooseProject(CommandSession& session);

// cmd_Click: the open-file dialog; the project chosen is converted in its
// own folder, asking first. A failure is reported.
void ConvertChosenProject(CommandSession& session);

// cmdButton2_Click: ConvertSubfolderProjects over what the folder list
// shows, then the "Done" box, or the failure that stopped it, each with the
// projects' reports as details.
void ConvertBatchFolder(CommandSession& session);

// Dir1_Change: the file list lists the folder the folder list opened. A
// failure is reported, the folder list's own first.
void FollowFolder(CommandSession& session);

// A menu item chosen: the restores run as the buttons' commands do, and
// Exit closes the window. While a command runs none of them does anything,
// as the close button does nothing then.
void RunMenuCommand(CommandSession& session, MenuCommand command);

#endif  // ENGINE_COMMANDS_H_
