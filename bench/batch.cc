#include "bench/batch.h"

#include "engine/details.h"
#include "engine/filesystem.h"
#include "engine/projectconvert.h"
#include "engine/restorecommand.h"
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
                        FileSystem& fs, bool report) {
  QuietHost host;
  BatchResult result;
  BatchReport reports;
  result.projects = static_cast<size_t>(
      ConvertBatch(root, tables, host, fs, report ? &reports : nullptr));
  if (report) result.details = reports.Text("Projects:").size();
  host.ClearProgress();
  result.converted = host.converted;
  result.skipped = host.skipped;
  result.infos = host.infos;
  return result;
}

namespace {

// Answers OK: the batch's one question.
class AnsweringHost : public QuietHost {
 public:
  bool AskOkCancel(const std::string&, const std::string&) override {
    return true;
  }
};

}  // namespace

RestoreResult RestoreTree(const std::string& root, const Tables& tables,
                          FileSystem& fs) {
  AnsweringHost host;
  FileNames files(fs);
  std::vector<BatchProject> projects;
  RestoreResult result;
  result.restored = RestoreSubfolderProjects(OpenFolder(fs, root), files,
                                             tables, host, fs, projects)
                        .value_or(0);
  result.projects = projects.size();
  for (const BatchProject& p : projects) result.files += FilesRestored(p.plan);
  return result;
}

namespace {

// Declines the confirmation, keeping the plan it was shown.
class PlanningHost : public QuietHost {
 public:
  bool AskOkCancel(const std::string&, const std::string& details) override {
    plan = details;
    return false;
  }
  std::string plan;
};

}  // namespace

size_t PlanProject(const std::string& pth, const Tables& tables,
                   FileSystem& fs) {
  PlanningHost host;
  ConvertProject(pth, true, tables, host, fs);
  return host.plan.size();
}
