#include "engine/testkit/treecheck.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kBak = ".bak";
// What a run stopped half way may leave: the backup's name before it takes
// its place (a second name of the file, or a part of its copy), and a part of
// the new file's text.
constexpr std::string_view kBackupTemp = ".bak~";
constexpr std::string_view kNewTemp = ".new~";

bool EndsWith(const std::string& s, std::string_view end) {
  return s.size() >= end.size() &&
         s.compare(s.size() - end.size(), end.size(), end) == 0;
}

bool IsPrefix(const std::string& part, const std::string& whole) {
  return whole.compare(0, part.size(), part) == 0 &&
         part.size() <= whole.size();
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return std::move(bytes).str();
}

// The file of before that name backs up (or holds a partial copy of), if
// any.
const TreeEntry* BaseOf(const Tree& before, const std::string& name,
                        std::string_view suffix) {
  if (!EndsWith(name, suffix)) return nullptr;
  const auto it = before.find(name.substr(0, name.size() - suffix.size()));
  if (it == before.end() || it->second.kind != TreeEntry::Kind::kFile) {
    return nullptr;
  }
  return &it->second;
}

const TreeEntry* Find(const Tree& tree, const std::string& name) {
  const auto it = tree.find(name);
  return it == tree.end() ? nullptr : &it->second;
}

}  // namespace

TreeEntry File(std::string bytes) {
  return {TreeEntry::Kind::kFile, std::move(bytes)};
}

TreeEntry Link(std::string target) {
  return {TreeEntry::Kind::kLink, std::move(target)};
}

Tree ReadTree(const std::string& root) {
  Tree tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string rel = entry.path().lexically_relative(root).string();
    if (entry.is_symlink()) {
      tree[rel] = Link(fs::read_symlink(entry.path()).string());
    } else if (entry.is_directory()) {
      tree[rel] = {TreeEntry::Kind::kFolder, {}};
    } else {
      tree[rel] = File(ReadBytes(entry.path()));
    }
  }
  return tree;
}

void WriteTree(const std::string& root, const Tree& tree) {
  for (const auto& [rel, entry] : tree) {
    const fs::path path = fs::path(root) / rel;
    fs::create_directories(path.parent_path());
    switch (entry.kind) {
      case TreeEntry::Kind::kFolder:
        fs::create_directories(path);
        break;
      case TreeEntry::Kind::kLink:
        fs::create_symlink(entry.bytes, path);
        break;
      case TreeEntry::Kind::kFile: {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(entry.bytes.data(),
                  static_cast<std::streamsize>(entry.bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + path.string());
        break;
      }
    }
  }
}

std::vector<std::string> CheckTree(const Tree& before, const Tree& after,
                                   const Tree& converted, bool in_flight) {
  std::vector<std::string> broken;
  size_t in_flight_files = 0;
  for (const auto& [name, was] : before) {
    const TreeEntry* is = Find(after, name);
    if (is == nullptr) {
      broken.push_back(name + " disappeared");
      continue;
    }
    if (*is == was) continue;
    if (was.kind != TreeEntry::Kind::kFile || is->kind != was.kind) {
      broken.push_back(name + " changed its kind or its link");
      continue;
    }
    if (const TreeEntry* base = BaseOf(before, name, kBak)) {
      // An older backup gives way only to a fresh copy of its file, and only
      // where a finished run also makes one.
      const TreeEntry* full = Find(converted, name);
      if (*is != *base || full == nullptr || *full != *base) {
        broken.push_back(name + " was replaced by other bytes");
      }
      continue;
    }
    const TreeEntry* bak = Find(after, name + std::string(kBak));
    if (bak == nullptr || *bak != was) {
      broken.push_back(name + " changed without a backup of its bytes");
      continue;
    }
    const TreeEntry* full = Find(converted, name);
    if (full == nullptr || *is != *full) ++in_flight_files;
  }
  if (in_flight_files > 0) {
    broken.push_back(std::to_string(in_flight_files) +
                     " files hold neither their bytes nor their converted "
                     "text");
  }
  for (const auto& [name, is] : after) {
    if (before.count(name) != 0) continue;
    if (const TreeEntry* base = BaseOf(before, name, kBak)) {
      const TreeEntry* full = Find(converted, name);
      if (is != *base || full == nullptr || *full != *base) {
        broken.push_back(name + " is a backup of other bytes");
      }
      continue;
    }
    const TreeEntry* original = BaseOf(before, name, kBackupTemp);
    const TreeEntry* fresh = BaseOf(converted, name, kNewTemp);
    if (original == nullptr && fresh == nullptr) {
      broken.push_back(name + " appeared");
    } else if (!in_flight) {
      broken.push_back(name + " was left behind");
    } else if (is.kind != TreeEntry::Kind::kFile ||
               !IsPrefix(is.bytes, (original ? original : fresh)->bytes)) {
      broken.push_back(name + " is no part of its file");
    }
  }
  return broken;
}

std::vector<std::string> CheckRestoredTree(const Tree& before,
                                           const Tree& converted,
                                           const Tree& after) {
  std::vector<std::string> broken;
  for (const auto& [name, is] : after) {
    if (converted.count(name) == 0) broken.push_back(name + " appeared");
  }
  for (const auto& [name, was] : converted) {
    const TreeEntry* is = Find(after, name);
    if (BaseOf(converted, name, kBak) != nullptr) {
      const std::string file = name.substr(0, name.size() - kBak.size());
      const TreeEntry* back = Find(after, file);
      if (is == nullptr ? back == nullptr || *back != was : *is != was) {
        broken.push_back(name + " went without giving its bytes back");
      }
      continue;
    }
    const TreeEntry* original = Find(before, name);
    if (is == nullptr) {
      broken.push_back(name + " disappeared");
    } else if (*is != was && (original == nullptr || *is != *original)) {
      broken.push_back(name + " holds neither its converted nor its bytes");
    }
  }
  return broken;
}
