#ifndef ENGINE_BACKUP_H_
#define ENGINE_BACKUP_H_

#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "engine/filesystem.h"

// A copy of a file made under a temporary name beside its backup name, and
// only then renamed over it: an existing backup is replaced whole or not at
// all, even when the copy fails half way or the process is killed.
class Backup {
 public:
  // Copies path; watch sees every chunk of its bytes on the way.
  Backup(FileSystem& fs, const std::string& path, const std::string& bak,
         const std::function<void(std::string_view)>& watch);
  Backup(const Backup&) = delete;
  Backup& operator=(const Backup&) = delete;
  // An uncommitted copy is removed, also when the copying throws.

  unsigned permissions() const { return permissions_; }
  void Commit();  // the copy becomes the backup
  void Discard();

 private:
  class TempFile {
   public:
    TempFile(FileSystem& fs, std::string path)
        : fs_(fs), path_(std::move(path)) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
      if (!gone_) fs_.Remove(path_);
    }
    const std::string& path() const { return path_; }
    void Forget() { gone_ = true; }

   private:
    FileSystem& fs_;
    std::string path_;
    bool gone_ = false;
  };

  FileSystem& fs_;
  std::string bak_;
  TempFile temp_;
  unsigned permissions_ = 0;
};

// Copies path to bak, replacing an older backup.
void BackUp(FileSystem& fs, const std::string& path, const std::string& bak);

class OutputFile;

// Rewrites path, whose backup bak is complete, with what write puts into it.
// When the rewrite fails the file would be left cut short, so its bytes are
// copied back from bak (as far as the failure allows) before the error goes
// on.
void RewriteBackedUp(FileSystem& fs, const std::string& path,
                     const std::string& bak, unsigned permissions,
                     const std::function<void(OutputFile&)>& write);

#endif  // ENGINE_BACKUP_H_
