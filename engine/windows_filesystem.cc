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
#include <cstring>
#include <map>
#include <mutex>
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
    case ERROR_INVALID_HANDLE:
      return EBADF;
    case ERROR_INVALID_PARAMETER:
      return EINVAL;
    case ERROR_NO_UNICODE_TRANSLATION:
      return EILSEQ;
    default:
      return EIO;
  }
}

// Win32 error codes, worded by the system in its own language, and
// compared as std::errc by the errno value each stands for: a sharing
// violation reads as such, and still compares as permission_denied.
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

std::error_code WindowsError(DWORD code) {
  static const WindowsCategory category;
  return std::error_code(static_cast<int>(code), category);
}

// The failure of the Win32 call just made. GetLastError is the calling
// thread's own, so nothing another call does in between can change it.
std::error_code LastError() { return WindowsError(::GetLastError()); }

// The failure of the C runtime's call just made: the system's code where a
// system call failed under it, else the runtime's own errno. Both are the
// calling thread's; _doserrno is cleared before each call, since the
// runtime leaves it alone when it fails on its own.
std::error_code CrtError() {
  if (_doserrno != 0) return WindowsError(static_cast<DWORD>(_doserrno));
  return std::error_code(errno, std::generic_category());
}

void ClearCrtError() { _doserrno = 0; }

// A name no file can have.
std::error_code Missing() {
  return EngineError(std::errc::no_such_file_or_directory);
}

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

// A system or file system without 128-bit file ids refuses to give one so:
// Windows 7 knows no such request, and a file system may not answer it.
bool HasNoWideIds(DWORD error) {
  return error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_FUNCTION ||
         error == ERROR_NOT_SUPPORTED || error == ERROR_CALL_NOT_IMPLEMENTED;
}

// How wide the file ids of each volume are, by its serial number: settled
// by the first file looked up there and kept. One file seen once by 128 bits
// and once by 64 would be two files, and a form two projects share would be
// converted twice.
class IdWidths {
 public:
  // Settles volume at width unless it is settled; returns its width.
  int Settle(DWORD volume, int width) {
    const std::lock_guard<std::mutex> lock(mutex_);
    return widths_.emplace(volume, width).first->second;
  }
  int Of(DWORD volume) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto it = widths_.find(volume);
    return it != widths_.end() ? it->second : 0;
  }

 private:
  std::mutex mutex_;
  std::map<DWORD, int> widths_;
};

class WindowsFileSystem : public FileSystem {
 public:
  // Binary mode: text mode would turn CR LF into LF on the way in and LF
  // into CR LF on the way out, and a file must keep every byte it holds.
  std::error_code OpenRead(const std::string& path, int* fd) override {
    if (Unnamable(path)) return Missing();
    ClearCrtError();
    *fd = ::_open(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    return *fd < 0 ? CrtError() : std::error_code();
  }

  // Windows knows one permission, whether a file may be written.
  std::error_code OpenWrite(const std::string& path, unsigned permissions,
                            int* fd) override {
    if (Unnamable(path)) return Missing();
    const int mode =
        (permissions & 0222) != 0 ? (_S_IREAD | _S_IWRITE) : _S_IREAD;
    ClearCrtError();
    *fd = ::_open(path.c_str(),
                  _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  mode);
    return *fd < 0 ? CrtError() : std::error_code();
  }

  std::error_code Read(int fd, char* buf, size_t n, size_t* got) override {
    ClearCrtError();
    const int r = ::_read(fd, buf, Chunk(n));
    if (r < 0) return CrtError();
    *got = static_cast<size_t>(r);
    return std::error_code();
  }

  std::error_code Write(int fd, const char* buf, size_t n,
                        size_t* put) override {
    ClearCrtError();
    const int r = ::_write(fd, buf, Chunk(n));
    if (r < 0) return CrtError();
    *put = static_cast<size_t>(r);
    return std::error_code();
  }

  std::error_code Close(int fd) override {
    ClearCrtError();
    return ::_close(fd) == 0 ? std::error_code() : CrtError();
  }

  // Opens the file itself, so that a symbolic link is followed and the
  // volume and file id tell which file this is.
  std::error_code Stat(const std::string& path, Status* status) override {
    return StatOf(path, 0, status);
  }

  std::error_code StatLink(const std::string& path, Status* status) override {
    return StatOf(path, FILE_FLAG_OPEN_REPARSE_POINT, status);
  }

  std::error_code StatOpen(int fd, Status* status) override {
    *status = Status{};
    const HANDLE h = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    if (h == INVALID_HANDLE_VALUE) {
      return std::error_code(EBADF, std::generic_category());
    }
    return StatOfHandle(h, 0, status);
  }

  // The read-only attribute is the one right that can be seen beforehand;
  // on a folder it only marks a customised folder and forbids nothing.
  std::error_code Access(const std::string& path, bool write) override {
    if (Unnamable(path)) return Missing();
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (write && !folder && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      return WindowsError(ERROR_ACCESS_DENIED);
    }
    return std::error_code();
  }

  // The C runtime's rename refuses an existing target.
  std::error_code Rename(const std::string& from,
                         const std::string& to) override {
    if (Unnamable(from) || Unnamable(to)) return Missing();
    return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)
               ? std::error_code()
               : LastError();
  }

  std::error_code RenameDurably(const std::string& from,
                                const std::string& to) override {
    if (Unnamable(from) || Unnamable(to)) return Missing();
    return ::MoveFileExA(from.c_str(), to.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? std::error_code()
               : LastError();
  }

  // Windows has no sticky folders: whoever may write the folder may replace
  // its names.
  std::error_code MayReplace(const std::string& path) override {
    return Unnamable(path) ? Missing() : std::error_code();
  }

  std::error_code ResolveLinks(const std::string& path,
                               std::string* target) override {
    if (Unnamable(path)) return Missing();
    const HANDLE h = ::CreateFileA(
        path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastError();
    std::string buf(MAX_PATH, '\0');
    DWORD n = ::GetFinalPathNameByHandleA(h, buf.data(),
                                          static_cast<DWORD>(buf.size()), 0);
    if (n >= buf.size()) {
      buf.resize(n);
      n = ::GetFinalPathNameByHandleA(h, buf.data(),
                                      static_cast<DWORD>(buf.size()), 0);
    }
    const std::error_code err =
        n == 0 || n >= buf.size() ? LastError() : std::error_code();
    ::CloseHandle(h);
    if (err) return err;
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
    return std::error_code();
  }

  std::error_code Link(const std::string& existing,
                       const std::string& link_name) override {
    if (Unnamable(existing) || Unnamable(link_name)) return Missing();
    return ::CreateHardLinkA(link_name.c_str(), existing.c_str(), nullptr)
               ? std::error_code()
               : LastError();
  }

  // The new file takes its rights from its folder, as every file created
  // there does; of the original it keeps the attributes a user sets.
  // The attributes are asked afresh: the status keeps none of them.
  std::error_code CopyMetadata(const std::string& from, const Status&,
                               int fd) override {
    if (Unnamable(from)) return Missing();
    const DWORD attributes = ::GetFileAttributesA(from.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
    FILE_BASIC_INFO info = {};
    info.FileAttributes =
        attributes &
        (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
         FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (info.FileAttributes == 0) return std::error_code();
    const HANDLE h = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    return ::SetFileInformationByHandle(h, FileBasicInfo, &info, sizeof info)
               ? std::error_code()
               : LastError();
  }

  std::error_code SyncFile(int fd) override {
    const HANDLE h = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    return ::FlushFileBuffers(h) ? std::error_code() : LastError();
  }

  // A folder opened for writing can be flushed like a file; a file system
  // that cannot flush a folder says so with ERROR_INVALID_FUNCTION, and
  // there the flush of the file itself wrote its entry.
  std::error_code SyncDir(const std::string& folder) override {
    if (Unnamable(folder)) return Missing();
    const std::string name = folder.empty() ? "." : folder;
    const HANDLE h = ::CreateFileA(
        name.c_str(), GENERIC_READ | GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastError();
    const bool flushed = ::FlushFileBuffers(h);
    const DWORD error = flushed ? 0 : ::GetLastError();
    ::CloseHandle(h);
    return flushed || error == ERROR_INVALID_FUNCTION ? std::error_code()
                                                      : WindowsError(error);
  }

  // Flushing a whole volume needs an administrator; flushing a file needs
  // only write access to it, and on NTFS also commits the log that holds
  // its name. So each file is flushed, all at the end of the command, when
  // the system has written most of their bytes already.
  std::error_code Flush(const std::vector<std::string>& paths,
                        std::string* unflushed) override {
    for (const std::string& path : paths) {
      if (std::error_code err = FlushFile(path)) {
        *unflushed = path;
        return err;
      }
    }
    return std::error_code();
  }

  std::error_code Remove(const std::string& path) override {
    if (Unnamable(path)) return Missing();
    return ::DeleteFileA(path.c_str()) ? std::error_code() : LastError();
  }

  // Listed in UTF-16 and each name converted here: the system's own
  // conversion to the ANSI code page puts a "?" for a letter the code page
  // lacks, or a look-alike (U+0100 as "A"), and so names another file or
  // none. Such a name is an error, never a file passed over.
  std::error_code ListDir(const std::string& path,
                          std::vector<std::string>* names,
                          std::vector<Kind>* kinds) override {
    if (Unnamable(path)) return Missing();
    names->clear();
    if (kinds != nullptr) kinds->clear();
    std::wstring pattern;
    if (!Wide(JoinPath(path.empty() ? "." : path, "*"), &pattern)) {
      return LastError();
    }
    WIN32_FIND_DATAW entry;
    const HANDLE find = ::FindFirstFileW(pattern.c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
      // The root of a drive may have no entry at all, not even "." and "..".
      const DWORD error = ::GetLastError();
      return error == ERROR_FILE_NOT_FOUND ? std::error_code()
                                           : WindowsError(error);
    }
    do {
      std::string name;
      if (!Narrow(entry.cFileName, &name)) {
        ::FindClose(find);
        return WindowsError(ERROR_NO_UNICODE_TRANSLATION);
      }
      if (name == "." || name == "..") continue;
      names->push_back(std::move(name));
      if (kinds != nullptr) kinds->push_back(KindOf(entry.dwFileAttributes));
    } while (::FindNextFileW(find, &entry));
    const DWORD error = ::GetLastError();
    ::FindClose(find);
    return error == ERROR_NO_MORE_FILES ? std::error_code()
                                        : WindowsError(error);
  }

  std::error_code ChangeDir(const std::string& path) override {
    if (Unnamable(path)) return Missing();
    ClearCrtError();
    return ::_chdir(path.c_str()) == 0 ? std::error_code() : CrtError();
  }

  std::error_code CurrentDir(std::string* path) override {
    // The ANSI code page's bytes, as every other path of the program.
    const DWORD n = ::GetCurrentDirectoryA(0, nullptr);
    if (n == 0) return LastError();
    std::string buf(n, '\0');
    const DWORD got = ::GetCurrentDirectoryA(n, buf.data());
    if (got == 0) return LastError();
    // The current folder changed between the two calls.
    if (got >= n) return std::error_code(EIO, std::generic_category());
    buf.resize(got);
    *path = std::move(buf);
    return std::error_code();
  }

 private:
  static std::error_code FlushFile(const std::string& path) {
    if (Unnamable(path)) return Missing();
    const HANDLE h =
        ::CreateFileA(path.c_str(), GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastError();
    const std::error_code err =
        ::FlushFileBuffers(h) ? std::error_code() : LastError();
    ::CloseHandle(h);
    return err;
  }

  std::error_code StatOf(const std::string& path, DWORD flags, Status* status) {
    *status = Status{};
    if (Unnamable(path)) return std::error_code();
    // Most names a conversion asks after before writing are free (a backup,
    // the temporary names): a query by name tells that without opening
    // anything, where an open costs Windows a full open request. A name
    // that is there, or that the query cannot tell about, is opened.
    WIN32_FILE_ATTRIBUTE_DATA named;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &named)) {
      const std::error_code err = LastError();
      if (err == std::errc::no_such_file_or_directory ||
          err == std::errc::not_a_directory) {
        return std::error_code();
      }
    }
    const HANDLE h = ::CreateFileA(
        path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      const std::error_code err = LastError();
      return err == std::errc::no_such_file_or_directory ||
                     err == std::errc::not_a_directory
                 ? std::error_code()
                 : err;
    }
    const std::error_code err = StatOfHandle(h, flags, status);
    ::CloseHandle(h);
    return err;
  }

  std::error_code StatOfHandle(HANDLE h, DWORD flags, Status* status) {
    BY_HANDLE_FILE_INFORMATION info;
    const bool disk = ::GetFileType(h) == FILE_TYPE_DISK &&
                      ::GetFileInformationByHandle(h, &info);
    if (!disk) {
      status->kind = Kind::kOther;
      return std::error_code();
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
    status->links = info.nNumberOfLinks;
    status->size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) |
                   info.nFileSizeLow;
    status->modified = static_cast<long long>(
        (static_cast<unsigned long long>(info.ftLastWriteTime.dwHighDateTime)
         << 32) |
        info.ftLastWriteTime.dwLowDateTime);
    return IdOf(h, info, &status->id);
  }

  // Which file h is: by 128 bits where the volume gives them (Windows 8 and
  // later; ReFS reuses 64-bit indexes), else by its 64-bit index. A volume
  // that gave 128 bits and then refuses them fails the lookup, rather than
  // give an id that matches none.
  std::error_code IdOf(HANDLE h, const BY_HANDLE_FILE_INFORMATION& info,
                       FileId* id) {
    const DWORD volume = info.dwVolumeSerialNumber;
    if (widths_.Of(volume) != 64) {
      FILE_ID_INFO wide;
      const bool got =
          ::GetFileInformationByHandleEx(h, FileIdInfo, &wide, sizeof wide);
      const DWORD error = got ? ERROR_SUCCESS : ::GetLastError();
      if (!got && !HasNoWideIds(error)) return WindowsError(error);
      if (widths_.Settle(volume, got ? 128 : 64) == 128) {
        if (!got) return WindowsError(error);
        static_assert(sizeof wide.FileId.Identifier == 2 * sizeof id->low);
        id->device = wide.VolumeSerialNumber;
        std::memcpy(&id->low, wide.FileId.Identifier, sizeof id->low);
        std::memcpy(&id->high, wide.FileId.Identifier + sizeof id->low,
                    sizeof id->high);
        id->bits = 128;
        return std::error_code();
      }
    }
    id->device = volume;
    id->low = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) |
              info.nFileIndexLow;
    id->bits = 64;
    return std::error_code();
  }

  IdWidths widths_;
};

}  // namespace

FileSystem& DefaultFileSystem() {
  static WindowsFileSystem fs;
  return fs;
}

std::error_code EngineError(std::errc cause) {
  // The system's code for a missing file has the same number.
  if (cause == std::errc::no_such_file_or_directory) {
    return WindowsError(ERROR_FILE_NOT_FOUND);
  }
  return std::make_error_code(cause);
}
