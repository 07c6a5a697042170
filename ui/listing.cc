#include "ui/listing.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "engine/text.h"

namespace {

// Names are bytes in no known code page, so only ASCII letters fold; equal
// names under folding keep a fixed order by their bytes.
bool LessIgnoreCase(const std::string& a, const std::string& b) {
  const bool less = std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(FoldCase(x)) <
               static_cast<unsigned char>(FoldCase(y));
      });
  if (less || !EqualsIgnoreCase(a, b)) return less;
  return a < b;
}

}  // namespace

std::vector<std::string> ListFolder(const std::string& path, EntryKind kind) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(path)) {
    // An entry that vanished or cannot be examined is simply not listed.
    std::error_code ec;
    const bool wanted = kind == EntryKind::kFolder ? entry.is_directory(ec)
                                                   : entry.is_regular_file(ec);
    if (wanted && !ec) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end(), LessIgnoreCase);
  return names;
}
