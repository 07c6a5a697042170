#include "engine/testkit/testing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "engine/paths.h"

namespace fs = std::filesystem;

TempDir::TempDir() : TempDir(fs::temp_directory_path().string()) {}

TempDir::TempDir(const std::string& base) {
  // create_directory makes a folder only where none was, so a name drawn
  // twice, or taken by another test run, is drawn again.
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path folder =
        fs::path(base) / ("convtest." + std::to_string(random()));
    std::error_code ec;
    if (fs::create_directory(folder, ec)) {
      path_ = folder.string();
      return;
    }
  }
  ADD_FAILURE() << "cannot make a temporary folder";
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string TempDir::operator/(const std::string& rel) const {
  // Byte for byte: a path through std::filesystem::path does not come back
  // as the same bytes on Windows once it holds a letter beyond ASCII.
  const char separator = kWindows ? '\\' : '/';
  std::string native = rel;
  std::replace(native.begin(), native.end(), '/', separator);
  return path_ + separator + native;
}

void TempDir::Write(const std::string& rel, const std::string& bytes) const {
  const fs::path file = fs::path(path_) / rel;
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) ADD_FAILURE() << "cannot write " << file;
}

std::string TempDir::Read(const std::string& rel) const {
  std::ifstream in(fs::path(path_) / rel, std::ios::binary);
  if (!in) ADD_FAILURE() << "cannot read " << rel;
  // Whole, not byte by byte: some tests read files of hundreds of megabytes.
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return std::move(bytes).str();
}

bool TempDir::Exists(const std::string& rel) const {
  return fs::exists(fs::path(path_) / rel);
}

std::vector<std::pair<std::string, std::string>> TempDir::Snapshot() const {
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& entry : fs::recursive_directory_iterator(path_)) {
    if (!entry.is_regular_file()) continue;
    const std::string rel = fs::relative(entry.path(), path_).string();
    files.emplace_back(rel, Read(rel));
  }
  std::sort(files.begin(), files.end());
  return files;
}

void RecordingHost::ShowInfo(const std::string& text,
                             const std::string& box_details) {
  calls.push_back("ShowInfo " + text);
  details.push_back(box_details);
}

bool RecordingHost::AskOkCancel(const std::string& text,
                                const std::string& box_details) {
  calls.push_back("AskOkCancel " + text);
  details.push_back(box_details);
  if (answers.empty()) {
    ADD_FAILURE() << "unexpected question: " << text;
    return false;
  }
  const bool answer = answers.front();
  answers.erase(answers.begin());
  return answer;
}

void RecordingHost::SetWindowEnabled(bool yes) {
  calls.push_back(yes ? "SetWindowEnabled yes" : "SetWindowEnabled no");
  enabled = yes;
}

void RecordingHost::Repaint() { calls.push_back("Repaint"); }
void RecordingHost::PumpEvents() { calls.push_back("PumpEvents"); }

namespace {

// The failures this file system makes up, as the system would give them.
std::error_code Errno(int err) {
  return std::error_code(err, std::generic_category());
}

}  // namespace

bool FaultyFileSystem::Fails(std::string_view operation, std::string_view path,
                             std::string_view other) {
  ++operations;
  const bool fails = fail_at != 0 && (operations == fail_at ||
                                      (sticky && operations > fail_at));
  if (!fails) return false;
  // Worded only when it fails: a benchmark's run makes a hundred thousand.
  failed = operation;
  for (std::string_view part : {path, other}) {
    if (!part.empty()) failed.append(" ").append(part);
  }
  if (kill) {
#ifdef SIGKILL
    ::raise(SIGKILL);
#else
    std::_Exit(137);  // no handler runs and no buffer is flushed, as in a kill
#endif
  }
  return true;
}

std::error_code FaultyFileSystem::OpenRead(const std::string& path, int* fd) {
  if (Fails("OpenRead", path)) return Errno(fail_errno);
  if (unreadable.count(path) != 0) return Errno(EACCES);
  return real_.OpenRead(path, fd);
}

std::error_code FaultyFileSystem::OpenWrite(const std::string& path,
                                            unsigned permissions, int* fd) {
  if (Fails("OpenWrite", path)) return Errno(fail_errno);
  return real_.OpenWrite(path, permissions, fd);
}

std::error_code FaultyFileSystem::Read(int fd, char* buf, size_t n,
                                       size_t* got) {
  if (Fails("Read")) return Errno(fail_errno);
  return real_.Read(fd, buf, std::min(n, max_transfer), got);
}

std::error_code FaultyFileSystem::Write(int fd, const char* buf, size_t n,
                                        size_t* put) {
  if (Fails("Write")) return Errno(fail_errno);
  if (disk_free == 0) {
    failed = "Write on a full disk";
    return Errno(ENOSPC);
  }
  const std::error_code err =
      real_.Write(fd, buf, std::min({n, max_transfer, disk_free}), put);
  if (!err) disk_free -= *put;
  return err;
}

std::error_code FaultyFileSystem::Close(int fd) {
  // The descriptor is released even when the close reports a failure, as
  // the system's close does.
  const std::error_code err = real_.Close(fd);
  if (Fails("Close")) return Errno(fail_errno);
  return err;
}

std::error_code FaultyFileSystem::Ids(std::error_code err,
                                      Status* status) const {
  FileId& id = status->id;
  if (unknown_ids) id = {};
  if (!err && shared_low_ids && id.Known()) {
    // The ids of the tests' file systems fit in 64 bits.
    id.high = id.low;
    id.low = 1;
    id.bits = 128;
  }
  return err;
}

std::error_code FaultyFileSystem::Stat(const std::string& path,
                                       Status* status) {
  if (Fails("Stat", path)) return Errno(fail_errno);
  if (unexaminable.count(path) != 0) return Errno(EACCES);
  return Ids(real_.Stat(path, status), status);
}

std::error_code FaultyFileSystem::Access(const std::string& path, bool write) {
  if (Fails("Access", path)) return Errno(fail_errno);
  if (unreadable.count(path) != 0) return Errno(EACCES);
  if (write && read_only.count(path) != 0) return Errno(EACCES);
  return real_.Access(path, write);
}

std::error_code FaultyFileSystem::StatLink(const std::string& path,
                                           Status* status) {
  if (Fails("StatLink", path)) return Errno(fail_errno);
  if (unexaminable.count(path) != 0) return Errno(EACCES);
  return Ids(real_.StatLink(path, status), status);
}

std::error_code FaultyFileSystem::StatOpen(int fd, Status* status) {
  if (Fails("StatOpen")) return Errno(fail_errno);
  return Ids(real_.StatOpen(fd, status), status);
}

std::error_code FaultyFileSystem::MayReplace(const std::string& path) {
  if (Fails("MayReplace", path)) return Errno(fail_errno);
  return real_.MayReplace(path);
}

std::error_code FaultyFileSystem::ResolveLinks(const std::string& path,
                                               std::string* target) {
  if (Fails("ResolveLinks", path)) return Errno(fail_errno);
  return real_.ResolveLinks(path, target);
}

std::error_code FaultyFileSystem::Link(const std::string& existing,
                                       const std::string& link_name) {
  if (Fails("Link", existing, link_name)) return Errno(fail_errno);
  if (no_links) return Errno(EPERM);
  return real_.Link(existing, link_name);
}

std::error_code FaultyFileSystem::CopyMetadata(const std::string& from,
                                               const Status& status, int fd) {
  if (Fails("CopyMetadata", from)) return Errno(fail_errno);
  return real_.CopyMetadata(from, status, fd);
}

std::error_code FaultyFileSystem::SyncFile(int fd) {
  if (Fails("SyncFile")) return Errno(fail_errno);
  ++syncs;
  return real_.SyncFile(fd);
}

std::error_code FaultyFileSystem::SyncDir(const std::string& folder) {
  if (Fails("SyncDir", folder)) return Errno(fail_errno);
  ++syncs;
  return real_.SyncDir(folder);
}

std::error_code FaultyFileSystem::Flush(const std::vector<std::string>& paths,
                                        std::string* unflushed) {
  if (Fails("Flush")) {
    *unflushed = paths.empty() ? std::string() : paths.front();
    return Errno(fail_errno);
  }
  ++flushes;
  if (skip_flush) return std::error_code();
  return real_.Flush(paths, unflushed);
}

std::error_code FaultyFileSystem::Rename(const std::string& from,
                                         const std::string& to) {
  if (Fails("Rename", from, to)) return Errno(fail_errno);
  return real_.Rename(from, to);
}

std::error_code FaultyFileSystem::Remove(const std::string& path) {
  if (Fails("Remove", path)) return Errno(fail_errno);
  return real_.Remove(path);
}

std::error_code FaultyFileSystem::ListDir(const std::string& path,
                                          std::vector<std::string>* names,
                                          std::vector<Kind>* kinds) {
  if (Fails("ListDir", path)) return Errno(fail_errno);
  if (unreadable.count(path) != 0) return Errno(EACCES);
  const std::error_code err = real_.ListDir(path, names, kinds);
  // A listing tells nothing of an entry that cannot be examined.
  if (!err && kinds != nullptr) {
    for (size_t k = 0; k < names->size(); ++k) {
      if (unexaminable.count(JoinPath(path, (*names)[k])) != 0) {
        (*kinds)[k] = Kind::kMissing;
      }
    }
  }
  return err;
}

std::error_code FaultyFileSystem::ChangeDir(const std::string& path) {
  if (Fails("ChangeDir", path)) return Errno(fail_errno);
  if (unreadable.count(path) != 0) return Errno(EACCES);
  return real_.ChangeDir(path);
}

std::error_code FaultyFileSystem::CurrentDir(std::string* path) {
  if (Fails("CurrentDir")) return Errno(fail_errno);
  return real_.CurrentDir(path);
}
