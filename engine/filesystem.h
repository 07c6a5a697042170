#ifndef ENGINE_FILESYSTEM_H_
#define ENGINE_FILESYSTEM_H_

#include <compare>
#include <cstddef>
#include <string>
#include <system_error>
#include <vector>

// Every file operation of a conversion goes through this seam, so tests can
// make any single one fail and check what is left on disk. Each call returns
// an empty error_code on success and the failure of the call that met it
// otherwise, as the system gave it: an errno value, or on Windows the
// system's own code, which compares equal to its errno value as a
// std::errc. None throws, and none keeps a failure for a later call to
// find.
class FileSystem {
 public:
  // kLink only from StatLink: every other call follows symbolic links.
  enum class Kind { kMissing, kRegular, kDirectory, kLink, kOther };
  // Which file a name reaches: two names with equal known ids are one file
  // (a link, a name spelt two ways). A system names its files by 64 bits
  // (an inode, an older Windows's file index) or by 128 (Windows 8 and
  // later, whose ReFS reuses 64-bit indexes); ids of two widths are never
  // compared as one.
  struct FileId {
    unsigned long long device = 0;  // the volume
    unsigned long long high = 0;    // the upper half of a 128-bit id
    unsigned long long low = 0;     // an inode, an index, or the lower half
    int bits = 0;                   // 64 or 128; 0 where the system gave none
    bool Known() const {
      return bits != 0 && (device != 0 || high != 0 || low != 0);
    }
    friend auto operator<=>(const FileId&, const FileId&) = default;
  };
  struct Status {
    Kind kind = Kind::kMissing;
    unsigned permissions = 0;  // the mode's permission bits
    FileId id;
    unsigned long long links = 1;  // how many names the file has
    // The file's length, and when its bytes last changed, in the system's
    // own units: with the id, whether it still holds what was read.
    unsigned long long size = 0;
    long long modified = 0;
    // Who owns it, where the system has owners.
    unsigned long owner = 0;
    unsigned long group = 0;
  };

  virtual ~FileSystem() = default;

  virtual std::error_code OpenRead(const std::string& path, int* fd) = 0;
  // Creates a new file with the given permission bits; a name already taken
  // (by anything, a dangling link too) is std::errc::file_exists, so nothing is
  // ever written through a name someone else put there.
  virtual std::error_code OpenWrite(const std::string& path,
                                    unsigned permissions, int* fd) = 0;
  virtual std::error_code Read(int fd, char* buf, size_t n, size_t* got) = 0;
  // May write fewer than n bytes; *put says how many.
  virtual std::error_code Write(int fd, const char* buf, size_t n,
                                size_t* put) = 0;
  virtual std::error_code Close(int fd) = 0;
  // Follows symbolic links. A missing path is kMissing, not an error.
  virtual std::error_code Stat(const std::string& path, Status* status) = 0;
  // Does not follow a final symbolic link: a link is kLink.
  virtual std::error_code StatLink(const std::string& path, Status* status) = 0;
  // The status of the open file fd.
  virtual std::error_code StatOpen(int fd, Status* status) = 0;
  // Whether the caller may read (and, if write, write) path.
  virtual std::error_code Access(const std::string& path, bool write) = 0;
  // Whether the folder of path lets the caller replace or remove that name:
  // a folder with the sticky bit refuses it for another user's file.
  virtual std::error_code MayReplace(const std::string& path) = 0;
  // The name of the file path reaches once every symbolic link is followed.
  virtual std::error_code ResolveLinks(const std::string& path,
                                       std::string* target) = 0;
  // Gives the file existing (links followed) the further name link_name,
  // which must not exist. File systems without hard links refuse it.
  virtual std::error_code Link(const std::string& existing,
                               const std::string& link_name) = 0;
  // Gives the open file fd what it can of from's owner, group, permission
  // bits and extended attributes (access control lists among them); status
  // is from's, just looked up.
  virtual std::error_code CopyMetadata(const std::string& from,
                                       const Status& status, int fd) = 0;
  // Returns once the bytes of the open file fd are on disk.
  virtual std::error_code SyncFile(int fd) = 0;
  // Returns once the entries of folder (a name just added) are on disk.
  virtual std::error_code SyncDir(const std::string& folder) = 0;
  // Returns once everything written to these files, their names included,
  // is on disk: as few flushes as the system allows, not one per file. A
  // path that cannot be reached is a failure like any other, never passed
  // over: *unflushed is then the path the failure met.
  virtual std::error_code Flush(const std::vector<std::string>& paths,
                                std::string* unflushed) = 0;
  // Replaces to atomically when it exists.
  virtual std::error_code Rename(const std::string& from,
                                 const std::string& to) = 0;
  // Rename, returning once the new name is on disk too: a copy made for a
  // backup must be durable under its own name before the original goes. By
  // default the rename and a flush of the folder; Windows, which cannot
  // flush a folder of a FAT drive, writes the rename through.
  virtual std::error_code RenameDurably(const std::string& from,
                                        const std::string& to);
  virtual std::error_code Remove(const std::string& path) = 0;
  // Names of the entries of a directory, without "." and "..", and, where
  // kinds is given, what each is as the listing tells, links not followed:
  // kMissing where it does not tell.
  virtual std::error_code ListDir(const std::string& path,
                                  std::vector<std::string>* names,
                                  std::vector<Kind>* kinds) = 0;
  // Makes path the process's current directory, as the batch command does
  // before converting each project.
  virtual std::error_code ChangeDir(const std::string& path) = 0;
  // The process's current directory, as the system gives it.
  virtual std::error_code CurrentDir(std::string* path) = 0;
};

// Whether a and b are one file: never where either id is unknown, so a file
// system that names no file by an id never has one file taken for another.
bool SameFile(const FileSystem::Status& a, const FileSystem::Status& b);

// The real file system of the machine.
FileSystem& DefaultFileSystem();

// The error the engine finds on its own, with no call failing: a listed
// file that is missing, a folder where a form should be. A missing file is
// worded as the system words one (on Windows its code 2).
std::error_code EngineError(std::errc cause);

#endif  // ENGINE_FILESYSTEM_H_
