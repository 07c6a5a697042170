#ifndef BENCH_SYNTHTREE_H_
#define BENCH_SYNTHTREE_H_

#include <cstddef>
#include <cstdint>
#include <string>

struct TreeOptions {
  uint64_t seed = 1;
  uint64_t bytes = 120 << 20;  // the tree stops at the first project past it
};

struct TreeSummary {
  size_t folders = 0;   // project folders
  size_t projects = 0;  // project files, build variants included
  size_t listed = 0;    // form and user-control files on disk
  size_t files = 0;     // every file
  uint64_t bytes = 0;   // of every file
};

// Writes under root one folder per project, the way a migration team's
// checkout looks: project files listing forms (in the folder and in a forms
// subfolder, names in any letter case), user controls, modules and classes,
// some build variants sharing a folder's forms, and a shared form folder that
// several projects list through "..\". Projects are added until the files
// reach options.bytes; a smaller size with the same seed gives a prefix of
// the same tree.
TreeSummary WriteTree(const std::string& root, const TreeOptions& options);

// Writes folder/Big.vbp listing one form, folder/frmBig.frm, of about bytes
// bytes, in bounded memory.
TreeSummary WriteBigProject(const std::string& folder, uint64_t bytes,
                            bool crlf, uint64_t seed);

#endif  // BENCH_SYNTHTREE_H_
