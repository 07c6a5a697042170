// Converts every project of a tree with the engine alone, as the window's
// batch command would, and says what it did.
//   --copies    as on a file system without hard links: every backup a
//               flushed copy
//   --no-flush  without the flush at the end, to weigh against cp -a alone
//   --no-report without the projects' reports the window shows
//   --plan      ROOT is a project file: only its plan, timed, nothing written
//   --restore   ROOT holds a converted tree: restores it from its backups
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "bench/batch.h"
#include "engine/testkit/testing.h"

int main(int argc, char** argv) {
  FaultyFileSystem fs;  // fails nothing unless asked
  bool seam = false;
  bool report = true;
  bool plan = false;
  bool restore = false;
  int arg = 1;
  for (; arg < argc && std::strncmp(argv[arg], "--", 2) == 0; ++arg) {
    if (std::strcmp(argv[arg], "--copies") == 0) {
      fs.no_links = seam = true;
    } else if (std::strcmp(argv[arg], "--no-flush") == 0) {
      fs.skip_flush = seam = true;
    } else if (std::strcmp(argv[arg], "--no-report") == 0) {
      report = false;
    } else if (std::strcmp(argv[arg], "--plan") == 0) {
      plan = true;
    } else if (std::strcmp(argv[arg], "--restore") == 0) {
      restore = true;
    } else {
      arg = argc;
    }
  }
  if (arg != argc - 1) {
    std::fprintf(stderr,
                 "usage: %s [--copies] [--no-flush] [--no-report] ROOT\n"
                 "       %s --plan PROJECT\n"
                 "       %s [--copies] [--no-flush] --restore ROOT\n",
                 argv[0], argv[0], argv[0]);
    return 2;
  }
  try {
    FileSystem& used = seam ? fs : DefaultFileSystem();
    if (plan) {
      const auto start = std::chrono::steady_clock::now();
      const size_t bytes = PlanProject(argv[arg], InitTables(), used);
      const std::chrono::duration<double, std::milli> took =
          std::chrono::steady_clock::now() - start;
      std::printf("plan_ms=%.2f details=%zu messages=0\n", took.count(), bytes);
      return 0;
    }
    if (restore) {
      const RestoreResult r = RestoreTree(argv[arg], InitTables(), used);
      std::printf("projects=%zu restored=%zu files=%zu\n", r.projects,
                  r.restored, r.files);
      return 0;
    }
    const BatchResult r = ConvertTree(argv[arg], InitTables(), used, report);
    std::printf(
        "projects=%zu converted=%zu already=%zu details=%zu messages=%zu\n",
        r.projects, r.converted, r.skipped, r.details, r.infos);
    return r.infos == 0 ? 0 : 1;
  } catch (const std::filesystem::filesystem_error& e) {
    std::fprintf(stderr, "%s: %d %s: %s\n", argv[0], e.code().value(),
                 e.code().message().c_str(), e.path1().c_str());
    return 1;
  }
}
