#ifndef ENGINE_FILESYSTEM_H_
#define ENGINE_FILESYSTEM_H_

#include <cstddef>
#include <string>
#include <system_error>
#include <vector>

// Every file operation of a conversion goes through this seam, so tests can
// make any single one fail and check what is left on disk. Each call returns
// 0 (or a count) on success and an errno value on failure; none throws.
class FileSystem {
 public:
  enum class Kind { kMissing, kRegular, kDirectory, kOther };
  struct Status {
    Kind kind = Kind::kMissing;
    unsigned permissions = 0;  // the mode's permission bits
    // Which file this is: two names with equal ids are one file (a link, a
    // name spelt two ways).
    unsigned long long device = 0;
    unsigned long long inode = 0;
  };

  virtual ~FileSystem() = default;

  virtual int OpenRead(const std::string& path, int* fd) = 0;
  // Creates the file, or opens an existing one to replace its content: once
  // closed it holds exactly the bytes written. permissions apply to a new
  // file only.
  virtual int OpenWrite(const std::string& path, unsigned permissions,
                        int* fd) = 0;
  virtual int Read(int fd, char* buf, size_t n, size_t* got) = 0;
  // May write fewer than n bytes; *put says how many.
  virtual int Write(int fd, const char* buf, size_t n, size_t* put) = 0;
  virtual int Close(int fd) = 0;
  // Follows symbolic links. A missing path is kMissing, not an error.
  virtual int Stat(const std::string& path, Status* status) = 0;
  // Whether the caller may read (and, if write, write) path.
  virtual int Access(const std::string& path, bool write) = 0;
  // Replaces to atomically when it exists.
  virtual int Rename(const std::string& from, const std::string& to) = 0;
  virtual int Remove(const std::string& path) = 0;
  // Names of the entries of a directory, without "." and "..".
  virtual int ListDir(const std::string& path,
                      std::vector<std::string>* names) = 0;
  // Makes path the process's current directory, as the batch command does
  // before converting each project.
  virtual int ChangeDir(const std::string& path) = 0;
  // The process's current directory, as the system gives it.
  virtual int CurrentDir(std::string* path) = 0;
};

// The real file system of the machine.
FileSystem& DefaultFileSystem();

// The error err of a failed call, as the system words it. On Windows that
// is the system's own code and text, read at the call of the real file
// system that failed last if it failed with err; elsewhere, and for an err
// no system call gave, the errno value itself.
std::error_code SystemError(int err);

#endif  // ENGINE_FILESYSTEM_H_
