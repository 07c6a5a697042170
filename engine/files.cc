#include "engine/files.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

#include "engine/paths.h"

void ThrowFileError(const char* operation, const std::string& path,
                    std::error_code err) {
  throw std::filesystem::filesystem_error(operation,
                                          std::filesystem::path(path), err);
}

void ThrowFileError(const char* operation, const std::string& path,
                    std::errc cause) {
  ThrowFileError(operation, path, EngineError(cause));
}

namespace {

class ConversionErrors : public std::error_category {
 public:
  const char* name() const noexcept override { return "conversion"; }
  std::string message(int code) const override {
    if (code == kChanged) {
      return "The file changed while it was being converted, and was left as "
             "it is; convert the project again";
    }
    if (code == kRestoreChanged) {
      return "The file changed while the project was being restored, and was "
             "left as it is";
    }
    return "The file holds only part of its conversion, as an interrupted "
           "write can leave it; its original is in its .bak file. Restore it "
           "from there, then convert again";
  }

  static constexpr int kCut = static_cast<int>(std::errc::no_message_available);
  static constexpr int kChanged =
      static_cast<int>(std::errc::device_or_resource_busy);
  static constexpr int kRestoreChanged =
      static_cast<int>(std::errc::operation_canceled);
};

const ConversionErrors& ConversionCategory() {
  static const ConversionErrors category;
  return category;
}

}  // namespace

std::error_code CutFileError() {
  return std::error_code(ConversionErrors::kCut, ConversionCategory());
}

std::error_code ChangedFileError() {
  return std::error_code(ConversionErrors::kChanged, ConversionCategory());
}

std::error_code RestoreChangedError() {
  return std::error_code(ConversionErrors::kRestoreChanged,
                         ConversionCategory());
}

namespace {

FileSystem::Status StatusOf(FileSystem& fs, int fd, const std::string& path) {
  FileSystem::Status status;
  if (std::error_code err = fs.StatOpen(fd, &status)) {
    ThrowFileError("stat", path, err);
  }
  return status;
}

}  // namespace

InputFile::InputFile(FileSystem& fs, const std::string& path)
    : fs_(fs), path_(path) {
  if (std::error_code err = fs_.OpenRead(path_, &fd_)) {
    ThrowFileError("open", path_, err);
  }
}

InputFile::~InputFile() {
  if (fd_ >= 0) fs_.Close(fd_);
}

size_t InputFile::Read(char* buf, size_t n) {
  size_t got = 0;
  if (std::error_code err = fs_.Read(fd_, buf, n, &got)) {
    ThrowFileError("read", path_, err);
  }
  return got;
}

FileSystem::Status InputFile::Status() { return StatusOf(fs_, fd_, path_); }

void InputFile::Close() {
  const int fd = fd_;
  fd_ = -1;
  if (std::error_code err = fs_.Close(fd)) ThrowFileError("close", path_, err);
}

OutputFile::OutputFile(FileSystem& fs, const std::string& path,
                       unsigned permissions)
    : fs_(fs), path_(path) {
  if (std::error_code err = fs_.OpenWrite(path_, permissions, &fd_)) {
    ThrowFileError("open", path_, err);
  }
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) fs_.Close(fd_);
}

void OutputFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    size_t put = 0;
    if (std::error_code err =
            fs_.Write(fd_, bytes.data(), bytes.size(), &put)) {
      ThrowFileError("write", path_, err);
    }
    // A write that makes no progress and names no cause is a full device.
    if (put == 0) ThrowFileError("write", path_, std::errc::no_space_on_device);
    bytes.remove_prefix(put);
  }
}

void OutputFile::TakeMetadataOf(const std::string& from,
                                const FileSystem::Status& status) {
  if (std::error_code err = fs_.CopyMetadata(from, status, fd_)) {
    ThrowFileError("copy", path_, err);
  }
}

FileSystem::Status OutputFile::Status() { return StatusOf(fs_, fd_, path_); }

void OutputFile::Sync() {
  if (std::error_code err = fs_.SyncFile(fd_)) {
    ThrowFileError("flush", path_, err);
  }
}

void OutputFile::Close() {
  const int fd = fd_;
  fd_ = -1;
  if (std::error_code err = fs_.Close(fd)) ThrowFileError("close", path_, err);
}

std::error_code FileSystem::RenameDurably(const std::string& from,
                                          const std::string& to) {
  if (std::error_code err = Rename(from, to)) return err;
  const std::string folder = SplitPath(to).folder;
  return SyncDir(folder.empty() ? "." : folder);
}

bool SameFile(const FileSystem::Status& a, const FileSystem::Status& b) {
  return a.id.Known() && b.id.Known() && a.id == b.id;
}

FileSystem::Status StatFile(FileSystem& fs, const std::string& path) {
  FileSystem::Status status;
  if (std::error_code err = fs.Stat(path, &status)) {
    ThrowFileError("stat", path, err);
  }
  return status;
}

FileSystem::Status StatName(FileSystem& fs, const std::string& path) {
  FileSystem::Status status;
  if (std::error_code err = fs.StatLink(path, &status)) {
    ThrowFileError("stat", path, err);
  }
  return status;
}

std::string ReadWholeFile(FileSystem& fs, const std::string& path) {
  InputFile in(fs, path);
  std::string text;
  constexpr size_t kChunk = 1 << 16;
  for (;;) {
    const size_t old_size = text.size();
    text.resize(old_size + kChunk);
    const size_t got = in.Read(text.data() + old_size, kChunk);
    text.resize(old_size + got);
    if (got == 0) break;
  }
  in.Close();
  return text;
}

void ReadChunks(FileSystem& fs, const std::string& path,
                const std::function<bool(std::string_view chunk)>& take) {
  constexpr size_t kChunk = 1 << 16;
  InputFile in(fs, path);
  const auto buf = std::make_unique_for_overwrite<char[]>(kChunk);
  while (const size_t got = in.Read(buf.get(), kChunk)) {
    if (!take(std::string_view(buf.get(), got))) break;
  }
  in.Close();
}

FileSystem::Status CheckListed(FileSystem& fs, const std::string& path) {
  return CheckListed(path, StatFile(fs, path));
}

FileSystem::Status CheckListed(const std::string& path,
                               const FileSystem::Status& status) {
  const FileSystem::Kind kind = status.kind;
  if (kind == FileSystem::Kind::kMissing) {
    ThrowFileError("open", path, std::errc::no_such_file_or_directory);
  }
  if (kind == FileSystem::Kind::kDirectory) {
    ThrowFileError("open", path, std::errc::is_a_directory);
  }
  if (kind != FileSystem::Kind::kRegular) {
    ThrowFileError("open", path, std::errc::invalid_argument);
  }
  return status;
}
