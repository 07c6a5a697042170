#ifndef BENCH_BATCH_H_
#define BENCH_BATCH_H_

#include <cstddef>
#include <string>
#include <vector>

#include "engine/conversionhost.h"
#include "engine/filesystem.h"
#include "engine/tables.h"

// A host that answers nothing and shows nothing: the engine alone. It keeps
// the progress list, since that is the engine's work list, and tallies the
// outcome of each project's files when the next project clears the list.
class QuietHost : public ConversionHost {
 public:
  void ClearProgress() override;
  void AddProgress(const std::string& text) override { items.push_back(text); }
  size_t ProgressCount() override { return items.size(); }
  std::string ProgressItem(size_t i) override { return items[i]; }
  void SetProgressItem(size_t i, const std::string& text) override {
    items[i] = text;
  }
  void SelectProgress(size_t) override {}
  void ShowInfo(const std::string&, const std::string&) override { ++infos; }
  bool AskOkCancel(const std::string&, const std::string&) override {
    return false;
  }
  void SetWindowEnabled(bool) override {}
  void Repaint() override {}
  void PumpEvents() override {}

  std::vector<std::string> items;
  size_t infos = 0;      // messages shown; a batch of v8 projects shows none
  size_t converted = 0;  // listed files rewritten, up to the last clearing
  size_t skipped = 0;    // listed files found converted already
};

struct BatchResult {
  size_t projects = 0;   // project files handed to the engine
  size_t converted = 0;  // listed files rewritten
  size_t skipped = 0;    // listed files found converted already
  size_t infos = 0;      // messages shown
  size_t details = 0;    // bytes of the last box's details
};

// What the window's batch command does, without the window: every project
// file of every immediate subfolder of root, converted without questions,
// a form that projects share converted once. report: as the window does,
// with each project's report and the last box's details.
BatchResult ConvertTree(const std::string& root, const Tables& tables,
                        FileSystem& fs, bool report);

struct RestoreResult {
  size_t projects = 0;  // project files the walk found
  size_t restored = 0;  // projects with a file restored
  size_t files = 0;     // files restored
};

// What the window's restore batch does once OK is pressed: every project of
// every immediate subfolder of root that a conversion left, restored from
// its backups, and what it renamed flushed at the end.
RestoreResult RestoreTree(const std::string& root, const Tables& tables,
                          FileSystem& fs);

// What the single-project command does before its confirmation: the plan of
// pth and its details text, whose size it returns. Nothing is written.
size_t PlanProject(const std::string& pth, const Tables& tables,
                   FileSystem& fs);

#endif  // BENCH_BATCH_H_
