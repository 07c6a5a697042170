#include "engine/backup.h"

#include <cerrno>
#include <filesystem>
#include <memory>

#include "engine/files.h"

namespace {

// Large enough that reads cost little per byte, small enough to come from
// the heap's free lists: a buffer of hundreds of kilobytes per file went to
// the system and back for each of a batch's thousands of files. Its bytes
// are never read before they are filled, so they are not cleared either.
constexpr size_t kCopyBuffer = 1 << 16;

std::unique_ptr<char[]> CopyBuffer() {
  return std::make_unique_for_overwrite<char[]>(kCopyBuffer);
}

}  // namespace

Backup::Backup(FileSystem& fs, const std::string& path, const std::string& bak,
               const std::function<void(std::string_view)>& watch)
    : fs_(fs), bak_(bak), temp_(fs, bak + ".partial") {
  permissions_ = StatFile(fs_, path).permissions;
  // Whatever lies under the temporary name (the copy of a killed run, a
  // link, another name of the file itself) goes first: opening it would
  // write through it, maybe into the very file being copied.
  if (int err = fs_.Remove(temp_.path()); err != 0 && err != ENOENT) {
    ThrowFileError("remove", temp_.path(), err);
  }
  InputFile in(fs_, path);
  OutputFile out(fs_, temp_.path(), permissions_);
  const std::unique_ptr<char[]> buf = CopyBuffer();
  while (const size_t got = in.Read(buf.get(), kCopyBuffer)) {
    const std::string_view chunk(buf.get(), got);
    if (watch) watch(chunk);
    out.Write(chunk);
  }
  out.Close();
  in.Close();
}

void Backup::Commit() {
  if (int err = fs_.Rename(temp_.path(), bak_)) {
    ThrowFileError("rename", bak_, err);
  }
  temp_.Forget();
}

void Backup::Discard() {
  temp_.Forget();
  if (int err = fs_.Remove(temp_.path())) {
    ThrowFileError("remove", temp_.path(), err);
  }
}

void BackUp(FileSystem& fs, const std::string& path, const std::string& bak) {
  Backup backup(fs, path, bak, nullptr);
  backup.Commit();
}

namespace {

void CopyBytes(FileSystem& fs, const std::string& from, const std::string& to,
               unsigned permissions) {
  InputFile in(fs, from);
  OutputFile out(fs, to, permissions);
  const std::unique_ptr<char[]> buf = CopyBuffer();
  while (const size_t got = in.Read(buf.get(), kCopyBuffer)) {
    out.Write(std::string_view(buf.get(), got));
  }
  out.Close();
  in.Close();
}

}  // namespace

void RewriteBackedUp(FileSystem& fs, const std::string& path,
                     const std::string& bak, unsigned permissions,
                     const std::function<void(OutputFile&)>& write) {
  try {
    OutputFile out(fs, path, permissions);
    write(out);
    out.Close();
  } catch (const std::filesystem::filesystem_error&) {
    try {
      CopyBytes(fs, bak, path, permissions);
    } catch (const std::filesystem::filesystem_error&) {
      // The first failure is the one to report; the backup still holds
      // every byte.
    }
    throw;
  }
}
