#include "engine/placesleft.h"

#include <cstring>
#include <filesystem>

#include "engine/files.h"
#include "engine/listedname.h"
#include "engine/text.h"

namespace {

constexpr const char* kOtherKeys[] = {
    "Module=", "Class=", "PropertyPage=", "UserDocument=", "Designer="};

// Splits bytes fed in chunks into lines, a CR LF split between chunks
// included, and hands each line to the finder.
class PlaceScan {
 public:
  PlaceScan(const Version8Finder& finder, FileReport& report)
      : finder_(finder), report_(report) {}

  void Feed(std::string_view chunk) {
    while (!chunk.empty()) {
      if (after_cr_ && chunk.front() == '\n') chunk.remove_prefix(1);
      after_cr_ = false;
      const size_t end = FindLineEnd(chunk);
      if (end == std::string_view::npos) {
        line_.append(chunk);
        return;
      }
      after_cr_ = chunk[end] == '\r';
      // A line that lies whole in the chunk is searched where it lies.
      if (line_.empty()) {
        EndLine(chunk.substr(0, end));
      } else {
        line_.append(chunk.substr(0, end));
        EndLine(line_);
        line_.clear();
      }
      chunk.remove_prefix(end + 1);
    }
  }

  void Finish() {
    if (!line_.empty()) EndLine(line_);
  }

 private:
  void EndLine(std::string_view line) {
    ++number_;
    const size_t at = finder_.Find(line);
    if (at != std::string_view::npos) NotePlace(report_, number_, line, at);
  }

  const Version8Finder& finder_;
  FileReport& report_;
  std::string line_;
  uint64_t number_ = 0;
  bool after_cr_ = false;
};

}  // namespace

std::vector<std::string> OtherEntries(std::string_view project_text) {
  std::vector<std::string> files;
  while (!project_text.empty()) {
    const std::string_view line = TakeLine(project_text);
    for (const char* key : kOtherKeys) {
      if (!StartsWithIgnoreCase(line, key)) continue;
      std::string_view value = line.substr(std::strlen(key));
      const size_t semi = value.rfind("; ");
      if (semi != std::string_view::npos) value.remove_prefix(semi + 2);
      if (!value.empty()) files.emplace_back(value);
      break;
    }
  }
  return files;
}

void NotePlaces(std::string_view text, const Version8Finder& finder,
                FileReport& report) {
  PlaceScan scan(finder, report);
  scan.Feed(text);
  scan.Finish();
}

FileReport ScanOtherEntry(const std::string& folder, const std::string& fn,
                          const Version8Finder& finder, FileSystem& fs) {
  FileReport report;
  report.name = fn;
  report.action = FileAction::kRead;
  try {
    const ListedPath found = ListedNames(fs, folder).Resolve(fn);
    const std::string& path = found.path;
    CheckListed(path, found.status);
    PlaceScan scan(finder, report);
    ReadChunks(fs, path, [&](std::string_view chunk) {
      scan.Feed(chunk);
      return true;
    });
    scan.Finish();
  } catch (const std::filesystem::filesystem_error& e) {
    report.action = FileAction::kUnreadable;
    report.why = e.code().message();
    report.places.clear();
    report.more_places = 0;
  }
  return report;
}
