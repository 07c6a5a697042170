#include "engine/testkit/batchdriver.h"

#include "engine/commands.h"
#include "engine/projectconvert.h"
#include "engine/restorecommand.h"

uint64_t ConvertBatch(const std::string& folder, const Tables& tables,
                      ConversionHost& host, FileSystem& fs,
                      BatchReport* reports) {
  const FolderView dir = OpenFolder(fs, folder);
  FileNames files(fs);
  WrittenFiles written;
  const uint64_t counter =
      ConvertSubfolderProjects(dir, files, tables, host, fs, written, reports);
  FlushWritten(fs, written);
  return counter;
}

uint64_t RestoreBatch(const std::string& folder, const Tables& tables,
                      ConversionHost& host, FileSystem& fs) {
  const FolderView dir = OpenFolder(fs, folder);
  FileNames files(fs);
  std::vector<BatchProject> projects;
  return RestoreSubfolderProjects(dir, files, tables, host, fs, projects)
      .value_or(0);
}

void RunOnSample(const std::string& root, bool restore, bool batch,
                 const Tables& tables, ConversionHost& host, FileSystem& fs) {
  const std::string project = root + "/Demo/Demo.vbp";
  if (restore && batch) {
    RestoreBatch(root, tables, host, fs);
  } else if (restore) {
    RestorePlan plan;
    RestoreProject(project, tables, host, fs, plan);
  } else if (batch) {
    ConvertBatch(root, tables, host, fs);
  } else {
    ConvertProject(project, false, tables, host, fs);
  }
}
