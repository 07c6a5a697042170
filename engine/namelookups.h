#ifndef ENGINE_NAMELOOKUPS_H_
#define ENGINE_NAMELOOKUPS_H_

#include <map>
#include <optional>
#include <set>
#include <string>

#include "engine/filesystem.h"

// Looks up names that are mostly absent (backups not yet made, temporary
// names), in the few folders of one pass over a project: each folder is
// listed once, and a name is looked up only when its folder holds one like
// it, letter case ignored. A name with letters beyond ASCII, or in a folder
// that holds such a name or cannot be listed, is looked up as it is: the
// file system may fold their case its own way. What it found holds while no
// folder changes.
class NameLookups {
 public:
  explicit NameLookups(FileSystem& fs) : fs_(fs) {}

  // The status of path, a link not followed; kMissing where nothing is.
  FileSystem::Status StatName(const std::string& path);

 private:
  // The folder's names with their case folded, or none where it cannot be
  // listed.
  const std::optional<std::set<std::string>>& Listing(
      const std::string& folder);

  FileSystem& fs_;
  std::map<std::string, std::optional<std::set<std::string>>> listings_;
};

#endif  // ENGINE_NAMELOOKUPS_H_
