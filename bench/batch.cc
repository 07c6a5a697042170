#include "bench/batch.h"

#include "engine/filesystem.h"
#include "engine/testkit/batchdriver.h"
#include "engine/text.h"

namespace {

constexpr std::string_view kOk = "... OK";

bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() &&
         EqualsIgnoreCase(s.substr(s.size() - tail.size()), tail);
}

}  // namespace

void QuietHost::ClearProgress() {
  // Item 0 is the project file itself.
  for (size_t k = 1; k < items.size(); ++k) {
    if (EndsWith(items[k], kOk)) {
      ++converted;
    } else {
      ++skipped;
    }
  }
  items.clear();
}

BatchResult ConvertTree(const std::string& root, const Tables& tables,
                        FileSystem& fs) {
  QuietHost host;
  BatchResult result;
  result.projects = static_cast<size_t>(ConvertBatch(root, tables, host, fs));
  host.ClearProgress();
  result.converted = host.converted;
  result.skipped = host.skipped;
  result.infos = host.infos;
  return result;
}
