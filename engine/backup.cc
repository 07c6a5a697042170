#include "engine/backup.h"

#include <cerrno>
#include <filesystem>
#include <vector>

#include "engine/files.h"

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
  std::vector<char> buf(1 << 18);
  while (const size_t got = in.Read(buf.data(), buf.size())) {
    const std::string_view chunk(buf.data(), got);
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
  std::vector<char> buf(1 << 18);
  while (const size_t got = in.Read(buf.data(), buf.size())) {
    out.Write(std::string_view(buf.data(), got));
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
