#include "engine/backup.h"

#include <vector>

#include "engine/files.h"

Backup::Backup(FileSystem& fs, const std::string& path, const std::string& bak,
               const std::function<void(std::string_view)>& watch)
    : fs_(fs), bak_(bak), temp_(fs, bak + ".partial") {
  permissions_ = StatFile(fs_, path).permissions;
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
