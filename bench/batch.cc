#include "bench/batch.h"

#include <algorithm>
#include <filesystem>

#include "engine/projectconvert.h"
#include "engine/text.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kOk = "... OK";

bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() &&
         EqualsIgnoreCase(s.substr(s.size() - tail.size()), tail);
}

std::vector<fs::path> Sorted(const fs::path& folder, bool folders) {
  std::vector<fs::path> paths;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (folders ? entry.is_directory()
                : entry.is_regular_file() &&
                      EndsWith(entry.path().filename().string(), ".vbp")) {
      paths.push_back(entry.path());
    }
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

}  // namespace

BatchResult ConvertTree(const std::string& root, const Tables& tables) {
  BatchResult result;
  QuietHost host;
  for (const fs::path& folder : Sorted(root, true)) {
    for (const fs::path& project : Sorted(folder, false)) {
      ConvertProject(project.string(), false, tables, host);
      ++result.projects;
      for (size_t k = 1; k < host.items.size(); ++k) {
        if (EndsWith(host.items[k], kOk)) {
          ++result.converted;
        } else {
          ++result.skipped;
        }
      }
    }
  }
  result.infos = host.infos;
  return result;
}
