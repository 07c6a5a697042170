#ifndef ENGINE_TESTKIT_TESTING_H_
#define ENGINE_TESTKIT_TESTING_H_

#include <cstddef>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/commands.h"
#include "engine/filesystem.h"

// Windows resolves the names a project lists by itself: a backslash is its
// separator, drive letters exist and letter case is ignored. Tests of the
// mapping that other systems need are skipped there.
inline constexpr bool kWindows =
    std::filesystem::path::preferred_separator == '\\';

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
class TempDir {
 public:
  TempDir();
  explicit TempDir(const std::string& base);  // below base instead
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& rel) const;  // path of rel

  // Writes bytes to rel, creating the folders on the way.
  void Write(const std::string& rel, const std::string& bytes) const;
  std::string Read(const std::string& rel) const;
  bool Exists(const std::string& rel) const;
  // Every regular file below the folder, relative path to bytes.
  std::vector<std::pair<std::string, std::string>> Snapshot() const;

 private:
  std::string path_;
};

// Records every call to a progress list as one line ("AddProgress
// Form1.frm", ...) in calls, and keeps the items in progress.
template <class List>
class RecordingProgress : public List {
 public:
  std::vector<std::string> calls;
  std::vector<std::string> progress;

  void ClearProgress() override {
    calls.push_back("ClearProgress");
    progress.clear();
  }
  void AddProgress(const std::string& text) override {
    calls.push_back("AddProgress " + text);
    progress.push_back(text);
  }
  size_t ProgressCount() override {
    calls.push_back("ProgressCount");
    return progress.size();
  }
  std::string ProgressItem(size_t i) override {
    calls.push_back("ProgressItem " + std::to_string(i));
    return progress.at(i);
  }
  void SetProgressItem(size_t i, const std::string& text) override {
    calls.push_back("SetProgressItem " + std::to_string(i) + " " + text);
    progress.at(i) = text;
  }
  void SelectProgress(size_t i) override {
    calls.push_back("SelectProgress " + std::to_string(i));
  }
};

// Records every host call as one line and answers the OK/Cancel question
// from a queue; an unexpected question fails the test.
class RecordingHost : public RecordingProgress<ConversionHost> {
 public:
  std::vector<bool> answers;         // answers to AskOkCancel, first first
  std::vector<std::string> details;  // of each box, in turn
  bool enabled = true;

  void ShowInfo(const std::string& text, const std::string& details) override;
  bool AskOkCancel(const std::string& text,
                   const std::string& details) override;
  void SetWindowEnabled(bool yes) override;
  void Repaint() override;
  void PumpEvents() override;
};

// The real file system, except that the operation numbered fail_at (from 1)
// fails with the errno value fail_errno, and Access denies writing to the paths
// in read_only, as it would for a user without the rights (tests run as root,
// which passes every permission check).
class FaultyFileSystem : public FileSystem {
 public:
  size_t operations = 0;
  size_t fail_at = 0;  // 0: nothing fails
  int fail_errno = 5;  // EIO
  // Every operation from fail_at on fails too, as on a device that is gone.
  bool sticky = false;
  // The failing operation kills the process instead, as a crash or a
  // killed program would stop it there.
  bool kill = false;
  // Bytes the disk takes before it is full: a write that does not fit puts
  // what fits, and the next one fails with ENOSPC.
  size_t disk_free = static_cast<size_t>(-1);
  // Reads and writes move at most this many bytes per call, as the system
  // may do.
  size_t max_transfer = static_cast<size_t>(-1);
  std::set<std::string> read_only;
  // Paths that can be neither read nor listed, whose rights deny us.
  std::set<std::string> unreadable;
  // Paths whose status cannot be had, as for an entry of a folder the system
  // lets us list but not search; their folder's listing does not say what
  // they are, as on a file system that keeps no kinds in its folders.
  std::set<std::string> unexaminable;
  // Link refuses every second name, as FAT and exFAT drives and many
  // network shares do.
  bool no_links = false;
  // Statuses name no file by its id, as on some network shares.
  bool unknown_ids = false;
  // Every known id is 128 bits wide and all share their lower half, as two
  // files of ReFS may share a 64-bit index: only the upper half, where the
  // real id's lower half goes, tells them apart.
  bool shared_low_ids = false;
  // Flush returns at once: a benchmark's way to time a run without it.
  bool skip_flush = false;
  size_t syncs = 0;    // of one file's bytes or of one folder's entries
  size_t flushes = 0;  // of everything written
  std::string failed;  // the operation that failed last, for messages

  std::error_code OpenRead(const std::string& path, int* fd) override;
  std::error_code OpenWrite(const std::string& path, unsigned permissions,
                            int* fd) override;
  std::error_code Read(int fd, char* buf, size_t n, size_t* got) override;
  std::error_code Write(int fd, const char* buf, size_t n,
                        size_t* put) override;
  std::error_code Close(int fd) override;
  std::error_code Stat(const std::string& path, Status* status) override;
  std::error_code StatLink(const std::string& path, Status* status) override;
  std::error_code StatOpen(int fd, Status* status) override;
  std::error_code Access(const std::string& path, bool write) override;
  std::error_code MayReplace(const std::string& path) override;
  std::error_code ResolveLinks(const std::string& path,
                               std::string* target) override;
  std::error_code Link(const std::string& existing,
                       const std::string& link_name) override;
  std::error_code CopyMetadata(const std::string& from, const Status& status,
                               int fd) override;
  std::error_code SyncFile(int fd) override;
  std::error_code SyncDir(const std::string& folder) override;
  std::error_code Flush(const std::vector<std::string>& paths,
                        std::string* unflushed) override;
  std::error_code Rename(const std::string& from,
                         const std::string& to) override;
  std::error_code Remove(const std::string& path) override;
  std::error_code ListDir(const std::string& path,
                          std::vector<std::string>* names,
                          std::vector<Kind>* kinds) override;
  std::error_code ChangeDir(const std::string& path) override;
  std::error_code CurrentDir(std::string* path) override;

 private:
  bool Fails(std::string_view operation, std::string_view path = {},
             std::string_view other = {});
  std::error_code Ids(std::error_code err, Status* status) const;
  FileSystem& real_ = DefaultFileSystem();
};

#endif  // ENGINE_TESTKIT_TESTING_H_
