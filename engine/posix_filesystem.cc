// The machine's file system through POSIX calls. This is the one file of the
// engine that speaks to the operating system directly.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "engine/filesystem.h"

namespace {

// The system's calls end a path at its first NUL byte, so a name holding one
// would reach the file its first bytes name. No file has such a name.
bool Unnamable(const std::string& path) {
  return path.find('\0') != std::string::npos;
}

// A file opened by OpenWrite ends where the writing stopped: the bytes of
// its former content beyond that point go. Input files stay as they are.
int CutAtOffset(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0) return errno;
  if ((flags & O_ACCMODE) != O_WRONLY) return 0;
  struct stat st;
  if (::fstat(fd, &st) != 0) return errno;
  if (!S_ISREG(st.st_mode)) return 0;
  const off_t end = ::lseek(fd, 0, SEEK_CUR);
  if (end < 0) return errno;
  if (st.st_size > end && ::ftruncate(fd, end) != 0) return errno;
  return 0;
}

class PosixFileSystem : public FileSystem {
 public:
  int OpenRead(const std::string& path, int* fd) override {
    if (Unnamable(path)) return ENOENT;
    *fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return *fd < 0 ? errno : 0;
  }

  int OpenWrite(const std::string& path, unsigned permissions,
                int* fd) override {
    if (Unnamable(path)) return ENOENT;
    // No O_TRUNC: emptying a file whose blocks are on disk frees them, and
    // ext4 then forces the new bytes to disk at close and, mounted with
    // discard, waits for the freed blocks to be discarded; a batch spent
    // most of its time there. The new bytes overwrite the old in place
    // instead, and Close cuts off whatever of the old lies beyond them.
    *fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC,
                 static_cast<mode_t>(permissions));
    return *fd < 0 ? errno : 0;
  }

  int Read(int fd, char* buf, size_t n, size_t* got) override {
    for (;;) {
      const ssize_t r = ::read(fd, buf, n);
      if (r >= 0) {
        *got = static_cast<size_t>(r);
        return 0;
      }
      if (errno != EINTR) return errno;
    }
  }

  int Write(int fd, const char* buf, size_t n, size_t* put) override {
    for (;;) {
      const ssize_t r = ::write(fd, buf, n);
      if (r >= 0) {
        *put = static_cast<size_t>(r);
        return 0;
      }
      if (errno != EINTR) return errno;
    }
  }

  int Close(int fd) override {
    const int err = CutAtOffset(fd);
    if (::close(fd) != 0) return errno;
    return err;
  }

  int Stat(const std::string& path, Status* status) override {
    *status = Status{};
    if (Unnamable(path)) return 0;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
      return errno == ENOENT || errno == ENOTDIR ? 0 : errno;
    }
    status->kind = S_ISREG(st.st_mode)   ? Kind::kRegular
                   : S_ISDIR(st.st_mode) ? Kind::kDirectory
                                         : Kind::kOther;
    status->permissions = st.st_mode & 07777;
    status->device = st.st_dev;
    status->inode = st.st_ino;
    return 0;
  }

  int Access(const std::string& path, bool write) override {
    if (Unnamable(path)) return ENOENT;
    return ::access(path.c_str(), write ? (R_OK | W_OK) : R_OK) == 0 ? 0
                                                                     : errno;
  }

  int Rename(const std::string& from, const std::string& to) override {
    if (Unnamable(from) || Unnamable(to)) return ENOENT;
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  }

  int Remove(const std::string& path) override {
    if (Unnamable(path)) return ENOENT;
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
  }

  int ListDir(const std::string& path,
              std::vector<std::string>* names) override {
    if (Unnamable(path)) return ENOENT;
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) return errno;
    names->clear();
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names->push_back(name);
    }
    const int err = errno;
    ::closedir(dir);
    return err;
  }

  int ChangeDir(const std::string& path) override {
    if (Unnamable(path)) return ENOENT;
    return ::chdir(path.c_str()) == 0 ? 0 : errno;
  }

  int CurrentDir(std::string* path) override {
    std::string buf(256, '\0');
    while (::getcwd(buf.data(), buf.size()) == nullptr) {
      if (errno != ERANGE) return errno;
      buf.resize(buf.size() * 2);
    }
    buf.resize(buf.find('\0'));
    *path = std::move(buf);
    return 0;
  }
};

}  // namespace

FileSystem& DefaultFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

std::error_code SystemError(int err) {
  return std::error_code(err, std::generic_category());
}
