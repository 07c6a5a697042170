// The machine's file system through the Windows C runtime and Win32 calls.
// This is the one file of the engine that speaks to Windows directly. Paths
// are bytes in the system's ANSI code page, the code page the development
// environment wrote the project files in, so the narrow calls take them as
// they stand.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "engine/filesystem.h"
#include "engine/paths.h"

namespace {

// The errno value of a Win32 error, as the C runtime would report it, so
// that an error reads the same whichever call met it.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return ENOENT;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_CURRENT_DIRECTORY:
      return EACCES;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    case ERROR_DIR_NOT_EMPTY:
      return ENOTEMPTY;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    default:
      return EIO;
  }
}

// The failure the last failing call met, so that its report can give the
// system's own code and text rather than the errno value it maps to: a
// sharing violation is not a missing permission.
struct Failure {
  int err = 0;
  DWORD code = 0;
};
Failure last_failure;

// Every call of the file system starts afresh: a failure the engine met
// and went past (a missing name it expected to be missing) must not lend its
// code to an error the engine finds later on its own.
void StartCall() { last_failure = {}; }

int Failed(int err, DWORD code) {
  last_failure = {err, code};
  return err;
}

int LastErrno() {
  const DWORD code = GetLastError();
  return Failed(ErrnoOf(code), code);
}

// The C runtime keeps the system's code of a failed call beside errno.
int CrtErrno() { return Failed(errno, _doserrno); }

// Win32 error codes, worded by the system in its own language.
class WindowsCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "windows"; }
  std::string message(int code) const override {
    char* text = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                       FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, static_cast<DWORD>(code), 0,
                                   reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message(text != nullptr ? text : "", n);
    if (text != nullptr) LocalFree(text);
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' ||
            message.back() == ' ')) {
      message.pop_back();
    }
    if (message.empty()) message = "Error " + std::to_string(code);
    return message;
  }
  std::error_condition default_error_condition(
      int code) const noexcept override {
    return std::error_condition(ErrnoOf(static_cast<DWORD>(code)),
                                std::generic_category());
  }
};

bool Wide(const std::string& s, std::wstring* w) {
  const int n = MultiByteToWideChar(CP_ACP, 0, s.data(),
                                    static_cast<int>(s.size()), nullptr, 0);
  if (n == 0 && !s.empty()) return false;
  w->assign(static_cast<size_t>(n), L'\0');
  return MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()),
                             w->data(), n) == n;
}

// name in the ANSI code page; false when the code page lacks one of its
// letters. A system whose code page is UTF-8 has every letter.
bool Narrow(const wchar_t* name, std::string* s) {
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL lacking = FALSE;
  BOOL* lacks = utf8 ? nullptr : &lacking;
  const int n =
      WideCharToMultiByte(CP_ACP, flags, name, -1, nullptr, 0, nullptr, lacks);
  if (n == 0 || lacking) return false;
  s->assign(static_cast<size_t>(n), '\0');
  if (WideCharToMultiByte(CP_ACP, flags, name, -1, s->data(), n, nullptr,
                          lacks) != n ||
      lacking) {
    return false;
  }
  s->pop_back();  // the NUL
  return true;
}

// The system's calls end a path at its first NUL byte, so a name holding one
// would reach the file its first bytes name. No file has such a name.
bool Unnamable(const std::string& path) {
  return path.find('\0') != std::string::npos;
}

// The C runtime moves at most INT_MAX bytes a call.
unsigned Chunk(size_t n) {
  return static_cast<unsigned>(std::min<size_t>(n, INT_MAX));
}

// What a folder entry is, as the listing says: a reparse point (a link, a
// junction, a file kept elsewhere) is for a lookup to tell.
FileSystem::Kind KindOf(DWORD attributes) {
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return FileSystem::Kind::kLink;
  }
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
             ? FileSystem::Kind::kDirectory
             : FileSystem::Kind::kRegular;
}

class WindowsFileSystem : public FileSystem {
 public:
  // Binary mode: text mode would turn CR LF into LF on the way in and LF
  // into CR LF on the way out, and a file must keep every byte it holds.
  int OpenRead(const std::string& path, int* fd) override {
    StartCall();
    if (Unnamable(path)) return ENOENT;
    *fd = ::_open(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    return *fd < 0 ? CrtErrno() : 0;
  }

  // Windows knows one permission, whether a file may be written.
  int OpenWrite(const std::string& path, unsigned permissions,
                int* fd) override {
    StartCall();
    if (Unnamable(path)) return ENOENT;
    const int mode =
        (permissions & 0222) != 0 ? (_S_IREAD | _S_IWRITE) : _S_IREAD;
    *fd = ::_open(path.c_str(),
                  _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  mode);
    return *fd < 0 ? CrtErrno() : 0;
  }

  int Read(int fd, char* buf, size_t n, size_t* got) override {
    StartCall();
    const int r = ::_read(fd, buf, Chunk(n));
    if (r < 0) return CrtErrno();
    *got = static_cast<size_t>(r);
    return 0;
  }

  int Write(int fd, const char* buf, size_t n, size_t* put) override {
    StartCall();
    const int r = ::_write(fd, buf, Chunk(n));
    if (r < 0) return CrtErrno();
    *put = static_cast<size_t>(r);
    return 0;
  }

  int Close(int fd) override {
    StartCall();
    return ::_close(fd) == 0 ? 0 : CrtErrno();
  }

  // Opens the file itself, so that a symbolic link is followed and the
  // volume and file index tell which file this is.
  int Stat(const std::string& path, Status* status) override {
    StartCall();
    return StatOf(path, 0, status);
  }

  int StatLink(const std::string& path, Status* status) override {
    StartCall();
    return StatOf(path, FILE_FLAG_OPEN_REPARSE_POINT, status);
  }

  int StatOpen(int fd, Status* status) override {
    StartCall();
    *status = Status{};
    const HANDLE h = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    if (h == INVALID_HANDLE_VALUE) return EBADF;
    StatOfHandle(h, 0, status);
    return 0;
  }

  // The read-only attribute is the one right that can be seen beforehand;
  // on a folder it only marks a customised folder and forbids nothing.
  int Access(const std::string& path, bool write) override {
    StartCall();
    if (Unnamable(path)) return ENOENT;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return LastErrno();
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (write && !folder && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      return Failed(EACCES, ERROR_ACCESS_DENIED);
    }
    return 0;
  }

  // The C runtime's rename refuses an existing target.
  int Rename(const std::string& from, const std::string& to) override {
    StartCall();
    if (Unnamable(from) || Unnamable(to)) return ENOENT;
    return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)
               ? 0
               : LastErrno();
  }

  // Windows has no sticky folders: whoever may write the folder may replace
  // its names.
  int MayReplace(const std::string& path) override {
    StartCall();
    return Unnamable(path) ? ENOENT : 0;
  }

  int ResolveLinks(const std::string& path, std::string* target) override {
    StartCall();
    if (Unnamable(path)) return ENOENT;
    const HANDLE h = ::CreateFileA(
        path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastErrno();
    std::string buf(MAX_PATH, '\0');
    DWORD n = ::GetFinalPathNameByHandleA(h, buf.data(),
                                          static_cast<DWORD>(buf.size()), 0);
    if (n >= buf.size()) {
      buf.resize(n);
      n = ::GetFinalPathNameByHandleA(h, buf.data(),
                                      static_cast<DWORD>(buf.size()), 0);
    }
    const int err = n == 0 || n >= buf.size() ? LastErrno() : 0;
    ::CloseHandle(h);
    if (err != 0) return err;
    buf.resize(n);
    // The name comes as \\?\C:\... or \\?\UNC\server\...: give it back in
    // the form every other path of the program has.
    constexpr std::string_view kUnc = "\\\\?\\UNC\\", kLocal = "\\\\?\\";
    if (buf.rfind(kUnc, 0) == 0) {
      buf.replace(0, kUnc.size(), "\\\\");
    } else if (buf.rfind(kLocal, 0) == 0) {
      buf.erase(0, kLocal.size());
    }
    *target = std::move(buf);
    return 0;
  }

  int Link(const std::string& existing, const std::string& link_name) override {
    StartCall();
    if (Unnamable(existing) || Unnamable(link_name)) return ENOENT;
    return ::CreateHardLinkA(link_name.c_str(), existing.c_str(), nullptr)
               ? 0
               : LastErrno();
  }

  // The new file takes its rights from its folder, as every file created
  // there does; of the original it keeps the attributes a user sets.
  // The attributes are asked afresh: the status keeps none of them.
  int CopyMetadata(const std::string& from, const Status&, int fd) override {
    StartCall();
    if (Unnamable(from)) return ENOENT;
    const DWORD attributes = ::GetFileAttributesA(from.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return LastErrno();
    FILE_BASIC_INFO info = {};
    info.FileAttributes =
        attributes &
        (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
         FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (info.FileAttributes == 0) return 0;
    const HANDLE h = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    return ::SetFileInformationByHandle(h, FileBasicInfo, &info, sizeof info)
               ? 0
               : LastErrno();
  }

  int SyncFile(int fd) override {
    StartCall();
    const HANDLE h = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    return ::FlushFileBuffers(h) ? 0 : LastErrno();
  }

  // A folder opened for writing can be flushed like a file; a file system
  // that cannot flush a folder says so with ERROR_INVALID_FUNCTION, and
  // there the flush of the file itself wrote its entry.
  int SyncDir(const std::string& folder) override {
    StartCall();
    if (Unnamable(folder)) return ENOENT;
    const std::string name = folder.empty() ? "." : folder;
    const HANDLE h = ::CreateFileA(
        name.c_str(), GENERIC_READ | GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastErrno();
    const bool flushed = ::FlushFileBuffers(h);
    const DWORD error = flushed ? 0 : ::GetLastError();
    ::CloseHandle(h);
    return flushed || error == ERROR_INVALID_FUNCTION
               ? 0
               : Failed(ErrnoOf(error), error);
  }

  // Flushing a whole volume needs an administrator; flushing a file needs
  // only write access to it, and on NTFS also commits the log that holds
  // its name. So each file is flushed, all at the end of the command, when
  // the system has written most of their bytes already.
  int Flush(const std::vector<std::string>& paths) override {
    StartCall();
    for (const std::string& path : paths) {
      if (Unnamable(path)) continue;
      const HANDLE h =
          ::CreateFileA(path.c_str(), GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, 0, nullptr);
      if (h == INVALID_HANDLE_VALUE) return LastErrno();
      const bool flushed = ::FlushFileBuffers(h);
      const int err = flushed ? 0 : LastErrno();
      ::CloseHandle(h);
      if (err != 0) return err;
    }
    return 0;
  }

  int Remove(const std::string& path) override {
    StartCall();
    if (Unnamable(path)) return ENOENT;
    return ::DeleteFileA(path.c_str()) ? 0 : LastErrno();
  }

  // Listed in UTF-16 and each name converted here: the system's own
  // conversion to the ANSI code page puts a "?" for a letter the code page
  // lacks, or a look-alike (U+0100 as "A"), and so names another file or
  // none. Such a name is an error, never a file passed over.
  int ListDir(const std::string& path, std::vector<std::string>* names,
              std::vector<Kind>* kinds) override {
    StartCall();
    if (Unnamable(path)) return ENOENT;
    names->clear();
    if (kinds != nullptr) kinds->clear();
    std::wstring pattern;
    if (!Wide(JoinPath(path.empty() ? "." : path, "*"), &pattern)) {
      return LastErrno();
    }
    WIN32_FIND_DATAW entry;
    const HANDLE find = ::FindFirstFileW(pattern.c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
      // The root of a drive may have no entry at all, not even "." and "..".
      const DWORD error = ::GetLastError();
      return error == ERROR_FILE_NOT_FOUND ? 0 : Failed(ErrnoOf(error), error);
    }
    do {
      std::string name;
      if (!Narrow(entry.cFileName, &name)) {
        ::FindClose(find);
        return Failed(EILSEQ, ERROR_NO_UNICODE_TRANSLATION);
      }
      if (name == "." || name == "..") continue;
      names->push_back(std::move(name));
      if (kinds != nullptr) kinds->push_back(KindOf(entry.dwFileAttributes));
    } while (::FindNextFileW(find, &entry));
    const DWORD error = ::GetLastError();
    ::FindClose(find);
    return error == ERROR_NO_MORE_FILES ? 0 : Failed(ErrnoOf(error), error);
  }

  int ChangeDir(const std::string& path) override {
    StartCall();
    if (Unnamable(path)) return ENOENT;
    return ::_chdir(path.c_str()) == 0 ? 0 : CrtErrno();
  }

  int CurrentDir(std::string* path) override {
    StartCall();
    // The ANSI code page's bytes, as every other path of the program.
    const DWORD n = ::GetCurrentDirectoryA(0, nullptr);
    if (n == 0) return LastErrno();
    std::string buf(n, '\0');
    const DWORD got = ::GetCurrentDirectoryA(n, buf.data());
    if (got == 0 || got >= n) return EIO;
    buf.resize(got);
    *path = std::move(buf);
    return 0;
  }

 private:
  static int StatOf(const std::string& path, DWORD flags, Status* status) {
    *status = Status{};
    if (Unnamable(path)) return 0;
    const HANDLE h = ::CreateFileA(
        path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      const int err = LastErrno();
      return err == ENOENT || err == ENOTDIR ? 0 : err;
    }
    StatOfHandle(h, flags, status);
    ::CloseHandle(h);
    return 0;
  }

  static void StatOfHandle(HANDLE h, DWORD flags, Status* status) {
    BY_HANDLE_FILE_INFORMATION info;
    const bool disk = ::GetFileType(h) == FILE_TYPE_DISK &&
                      ::GetFileInformationByHandle(h, &info);
    if (!disk) {
      status->kind = Kind::kOther;
      return;
    }
    const DWORD attributes = info.dwFileAttributes;
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool read_only = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    const bool link = (flags & FILE_FLAG_OPEN_REPARSE_POINT) != 0 &&
                      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    status->kind = link     ? Kind::kLink
                   : folder ? Kind::kDirectory
                            : Kind::kRegular;
    status->permissions = folder ? 0777 : read_only ? 0444 : 0666;
    status->id.device = info.dwVolumeSerialNumber;
    status->id.low =
        (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) |
        info.nFileIndexLow;
    status->id.bits = 64;
    status->links = info.nNumberOfLinks;
    status->size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) |
                   info.nFileSizeLow;
    status->modified = static_cast<long long>(
        (static_cast<unsigned long long>(info.ftLastWriteTime.dwHighDateTime)
         << 32) |
        info.ftLastWriteTime.dwLowDateTime);
  }
};

}  // namespace

FileSystem& DefaultFileSystem() {
  static WindowsFileSystem fs;
  return fs;
}

std::error_code SystemError(int err) {
  static const WindowsCategory category;
  const Failure failure = last_failure;
  last_failure = {};
  if (failure.err == err && failure.code != 0) {
    return std::error_code(static_cast<int>(failure.code), category);
  }
  // The engine finds a listed file missing without a call failing; the
  // system's code for it has the same number.
  if (err == ENOENT) return std::error_code(ERROR_FILE_NOT_FOUND, category);
  return std::error_code(err, std::generic_category());
}
