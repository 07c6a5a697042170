// Converts one project, or every project of a batch folder, in a process of
// its own, so that a test can kill it anywhere and look at what it left;
// with --restore, restores them from their backups instead.
//
//   convert_driver [--restore] PATH [KILL_AT]
//
// PATH is a project file or a batch folder. With KILL_AT the process kills
// itself with SIGKILL just before its KILL_AT-th file operation. Exits 0 when
// the command finished, 1 when it failed (the error on stderr), 2 on bad
// arguments.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/files.h"
#include "engine/projectconvert.h"
#include "engine/restorecommand.h"
#include "engine/testkit/batchdriver.h"
#include "engine/testkit/testing.h"

int main(int argc, char** argv) {
  const bool restore = argc > 1 && std::string(argv[1]) == "--restore";
  argv += restore ? 1 : 0;
  argc -= restore ? 1 : 0;
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: convert_driver [--restore] PATH [KILL_AT]\n");
    return 2;
  }
  const std::string path = argv[1];
  FaultyFileSystem fs;
  if (argc == 3) {
    fs.fail_at = std::strtoull(argv[2], nullptr, 10);
    fs.kill = true;
  }
  const Tables tables = InitTables();
  RecordingHost host;
  host.answers = {true};
  try {
    const bool batch = StatFile(fs, path).kind == FileSystem::Kind::kDirectory;
    RestorePlan plan;
    if (restore && batch) {
      RestoreBatch(path, tables, host, fs);
    } else if (restore) {
      RestoreProject(path, tables, host, fs, plan);
    } else if (batch) {
      ConvertBatch(path, tables, host, fs);
    } else {
      ConvertProject(path, false, tables, host, fs);
    }
  } catch (const std::filesystem::filesystem_error& e) {
    std::fprintf(stderr, "%d %s %s\n", e.code().value(),
                 e.code().message().c_str(), e.path1().c_str());
    return 1;
  }
  return 0;
}
