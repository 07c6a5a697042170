#ifndef ENGINE_PATHS_H_
#define ENGINE_PATHS_H_

#include <string>
#include <vector>

// Paths of this machine, built and split as bytes: a name through
// std::filesystem::path does not come back as the same bytes on Windows once
// it holds a letter beyond ASCII. A slash separates folders, and on Windows a
// backslash too.

struct PathParts {
  std::string folder;  // empty when the path names none; a root keeps its
                       // separator ("/", "C:\\")
  std::string name;
};

// Splits path at its last separator.
PathParts SplitPath(const std::string& path);

// folder and name with one separator between them; name alone when folder
// is empty.
std::string JoinPath(const std::string& folder, const std::string& name);

// Whether path starts at a root ("/", "C:\\", "\\\\server\\share\\").
bool IsAbsolutePath(const std::string& path);

// path made absolute against the folder cwd, with "." and ".." and doubled
// or trailing separators gone: "/a/b/../c/" is "/a/c".
std::string AbsolutePath(const std::string& path, const std::string& cwd);

// The folders from the root down to the absolute folder path, each in full:
// "/", "/a", "/a/b" for "/a/b".
std::vector<std::string> FolderChain(const std::string& path);

// What a folder list shows for a folder of FolderChain: its last name, or
// the root itself.
std::string FolderEntryName(const std::string& path);

#endif  // ENGINE_PATHS_H_
