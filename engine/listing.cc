#include "engine/listing.h"

#include <algorithm>
#include <utility>

#include "engine/files.h"
#include "engine/paths.h"
#include "engine/text.h"

std::vector<std::string> ListFolder(FileSystem& fs, const std::string& path,
                                    EntryKind kind) {
  std::vector<std::string> entries;
  std::vector<FileSystem::Kind> kinds;
  if (std::error_code err = fs.ListDir(path, &entries, &kinds)) {
    ThrowFileError("list", path, err);
  }
  const FileSystem::Kind want = kind == EntryKind::kFolder
                                    ? FileSystem::Kind::kDirectory
                                    : FileSystem::Kind::kRegular;
  std::vector<std::string> names;
  for (size_t k = 0; k < entries.size(); ++k) {
    std::string& name = entries[k];
    // Only links, and entries the folder does not describe, are looked up.
    // An entry that vanished meanwhile, or a link going round in a loop, is
    // neither a folder nor a file. Any other entry that cannot be examined
    // is reported: passing over it would let a batch skip a project and
    // still report success.
    FileSystem::Kind is = kinds[k];
    if (is == FileSystem::Kind::kLink || is == FileSystem::Kind::kMissing) {
      const std::string entry = JoinPath(path, name);
      FileSystem::Status status;
      const std::error_code err = fs.Stat(entry, &status);
      if (err == std::errc::too_many_symbolic_link_levels) continue;
      if (err) ThrowFileError("stat", entry, err);
      is = status.kind;
    }
    if (is == want) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), LessIgnoreCase);
  return names;
}
