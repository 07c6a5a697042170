#include "engine/testkit/powercut.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <utility>

namespace stdfs = std::filesystem;

DiskModel::DiskModel(const Disk& disk) {
  for (const auto& [name, bytes] : disk) {
    initial_names_[name] = files_++;
    initial_bytes_.push_back(bytes);
  }
  names_ = initial_names_;
}

int DiskModel::Create(const std::string& path) {
  const int file = files_++;
  names_[path] = file;
  events_.push_back({Op::kCreate, file, path, {}, {}});
  return file;
}

void DiskModel::Write(int file, const std::string& bytes) {
  events_.push_back({Op::kWrite, file, {}, {}, bytes});
}

void DiskModel::Truncate(int file) {
  events_.push_back({Op::kTruncate, file, {}, {}, {}});
}

int DiskModel::FileAt(const std::string& path) const {
  const auto it = names_.find(path);
  return it == names_.end() ? -1 : it->second;
}

void DiskModel::Link(int file, const std::string& path) {
  names_[path] = file;
  events_.push_back({Op::kLink, file, path, {}, {}});
}

void DiskModel::Rename(const std::string& from, const std::string& to) {
  if (from == to) return;
  names_[to] = FileAt(from);
  names_.erase(from);
  events_.push_back({Op::kRename, -1, from, to, {}});
}

void DiskModel::Remove(const std::string& path) {
  names_.erase(path);
  events_.push_back({Op::kRemove, -1, path, {}, {}});
}

void DiskModel::SyncFile(int file) {
  events_.push_back({Op::kSyncFile, file, {}, {}, {}});
}

void DiskModel::SyncFolders() {
  events_.push_back({Op::kSyncFolders, -1, {}, {}, {}});
}

void DiskModel::SyncAll() { events_.push_back({Op::kSyncAll, -1, {}, {}, {}}); }

std::vector<DiskModel::Disk> DiskModel::DisksAfter(size_t cut, size_t limit,
                                                   std::mt19937& random) const {
  // What each file holds by the cut, and what of it is on disk for sure.
  std::vector<std::string> now(initial_bytes_);
  now.resize(static_cast<size_t>(files_));
  std::vector<std::string> durable = now;
  std::vector<const Event*> entries;
  size_t entries_durable = 0;
  for (size_t i = 0; i < cut && i < events_.size(); ++i) {
    const Event& e = events_[i];
    const size_t f = static_cast<size_t>(e.file);
    switch (e.op) {
      case Op::kWrite:
        now[f] += e.bytes;
        break;
      case Op::kTruncate:
        now[f].clear();
        break;
      case Op::kSyncFile:
        durable[f] = now[f];
        break;
      case Op::kSyncAll:
        durable = now;
        [[fallthrough]];
      case Op::kSyncFolders:
        entries_durable = entries.size();
        break;
      default:
        entries.push_back(&e);
    }
  }
  std::vector<size_t> dirty;
  for (size_t f = 0; f < now.size(); ++f) {
    if (now[f] != durable[f]) dirty.push_back(f);
  }
  const size_t late = entries.size() - entries_durable;
  // How many of the later entries reached the disk, and which files' bytes.
  std::vector<std::pair<size_t, std::vector<bool>>> choices;
  const size_t count = dirty.size() < 20 ? (late + 1) << dirty.size() : 0;
  if (count != 0 && count <= limit) {
    for (size_t c = 0; c < count; ++c) {
      std::vector<bool> bits(dirty.size());
      for (size_t b = 0; b < bits.size(); ++b) bits[b] = (c >> b) & 1;
      choices.emplace_back(c >> dirty.size(), std::move(bits));
    }
  } else if (limit != 0) {
    // The two extremes are where losses show first: a drawn sample keeps them.
    choices.emplace_back(0, std::vector<bool>(dirty.size(), false));
    for (size_t c = 2; c < limit; ++c) {
      std::vector<bool> bits(dirty.size());
      for (size_t b = 0; b < bits.size(); ++b) bits[b] = random() & 1;
      choices.emplace_back(random() % (late + 1), std::move(bits));
    }
    if (limit > 1) {
      choices.emplace_back(late, std::vector<bool>(dirty.size(), true));
    }
  }
  std::vector<Disk> disks;
  for (const auto& [reached, bits] : choices) {
    std::map<std::string, int> names = initial_names_;
    for (size_t i = 0; i < entries_durable + reached; ++i) {
      const Event& e = *entries[i];
      if (e.op == Op::kCreate || e.op == Op::kLink) names[e.path] = e.file;
      if (e.op == Op::kRename) {
        names[e.to] = names.at(e.path);
        names.erase(e.path);
      }
      if (e.op == Op::kRemove) names.erase(e.path);
    }
    std::vector<const std::string*> shows(now.size());
    for (size_t f = 0; f < now.size(); ++f) shows[f] = &durable[f];
    for (size_t b = 0; b < dirty.size(); ++b) {
      if (bits[b]) shows[dirty[b]] = &now[dirty[b]];
    }
    Disk& disk = disks.emplace_back();
    for (const auto& [name, file] : names) {
      disk[name] = *shows[static_cast<size_t>(file)];
    }
  }
  return disks;
}

DiskModel::Disk ReadDisk(const std::string& root) {
  DiskModel::Disk disk;
  for (const auto& entry : stdfs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file() || entry.is_symlink()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    disk[stdfs::absolute(entry.path()).lexically_normal().string()] =
        std::move(bytes).str();
  }
  return disk;
}

JournalingFileSystem::JournalingFileSystem(const std::string& root)
    : model_(ReadDisk(root)), cwd_(stdfs::current_path().string()) {}

std::string JournalingFileSystem::Name(const std::string& path) const {
  const stdfs::path p(path);
  return (p.is_absolute() ? p : stdfs::path(cwd_) / p)
      .lexically_normal()
      .string();
}

std::error_code JournalingFileSystem::OpenWrite(const std::string& path,
                                                unsigned permissions, int* fd) {
  const std::error_code err =
      FaultyFileSystem::OpenWrite(path, permissions, fd);
  if (!err) written_[*fd] = model_.Create(Name(path));
  return err;
}

std::error_code JournalingFileSystem::Write(int fd, const char* buf, size_t n,
                                            size_t* put) {
  const std::error_code err = FaultyFileSystem::Write(fd, buf, n, put);
  const auto it = written_.find(fd);
  if (!err && it != written_.end()) {
    model_.Write(it->second, std::string(buf, *put));
  }
  return err;
}

std::error_code JournalingFileSystem::Close(int fd) {
  written_.erase(fd);
  return FaultyFileSystem::Close(fd);
}

std::error_code JournalingFileSystem::Link(const std::string& existing,
                                           const std::string& link_name) {
  const std::error_code err = FaultyFileSystem::Link(existing, link_name);
  if (!err) model_.Link(model_.FileAt(Name(existing)), Name(link_name));
  return err;
}

std::error_code JournalingFileSystem::SyncFile(int fd) {
  const std::error_code err = FaultyFileSystem::SyncFile(fd);
  const auto it = written_.find(fd);
  if (!err && it != written_.end()) model_.SyncFile(it->second);
  return err;
}

std::error_code JournalingFileSystem::SyncDir(const std::string& folder) {
  const std::error_code err = FaultyFileSystem::SyncDir(folder);
  if (!err) model_.SyncFolders();
  return err;
}

std::error_code JournalingFileSystem::Flush(
    const std::vector<std::string>& paths, std::string* unflushed) {
  const std::error_code err = FaultyFileSystem::Flush(paths, unflushed);
  if (!err) model_.SyncAll();
  return err;
}

std::error_code JournalingFileSystem::Rename(const std::string& from,
                                             const std::string& to) {
  const std::error_code err = FaultyFileSystem::Rename(from, to);
  if (!err) model_.Rename(Name(from), Name(to));
  return err;
}

std::error_code JournalingFileSystem::Remove(const std::string& path) {
  const std::error_code err = FaultyFileSystem::Remove(path);
  if (!err) model_.Remove(Name(path));
  return err;
}

std::error_code JournalingFileSystem::ChangeDir(const std::string& path) {
  const std::error_code err = FaultyFileSystem::ChangeDir(path);
  if (!err) cwd_ = Name(path);
  return err;
}
