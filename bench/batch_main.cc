// Converts every project of a tree with the engine alone, as the window's
// batch command would, and says what it did.
#include <cstdio>
#include <filesystem>

#include "bench/batch.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s ROOT\n", argv[0]);
    return 2;
  }
  try {
    const BatchResult r = ConvertTree(argv[1], InitTables());
    std::printf("projects=%zu converted=%zu already=%zu messages=%zu\n",
                r.projects, r.converted, r.skipped, r.infos);
    return r.infos == 0 ? 0 : 1;
  } catch (const std::filesystem::filesystem_error& e) {
    std::fprintf(stderr, "%s: %d %s: %s\n", argv[0], e.code().value(),
                 e.code().message().c_str(), e.path1().c_str());
    return 1;
  }
}
