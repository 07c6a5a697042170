#include "ui/listing.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <utility>

#include "engine/files.h"
#include "engine/text.h"

namespace {

// Byte for byte: a name through std::filesystem::path does not come back as
// the same bytes on Windows once it holds a letter beyond ASCII.
std::string Join(const std::string& folder, const std::string& name) {
  const char separator =
      static_cast<char>(std::filesystem::path::preferred_separator);
  if (folder.empty() || folder.back() == '/' || folder.back() == separator)
    return folder + name;
  return folder + separator + name;
}

}  // namespace

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
    const std::string entry = Join(path, name);
    FileSystem::Status status;
    const int err = fs.Stat(entry, &status);
    if (err == ELOOP) continue;
    if (err != 0) ThrowFileError("stat", entry, err);
    if (status.kind == want) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), LessIgnoreCase);
  return names;
}
