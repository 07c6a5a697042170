// The machine's file system through POSIX calls. This is the one file of the
// engine that speaks to the operating system directly.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <utility>

#include "engine/filesystem.h"

namespace {

// The failure of the call just made.
std::error_code Errno() {
  return std::error_code(errno, std::generic_category());
}

// A name no file can have.
std::error_code Missing() {
  return EngineError(std::errc::no_such_file_or_directory);
}

// The system's calls end a path at its first NUL byte, so a name holding one
// would reach the file its first bytes name. No file has such a name.
bool Unnamable(const std::string& path) {
  return path.find('\0') != std::string::npos;
}

void Fill(const struct stat& st, FileSystem::Status* status) {
  using Kind = FileSystem::Kind;
  status->kind = S_ISREG(st.st_mode)   ? Kind::kRegular
                 : S_ISDIR(st.st_mode) ? Kind::kDirectory
                 : S_ISLNK(st.st_mode) ? Kind::kLink
                                       : Kind::kOther;
  status->permissions = st.st_mode & 07777;
  status->id.device = st.st_dev;
  status->id.low = st.st_ino;
  status->id.bits = 64;
  status->links = st.st_nlink;
  status->size = static_cast<unsigned long long>(st.st_size);
  status->modified = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
  status->owner = st.st_uid;
  status->group = st.st_gid;
}

// Extended attributes a file system does not keep, or that only a
// privileged process may set (trusted.*, security.*), are not the user's
// data: the copy goes on without them.
bool Unkept(int err) { return err == ENOTSUP || err == EPERM; }

std::error_code CopyAttributes(const std::string& from, int fd) {
  ssize_t size = ::listxattr(from.c_str(), nullptr, 0);
  if (size <= 0) {
    return size == 0 || Unkept(errno) ? std::error_code() : Errno();
  }
  std::string names(static_cast<size_t>(size), '\0');
  size = ::listxattr(from.c_str(), names.data(), names.size());
  if (size < 0) return Unkept(errno) ? std::error_code() : Errno();
  names.resize(static_cast<size_t>(size));
  std::string value;
  for (size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
    const char* name = names.c_str() + at;
    const ssize_t n = ::getxattr(from.c_str(), name, nullptr, 0);
    if (n < 0) return Errno();
    value.resize(static_cast<size_t>(n));
    const ssize_t got = ::getxattr(from.c_str(), name, value.data(), n);
    if (got < 0) return Errno();
    if (::fsetxattr(fd, name, value.data(), static_cast<size_t>(got), 0) != 0 &&
        !Unkept(errno)) {
      return Errno();
    }
  }
  return std::error_code();
}

std::error_code SyncPath(const std::string& path, int flags,
                         bool whole_file_system) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return Errno();
  const int r = whole_file_system ? ::syncfs(fd) : ::fsync(fd);
  const std::error_code err = r == 0 ? std::error_code() : Errno();
  ::close(fd);
  return err;
}

// Flushes the file system that path is on, unless flushed holds it.
std::error_code FlushFileSystemOf(const std::string& path,
                                  std::set<dev_t>& flushed) {
  if (Unnamable(path)) return Missing();
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return Errno();
  if (!flushed.insert(st.st_dev).second) return std::error_code();
  return SyncPath(path, O_RDONLY, true);
}

// A missing name is kMissing, not an error.
std::error_code StatOf(const std::string& path, int flags,
                       FileSystem::Status* status) {
  *status = FileSystem::Status{};
  if (Unnamable(path)) return std::error_code();
  struct stat st;
  if (::fstatat(AT_FDCWD, path.c_str(), &st, flags) != 0) {
    return errno == ENOENT || errno == ENOTDIR ? std::error_code() : Errno();
  }
  Fill(st, status);
  return std::error_code();
}

// What a folder entry is, as the folder itself says; not every file system
// says it.
FileSystem::Kind KindOf(unsigned char type) {
  using Kind = FileSystem::Kind;
  switch (type) {
    case DT_REG:
      return Kind::kRegular;
    case DT_DIR:
      return Kind::kDirectory;
    case DT_LNK:
      return Kind::kLink;
    case DT_UNKNOWN:
      return Kind::kMissing;
    default:
      return Kind::kOther;
  }
}

class PosixFileSystem : public FileSystem {
 public:
  std::error_code OpenRead(const std::string& path, int* fd) override {
    if (Unnamable(path)) return Missing();
    *fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return *fd < 0 ? Errno() : std::error_code();
  }

  std::error_code OpenWrite(const std::string& path, unsigned permissions,
                            int* fd) override {
    if (Unnamable(path)) return Missing();
    *fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                 static_cast<mode_t>(permissions));
    return *fd < 0 ? Errno() : std::error_code();
  }

  std::error_code Read(int fd, char* buf, size_t n, size_t* got) override {
    for (;;) {
      const ssize_t r = ::read(fd, buf, n);
      if (r >= 0) {
        *got = static_cast<size_t>(r);
        return std::error_code();
      }
      if (errno != EINTR) return Errno();
    }
  }

  std::error_code Write(int fd, const char* buf, size_t n,
                        size_t* put) override {
    for (;;) {
      const ssize_t r = ::write(fd, buf, n);
      if (r >= 0) {
        *put = static_cast<size_t>(r);
        return std::error_code();
      }
      if (errno != EINTR) return Errno();
    }
  }

  std::error_code Close(int fd) override {
    return ::close(fd) == 0 ? std::error_code() : Errno();
  }

  std::error_code Stat(const std::string& path, Status* status) override {
    return StatOf(path, 0, status);
  }

  std::error_code StatLink(const std::string& path, Status* status) override {
    return StatOf(path, AT_SYMLINK_NOFOLLOW, status);
  }

  std::error_code StatOpen(int fd, Status* status) override {
    *status = FileSystem::Status{};
    struct stat st;
    if (::fstat(fd, &st) != 0) return Errno();
    Fill(st, status);
    return std::error_code();
  }

  std::error_code MayReplace(const std::string& path) override {
    if (Unnamable(path)) return Missing();
    // Only a folder with the sticky bit refuses, and never to root.
    const uid_t me = ::geteuid();
    if (me == 0) return std::error_code();
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                            : path.substr(0, slash);
    struct stat file, dir;
    if (::stat(folder.c_str(), &dir) != 0) return Errno();
    if ((dir.st_mode & S_ISVTX) == 0 || dir.st_uid == me) {
      return std::error_code();
    }
    if (::lstat(path.c_str(), &file) != 0) {
      return errno == ENOENT ? std::error_code() : Errno();
    }
    // What rename and unlink would say there.
    return file.st_uid != me ? std::error_code(EPERM, std::generic_category())
                             : std::error_code();
  }

  std::error_code ResolveLinks(const std::string& path,
                               std::string* target) override {
    if (Unnamable(path)) return Missing();
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return Errno();
    *target = resolved;
    std::free(resolved);
    return std::error_code();
  }

  std::error_code Link(const std::string& existing,
                       const std::string& link_name) override {
    if (Unnamable(existing) || Unnamable(link_name)) return Missing();
    // A plain link() of a symbolic link names the link, not its file.
    return ::linkat(AT_FDCWD, existing.c_str(), AT_FDCWD, link_name.c_str(),
                    AT_SYMLINK_FOLLOW) == 0
               ? std::error_code()
               : Errno();
  }

  std::error_code CopyMetadata(const std::string& from, const Status& status,
                               int fd) override {
    if (Unnamable(from)) return Missing();
    const auto owner = static_cast<uid_t>(status.owner);
    const auto group = static_cast<gid_t>(status.group);
    const auto mode = static_cast<mode_t>(status.permissions);
    // Most new files already have what the original has: changing it
    // anyway would cost an inode update each.
    struct stat now;
    if (::fstat(fd, &now) != 0) return Errno();
    const bool owned = now.st_uid == owner && now.st_gid == group;
    // A conversion run as root must not leave root's files in a user's tree;
    // anyone else may keep at least the group where they belong to it.
    if (!owned && ::fchown(fd, owner, group) != 0) {
      if (errno != EPERM) return Errno();
      if (::fchown(fd, static_cast<uid_t>(-1), group) != 0 && errno != EPERM) {
        return Errno();
      }
    }
    // After the owner: a change of owner clears the set-id bits.
    if ((!owned || (now.st_mode & 07777) != mode) && ::fchmod(fd, mode) != 0) {
      return Errno();
    }
    return CopyAttributes(from, fd);
  }

  std::error_code SyncFile(int fd) override {
    return ::fsync(fd) == 0 ? std::error_code() : Errno();
  }

  std::error_code SyncDir(const std::string& folder) override {
    if (Unnamable(folder)) return Missing();
    return SyncPath(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY,
                    false);
  }

  // One syncfs for each file system the paths are on.
  std::error_code Flush(const std::vector<std::string>& paths,
                        std::string* unflushed) override {
    std::set<dev_t> flushed;
    for (const std::string& path : paths) {
      if (std::error_code err = FlushFileSystemOf(path, flushed)) {
        *unflushed = path;
        return err;
      }
    }
    return std::error_code();
  }

  std::error_code Access(const std::string& path, bool write) override {
    if (Unnamable(path)) return Missing();
    return ::access(path.c_str(), write ? (R_OK | W_OK) : R_OK) == 0
               ? std::error_code()
               : Errno();
  }

  std::error_code Rename(const std::string& from,
                         const std::string& to) override {
    if (Unnamable(from) || Unnamable(to)) return Missing();
    return std::rename(from.c_str(), to.c_str()) == 0 ? std::error_code()
                                                      : Errno();
  }

  std::error_code Remove(const std::string& path) override {
    if (Unnamable(path)) return Missing();
    return ::unlink(path.c_str()) == 0 ? std::error_code() : Errno();
  }

  std::error_code ListDir(const std::string& path,
                          std::vector<std::string>* names,
                          std::vector<Kind>* kinds) override {
    if (Unnamable(path)) return Missing();
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) return Errno();
    names->clear();
    if (kinds != nullptr) kinds->clear();
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      names->push_back(name);
      if (kinds != nullptr) kinds->push_back(KindOf(entry->d_type));
    }
    const std::error_code err = errno == 0 ? std::error_code() : Errno();
    ::closedir(dir);
    return err;
  }

  std::error_code ChangeDir(const std::string& path) override {
    if (Unnamable(path)) return Missing();
    return ::chdir(path.c_str()) == 0 ? std::error_code() : Errno();
  }

  std::error_code CurrentDir(std::string* path) override {
    std::string buf(256, '\0');
    while (::getcwd(buf.data(), buf.size()) == nullptr) {
      if (errno != ERANGE) return Errno();
      buf.resize(buf.size() * 2);
    }
    buf.resize(buf.find('\0'));
    *path = std::move(buf);
    return std::error_code();
  }
};

}  // namespace

FileSystem& DefaultFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

std::error_code EngineError(std::errc cause) {
  return std::make_error_code(cause);
}
