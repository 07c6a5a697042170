#ifndef ENGINE_LISTEDNAME_H_
#define ENGINE_LISTEDNAME_H_

#include <map>
#include <string>
#include <vector>

#include "engine/filesystem.h"
#include "engine/paths.h"

// A listed name as found on this machine, with what its last lookup gave.
struct ListedPath {
  std::string path;
  FileSystem::Status status;  // of the file path reaches, links followed
  bool link = false;          // whether path itself is a symbolic link
};

// Where the files that a project lists lie on this machine. Project files
// come from Windows: a backslash separates folders, a relative name is
// relative to the project's folder (pth; empty for the current directory),
// and letter case need not match the disk. A component that does not exist
// as written takes the one directory entry equal to it with case ignored. A
// name with a drive letter cannot exist here. On Windows the system itself
// reads names that way: the name is taken as written, relative to pth
// unless it has a drive or a leading separator. Resolve throws ENOENT naming
// the path sought when the name does not resolve.
//
// A project's files share a few folders, so each folder on their way is
// looked up, and each folder whose names need their case folded is listed,
// once. What it found holds while no folder changes: one resolver serves one
// pass over a project's names.
class ListedNames {
 public:
  ListedNames(FileSystem& fs, std::string pth);

  ListedPath Resolve(const std::string& fn);

  // The path found reaches once every link is followed, which two names of
  // one file share. On POSIX a file that is no link is its folder's path
  // with links followed, resolved once for every file of that folder, and
  // its own name, which Resolve spells as on disk; on Windows names
  // differ in letter case, and every path is resolved whole.
  std::string Reached(const ListedPath& found);

 private:
  std::string Step(const std::string& path, const std::string& part,
                   const std::string& wanted);
  std::string Folded(const std::string& folder, const std::string& name,
                     const std::string& wanted);

  FileSystem& fs_;
  std::string pth_;
  std::map<std::pair<std::string, std::string>, std::string> folders_;
  std::map<std::string, std::vector<std::string>> listings_;
  std::map<std::string, std::string> reached_folders_;
};

// One name resolved on its own.
std::string ResolveListedName(const std::string& pth, const std::string& fn,
                              FileSystem& fs);

#endif  // ENGINE_LISTEDNAME_H_
