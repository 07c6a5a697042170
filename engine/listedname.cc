#include "engine/listedname.h"

#include <filesystem>
#include <utility>
#include <vector>

#include "engine/files.h"
#include "engine/text.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool HasDriveLetter(const std::string& fn) {
  return fn.size() >= 2 && fn[1] == ':' &&
         ((fn[0] >= 'A' && fn[0] <= 'Z') || (fn[0] >= 'a' && fn[0] <= 'z'));
}

// What a name found holds: a link is followed, and its being one noted.
ListedPath Found(FileSystem& fs, std::string path,
                 const FileSystem::Status& own) {
  ListedPath found;
  found.path = std::move(path);
  found.link = own.kind == FileSystem::Kind::kLink;
  found.status = found.link ? StatFile(fs, found.path) : own;
  return found;
}

// path with every link followed; a failure names the file it was for.
std::string Resolved(FileSystem& fs, const std::string& path,
                     const std::string& file) {
  std::string resolved;
  if (std::error_code err = fs.ResolveLinks(path, &resolved)) {
    ThrowFileError("open", file, err);
  }
  return resolved;
}

}  // namespace

ListedNames::ListedNames(FileSystem& fs, std::string pth)
    : fs_(fs), pth_(std::move(pth)) {}

std::string ResolveListedName(const std::string& pth, const std::string& fn,
                              FileSystem& fs) {
  return ListedNames(fs, pth).Resolve(fn).path;
}

std::string ListedNames::Reached(const ListedPath& found) {
#ifndef _WIN32
  PathParts parts = SplitPath(found.path);
  if (!found.link && parts.name != "." && parts.name != "..") {
    auto known = reached_folders_.find(parts.folder);
    if (known == reached_folders_.end()) {
      const std::string folder = parts.folder.empty() ? "." : parts.folder;
      known = reached_folders_
                  .emplace(parts.folder, Resolved(fs_, folder, found.path))
                  .first;
    }
    return JoinPath(known->second, parts.name);
  }
#endif
  return Resolved(fs_, found.path, found.path);
}

#ifdef _WIN32

// Windows reads the names as the development environment wrote them: a
// backslash separates folders, a drive letter names a drive, and the file
// system ignores letter case. A relative name is relative to the project's
// folder; an absolute one, with or without a drive, stands as it is.
ListedPath ListedNames::Resolve(const std::string& fn) {
  std::string path = fn;
  if (!pth_.empty() && !fn.empty() && !IsSeparator(fn[0]) &&
      !HasDriveLetter(fn)) {
    path = JoinPath(pth_, fn);
  }
  if (fn.empty()) {
    ThrowFileError("open", path.empty() ? pth_ : path,
                   std::errc::no_such_file_or_directory);
  }
  const FileSystem::Status own = StatName(fs_, path);
  ListedPath found = Found(fs_, path, own);
  if (found.status.kind == FileSystem::Kind::kMissing) {
    ThrowFileError("open", path, std::errc::no_such_file_or_directory);
  }
  return found;
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

bool IsDots(const std::string& part) { return part == "." || part == ".."; }

}  // namespace

// The path of the entry of folder equal to name with case ignored, when
// exactly one is; else a missing wanted. A folder that cannot be read is an
// error of its own, not a missing name.
std::string ListedNames::Folded(const std::string& folder,
                                const std::string& name,
                                const std::string& wanted) {
  const std::string dir = folder.empty() ? "." : folder;
  auto listing = listings_.find(dir);
  if (listing == listings_.end()) {
    std::vector<std::string> entries;
    if (std::error_code err = fs_.ListDir(dir, &entries, nullptr)) {
      if (err != std::errc::no_such_file_or_directory &&
          err != std::errc::not_a_directory) {
        ThrowFileError("list", dir, err);
      }
    }
    listing = listings_.emplace(dir, std::move(entries)).first;
  }
  const std::string* found = nullptr;
  int matches = 0;
  for (const std::string& entry : listing->second) {
    if (EqualsIgnoreCase(entry, name)) {
      found = &entry;
      ++matches;
    }
  }
  if (matches != 1) {
    ThrowFileError("open", wanted, std::errc::no_such_file_or_directory);
  }
  return JoinPath(folder, *found);
}

// The folder that part names in path.
std::string ListedNames::Step(const std::string& path, const std::string& part,
                              const std::string& wanted) {
  std::string next = JoinPath(path, part);
  if (IsDots(part)) return next;
  const auto key = std::make_pair(path, part);
  if (const auto known = folders_.find(key); known != folders_.end()) {
    return known->second;
  }
  if (StatFile(fs_, next).kind == FileSystem::Kind::kMissing) {
    next = Folded(path, part, wanted);
  }
  folders_.emplace(key, next);
  return next;
}

ListedPath ListedNames::Resolve(const std::string& fn) {
  const bool absolute = !fn.empty() && IsSeparator(fn[0]);
  const std::string base = absolute ? "/" : pth_;
  const std::vector<std::string> parts = Components(fn);
  std::string wanted = base;  // the name as written, for the error report
  for (const std::string& part : parts) wanted = JoinPath(wanted, part);
  if (HasDriveLetter(fn)) {
    ThrowFileError("open", fn, std::errc::no_such_file_or_directory);
  }
  if (parts.empty()) {
    ThrowFileError("open", wanted, std::errc::no_such_file_or_directory);
  }

  std::string path = base;
  for (size_t k = 0; k + 1 < parts.size(); ++k) {
    path = Step(path, parts[k], wanted);
  }
  const std::string& last = parts.back();
  std::string next = JoinPath(path, last);
  FileSystem::Status own = StatName(fs_, next);
  if (!IsDots(last) && own.kind == FileSystem::Kind::kMissing) {
    next = Folded(path, last, wanted);
    own = StatName(fs_, next);
  }
  return Found(fs_, std::move(next), own);
}

#endif  // _WIN32
