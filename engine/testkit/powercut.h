#ifndef ENGINE_TESTKIT_POWERCUT_H_
#define ENGINE_TESTKIT_POWERCUT_H_

#include <cstddef>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/filesystem.h"
#include "engine/testkit/testing.h"

// What a disk holds after a power cut, by what the operations before it
// made durable. Folder entries (a new file, a link, a rename, a removal)
// reach the disk in the order they were made, as a journal keeps them: all
// of them up to the last folder flush, then any number of the later ones.
// A file's bytes written since it was last flushed may have reached the disk
// or not, independently of every other file's.
class DiskModel {
 public:
  using Disk = std::map<std::string, std::string>;  // name to bytes

  // The files of disk count as flushed.
  explicit DiskModel(const Disk& disk);

  int Create(const std::string& path);  // a new, empty file; its number
  void Write(int file, const std::string& bytes);
  void Truncate(int file);
  int FileAt(const std::string& path) const;  // -1 where there is none
  void Link(int file, const std::string& path);
  void Rename(const std::string& from, const std::string& to);
  void Remove(const std::string& path);
  void SyncFile(int file);
  void SyncFolders();  // every folder entry made so far
  void SyncAll();

  size_t events() const { return events_.size(); }
  // The disks a cut after the first `cut` events may leave: every one of
  // them where they are at most `limit`, else `limit` drawn at random. The
  // first is the one where nothing since the last flush reached the disk,
  // the last (with a limit above 1) the one where everything did.
  std::vector<Disk> DisksAfter(size_t cut, size_t limit,
                               std::mt19937& random) const;

 private:
  enum class Op {
    kCreate,
    kWrite,
    kTruncate,
    kLink,
    kRename,
    kRemove,
    kSyncFile,
    kSyncFolders,
    kSyncAll
  };
  struct Event {
    Op op;
    int file = -1;
    std::string path, to, bytes;
  };
  bool IsEntry(Op op) const {
    return op == Op::kCreate || op == Op::kLink || op == Op::kRename ||
           op == Op::kRemove;
  }

  std::map<std::string, int> initial_names_;
  std::vector<std::string> initial_bytes_;
  std::map<std::string, int> names_;  // as the operations left them
  int files_ = 0;
  std::vector<Event> events_;
};

// The machine's file system (failing nothing unless asked, as its base
// does), with every operation that changes the disk also played on a model
// of the disk below root (a tree without symbolic links).
class JournalingFileSystem : public FaultyFileSystem {
 public:
  explicit JournalingFileSystem(const std::string& root);
  DiskModel& model() { return model_; }

  std::error_code OpenWrite(const std::string& path, unsigned permissions,
                            int* fd) override;
  std::error_code Write(int fd, const char* buf, size_t n,
                        size_t* put) override;
  std::error_code Close(int fd) override;
  std::error_code Link(const std::string& existing,
                       const std::string& link_name) override;
  std::error_code SyncFile(int fd) override;
  std::error_code SyncDir(const std::string& folder) override;
  std::error_code Flush(const std::vector<std::string>& paths,
                        std::string* unflushed) override;
  std::error_code Rename(const std::string& from,
                         const std::string& to) override;
  std::error_code Remove(const std::string& path) override;
  std::error_code ChangeDir(const std::string& path) override;

 private:
  std::string Name(const std::string& path) const;  // absolute, normal

  DiskModel model_;
  std::map<int, int> written_;  // descriptor to the model's file
  std::string cwd_;
};

// Every regular file below root, by absolute name.
DiskModel::Disk ReadDisk(const std::string& root);

#endif  // ENGINE_TESTKIT_POWERCUT_H_
