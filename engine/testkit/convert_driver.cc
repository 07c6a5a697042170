// Converts one project, or every project of a batch folder, in a process of
// its own, so that a test can kill it anywhere and look at what it left.
//
//   convert_driver PATH [KILL_AT]
//
// PATH is a project file or a batch folder. With KILL_AT the process kills
// itself with SIGKILL just before its KILL_AT-th file operation. Exits 0 when
// the conversion finished, 1 when it failed (the error on stderr), 2 on bad
// arguments.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/files.h"
#include "engine/projectconvert.h"
#include "engine/testkit/batchdriver.h"
#include "engine/testkit/testing.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: convert_driver PATH [KILL_AT]\n");
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
  try {
    if (StatFile(fs, path).kind == FileSystem::Kind::kDirectory) {
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
