#include "engine/namelookups.h"

#include <vector>

#include "engine/files.h"
#include "engine/paths.h"
#include "engine/text.h"

namespace {

// name with ASCII letters in lower case; none where another byte is not
// ASCII.
std::optional<std::string> FoldedAscii(const std::string& name) {
  std::string folded = name;
  for (char& c : folded) {
    if (static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
    c = FoldCase(c);
  }
  return folded;
}

}  // namespace

FileSystem::Status NameLookups::StatName(const std::string& path) {
  const auto [folder, name] = SplitPath(path);
  const std::optional<std::string> folded = FoldedAscii(name);
  if (folded) {
    const auto& listing = Listing(folder.empty() ? "." : folder);
    if (listing && listing->count(*folded) == 0) return {};
  }
  return ::StatName(fs_, path);
}

const std::optional<std::set<std::string>>& NameLookups::Listing(
    const std::string& folder) {
  auto known = listings_.find(folder);
  if (known != listings_.end()) return known->second;
  std::optional<std::set<std::string>> listing;
  std::vector<std::string> names;
  if (!fs_.ListDir(folder, &names, nullptr)) {
    listing.emplace();
    for (const std::string& name : names) {
      std::optional<std::string> folded = FoldedAscii(name);
      // Some file systems fold a few letters beyond ASCII into ASCII ones.
      if (!folded) {
        listing.reset();
        break;
      }
      listing->insert(std::move(*folded));
    }
  }
  return listings_.emplace(folder, std::move(listing)).first->second;
}
