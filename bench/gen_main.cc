// Writes the benchmark's inputs: a tree of projects, a project with one huge
// form, or the sed script that stands for what a user would write instead.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/sedscript.h"
#include "bench/synthtree.h"

namespace {

int Usage(const char* self) {
  std::fprintf(stderr,
               "usage: %s tree ROOT MEGABYTES [SEED]\n"
               "       %s big FOLDER MEGABYTES crlf|lf [SEED]\n"
               "       %s sed-script FILE\n",
               self, self, self);
  return 2;
}

uint64_t Number(const char* s) { return std::strtoull(s, nullptr, 10); }

void Print(const TreeSummary& s) {
  std::printf("folders=%zu projects=%zu listed=%zu files=%zu bytes=%llu\n",
              s.folders, s.projects, s.listed, s.files,
              static_cast<unsigned long long>(s.bytes));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  try {
    if (command == "tree" && (argc == 4 || argc == 5)) {
      TreeOptions options;
      options.bytes = Number(argv[3]) << 20;
      if (argc == 5) options.seed = Number(argv[4]);
      Print(WriteTree(argv[2], options));
    } else if (command == "big" && (argc == 5 || argc == 6)) {
      const std::string ends = argv[4];
      if (ends != "crlf" && ends != "lf") return Usage(argv[0]);
      Print(WriteBigProject(argv[2], Number(argv[3]) << 20, ends == "crlf",
                            argc == 6 ? Number(argv[5]) : 1));
    } else if (command == "sed-script" && argc == 3) {
      std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
      out << SedScript(InitTables());
      if (!out.flush()) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
      }
    } else {
      return Usage(argv[0]);
    }
  } catch (const std::filesystem::filesystem_error& e) {
    std::fprintf(stderr, "%s: %d %s: %s\n", argv[0], e.code().value(),
                 e.code().message().c_str(), e.path1().c_str());
    return 1;
  }
  return 0;
}
