#include "engine/testkit/batchdriver.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include "engine/files.h"
#include "engine/projectconvert.h"
#include "engine/text.h"

namespace {

std::vector<std::string> SortedEntries(FileSystem& fs,
                                       const std::string& folder) {
  std::vector<std::string> names;
  if (int err = fs.ListDir(folder, &names)) ThrowFileError("list", folder, err);
  std::sort(names.begin(), names.end(), LessIgnoreCase);
  return names;
}

// What a link leads to; a link that goes round in a loop leads nowhere.
FileSystem::Kind KindOf(FileSystem& fs, const std::string& path) {
  FileSystem::Status status;
  const int err = fs.Stat(path, &status);
  if (err == ELOOP) return FileSystem::Kind::kMissing;
  if (err != 0) ThrowFileError("stat", path, err);
  return status.kind;
}

bool IsProjectName(std::string_view name) {
  return name.size() >= 4 &&
         EqualsIgnoreCase(name.substr(name.size() - 4), ".vbp");
}

}  // namespace

int ConvertBatch(const std::string& folder, const Tables& tables,
                 ConversionHost& host, FileSystem& fs) {
  int count = 0;
  WrittenFiles written;
  for (const std::string& sub : SortedEntries(fs, folder)) {
    const std::string dir = folder + "/" + sub;
    if (KindOf(fs, dir) != FileSystem::Kind::kDirectory) continue;
    for (const std::string& name : SortedEntries(fs, dir)) {
      const std::string path = dir + "/" + name;
      if (!IsProjectName(name) ||
          KindOf(fs, path) != FileSystem::Kind::kRegular) {
        continue;
      }
      if (int err = fs.ChangeDir(dir)) ThrowFileError("chdir", dir, err);
      ConvertProject(path, false, tables, host, fs, &written);
      ++count;
    }
  }
  return count;
}
