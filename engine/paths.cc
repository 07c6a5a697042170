#include "engine/paths.h"

#include <filesystem>

#include "engine/codepage.h"

namespace {

constexpr bool kWindowsPaths =
    std::filesystem::path::preferred_separator == '\\';
constexpr char kSeparator = kWindowsPaths ? '\\' : '/';

bool IsSeparator(char c) { return c == '/' || (kWindowsPaths && c == '\\'); }

// Where the character after the one at i starts. Paths are walked from
// their start, character by character: a separator byte may be the second
// byte of a character.
size_t Next(const std::string& path, size_t i) {
  return IsLeadByte(path[i]) && i + 1 < path.size() ? i + 2 : i + 1;
}

bool EndsInSeparator(const std::string& path) {
  bool separator = false;
  for (size_t i = 0; i < path.size(); i = Next(path, i)) {
    separator = IsSeparator(path[i]);
  }
  return separator;
}

bool HasDriveLetter(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') ||
          (path[0] >= 'a' && path[0] <= 'z'));
}

// How many leading bytes of an absolute path name its root: "/", "C:\",
// "\\server\share\"; 0 for a relative path.
size_t RootLength(const std::string& path) {
  if (!kWindowsPaths) return !path.empty() && path[0] == '/' ? 1 : 0;
  if (HasDriveLetter(path)) {
    return path.size() >= 3 && IsSeparator(path[2]) ? 3 : 0;
  }
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    // A share: the server's and the share's names belong to the root.
    size_t end = 2;
    for (int names = 0; names < 2 && end < path.size(); ++names) {
      while (end < path.size() && !IsSeparator(path[end])) {
        end = Next(path, end);
      }
      if (end < path.size()) ++end;
    }
    return end;
  }
  return 0;
}

std::vector<std::string> Names(const std::string& path, size_t from) {
  std::vector<std::string> names;
  std::string name;
  for (size_t i = from; i <= path.size();) {
    if (i == path.size() || IsSeparator(path[i])) {
      if (name == "..") {
        if (!names.empty()) names.pop_back();
      } else if (!name.empty() && name != ".") {
        names.push_back(name);
      }
      name.clear();
      ++i;
    } else {
      const size_t next = Next(path, i);
      name.append(path, i, next - i);
      i = next;
    }
  }
  return names;
}

}  // namespace

PathParts SplitPath(const std::string& path) {
  // cut: after the last separator; end: where the run of separators that
  // it ends starts.
  size_t cut = 0, end = 0;
  bool in_run = false;
  for (size_t i = 0; i < path.size(); i = Next(path, i)) {
    const bool separator = IsSeparator(path[i]);
    if (separator && !in_run) end = i;
    if (separator) cut = i + 1;
    in_run = separator;
  }
  if (cut == 0) return {"", path};
  std::string folder = path.substr(0, end);
  if (folder.empty() ||
      (kWindowsPaths && folder.size() == 2 && HasDriveLetter(folder))) {
    folder = path.substr(0, end + 1);
  }
  return {folder, path.substr(cut)};
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (EndsInSeparator(folder)) return folder + name;
  return folder + kSeparator + name;
}

bool IsAbsolutePath(const std::string& path) { return RootLength(path) > 0; }

std::string AbsolutePath(const std::string& path, const std::string& cwd) {
  const std::string full =
      RootLength(path) > 0 || cwd.empty() ? path : JoinPath(cwd, path);
  const size_t root = RootLength(full);
  std::string result = full.substr(0, root);
  for (const std::string& name : Names(full, root)) {
    result = JoinPath(result, name);
  }
  return result;
}

std::vector<std::string> FolderChain(const std::string& path) {
  const size_t root = RootLength(path);
  std::vector<std::string> chain = {path.substr(0, root)};
  for (const std::string& name : Names(path, root)) {
    chain.push_back(JoinPath(chain.back(), name));
  }
  return chain;
}

std::string FolderEntryName(const std::string& path) {
  if (RootLength(path) == path.size()) return path;
  return SplitPath(path).name;
}
