#include "engine/listing.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "engine/files.h"
#include "engine/paths.h"
#include "engine/text.h"

std::vector<std::string> ListFolder(FileSystem& fs, const std::string& path,
                                    EntryKind kind) {
  std::vector<std::string> entries;
  if (int err = fs.ListDir(path, &entries)) ThrowFileError("list", path, err);
  const FileSystem::Kind want = kind == EntryKind::kFolder
                                    ? FileSystem::Kind::kDirectory
                                    : FileSystem::Kind::kRegular;
  std::vector<std::string> names;
  for (std::string& name : entries) {
    // An entry that vanished meanwhile, or a link going round in a loop, is
    // neither a folder nor a file. Any other entry that cannot be examined
    // is reported: passing over it would let a batch skip a project and
    // still report success.
    const std::string entry = JoinPath(path, name);
    FileSystem::Status status;
    const int err = fs.Stat(entry, &status);
    if (err == ELOOP) continue;
    if (err != 0) ThrowFileError("stat", entry, err);
    if (status.kind == want) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), LessIgnoreCase);
  return names;
}
