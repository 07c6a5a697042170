#ifndef ENGINE_TESTKIT_TREECHECK_H_
#define ENGINE_TESTKIT_TREECHECK_H_

#include <map>
#include <string>
#include <vector>

// One entry of a folder tree. Links are kept as links, never followed, so a
// link replaced by a copy of its target shows.
struct TreeEntry {
  enum class Kind { kFile, kLink, kFolder };
  Kind kind = Kind::kFile;
  std::string bytes;  // a file's bytes, a link's target, nothing for a folder

  bool operator==(const TreeEntry&) const = default;
};

// A folder's content, path relative to the folder to entry.
using Tree = std::map<std::string, TreeEntry>;

Tree ReadTree(const std::string& root);
// Creates every entry of tree below root (folders, files and links).
void WriteTree(const std::string& root, const Tree& tree);
TreeEntry File(std::string bytes);
TreeEntry Link(std::string target);

// The promise a conversion keeps however it ends, finished, failed or
// killed: every file of before either keeps its bytes, or its ".bak" holds
// exactly those bytes and the file holds its converted text (what a finished
// run leaves, given as converted). A backup is only ever replaced by a copy
// of its file's bytes, and only where a finished run replaces it too; no
// entry disappears and nothing else appears but new backups. No file ever
// holds anything but its bytes or its whole converted text. When in_flight is
// true (a killed run, or a device that failed for good), what the run was
// writing may be left under a temporary name: part of a file's bytes under
// "<name>.bak~", part of its converted text under "<name>.new~". Returns one
// line per broken promise, none when kept.
std::vector<std::string> CheckTree(const Tree& before, const Tree& after,
                                   const Tree& converted, bool in_flight);

// The promise a restore keeps however it ends, starting from converted, the
// tree a conversion of before left: every name holds its converted or its
// original bytes; a backup is only ever gone by giving its bytes back to
// its file; nothing appears. Returns one line per broken promise.
std::vector<std::string> CheckRestoredTree(const Tree& before,
                                           const Tree& converted,
                                           const Tree& after);

#endif  // ENGINE_TESTKIT_TREECHECK_H_
