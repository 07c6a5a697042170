#include "engine/listedname.h"

#include <cerrno>
#include <filesystem>
#include <vector>

#include "engine/files.h"
#include "engine/text.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool HasDriveLetter(const std::string& fn) {
  return fn.size() >= 2 && fn[1] == ':' &&
         ((fn[0] >= 'A' && fn[0] <= 'Z') || (fn[0] >= 'a' && fn[0] <= 'z'));
}

}  // namespace

#ifdef _WIN32

// Windows reads the names as the development environment wrote them: a
// backslash separates folders, a drive letter names a drive, and the file
// system ignores letter case. A relative name is relative to the project's
// folder; an absolute one, with or without a drive, stands as it is.
std::string ResolveListedName(const std::string& pth, const std::string& fn,
                              FileSystem& fs) {
  std::string path = fn;
  if (!pth.empty() && !fn.empty() && !IsSeparator(fn[0]) &&
      !HasDriveLetter(fn)) {
    path = JoinPath(pth, fn);
  }
  if (fn.empty() || StatFile(fs, path).kind == FileSystem::Kind::kMissing) {
    ThrowFileError("open", path.empty() ? pth : path, ENOENT);
  }
  return path;
}

#else

namespace {

std::vector<std::string> Components(const std::string& fn) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : fn) {
    if (IsSeparator(c)) {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part.push_back(c);
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

// The entry of folder equal to name with case ignored, when exactly one is.
// A folder that cannot be read is an error of its own, not a missing name.
bool FindFolded(FileSystem& fs, const std::string& folder,
                const std::string& name, std::string* found) {
  std::vector<std::string> entries;
  const std::string dir = folder.empty() ? "." : folder;
  if (int err = fs.ListDir(dir, &entries)) {
    if (err == ENOENT || err == ENOTDIR) return false;
    ThrowFileError("list", dir, err);
  }
  int matches = 0;
  for (const std::string& entry : entries) {
    if (EqualsIgnoreCase(entry, name)) {
      *found = entry;
      ++matches;
    }
  }
  return matches == 1;
}

}  // namespace

std::string ResolveListedName(const std::string& pth, const std::string& fn,
                              FileSystem& fs) {
  const bool absolute = !fn.empty() && IsSeparator(fn[0]);
  const std::string base = absolute ? "/" : pth;
  std::string wanted = base;  // the name as written, for the error report
  for (const std::string& part : Components(fn))
    wanted = JoinPath(wanted, part);
  if (HasDriveLetter(fn)) ThrowFileError("open", fn, ENOENT);

  std::string path = base;
  for (const std::string& part : Components(fn)) {
    std::string next = JoinPath(path, part);
    if (part != "." && part != ".." &&
        StatFile(fs, next).kind == FileSystem::Kind::kMissing) {
      std::string entry;
      if (!FindFolded(fs, path, part, &entry)) {
        ThrowFileError("open", wanted, ENOENT);
      }
      next = JoinPath(path, entry);
    }
    path = std::move(next);
  }
  if (path.empty() || path == base) ThrowFileError("open", wanted, ENOENT);
  return path;
}

#endif  // _WIN32
