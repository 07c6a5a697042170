#include "engine/replacement.h"

#include <memory>
#include <optional>
#include <utility>

#include "engine/files.h"
#include "engine/paths.h"

namespace {

using Kind = FileSystem::Kind;

std::string FolderOf(const std::string& path) {
  const std::string folder = SplitPath(path).folder;
  return folder.empty() ? "." : folder;
}

// A temporary name holds nothing or what a killed run left there, a regular
// file; anything else was put there by someone else and is not ours to
// remove. Returns whether something is there.
bool CheckTempName(FileSystem& fs, const std::string& path,
                   const FileSystem::Status& found) {
  const Kind kind = found.kind;
  if (kind == Kind::kMissing) return false;
  if (kind == Kind::kDirectory) {
    ThrowFileError("open", path, std::errc::is_a_directory);
  }
  if (kind != Kind::kRegular) {
    ThrowFileError("open", path, std::errc::file_exists);
  }
  if (std::error_code err = fs.MayReplace(path)) {
    ThrowFileError("remove", path, err);
  }
  return true;
}

// What a killed run left under a temporary name.
void RemoveLeftover(FileSystem& fs, const std::string& path) {
  if (!CheckTempName(fs, path, StatName(fs, path))) return;
  if (std::error_code err = fs.Remove(path);
      err && err != std::errc::no_such_file_or_directory) {
    ThrowFileError("remove", path, err);
  }
}

constexpr size_t kCopyBuffer = 1 << 16;

// Where the file system gives no second name, the backup is a copy, and the
// copy's bytes and its name must be on disk before the original goes.
void CopyDurably(FileSystem& fs, const ReplacementNames& names,
                 unsigned permissions) {
  std::optional<TempName> temp;
  {
    InputFile in(fs, names.target);
    OutputFile out(fs, names.backup_temp, permissions);
    // Ours only once created: a name someone else took is left alone.
    temp.emplace(fs, names.backup_temp);
    const auto buf = std::make_unique_for_overwrite<char[]>(kCopyBuffer);
    while (const size_t got = in.Read(buf.get(), kCopyBuffer)) {
      out.Write(std::string_view(buf.get(), got));
    }
    out.Sync();
    out.Close();
    in.Close();
  }
  temp->RenameTo(names.backup, true);
}

void BackUp(FileSystem& fs, const ReplacementNames& names,
            const FileSystem::Status& original) {
  // A run killed after the backup was made and before the new file took
  // the listed name left the original under both names: that is the backup.
  FileSystem::Status backup;  // missing, as the check found it
  if (names.backup_found) backup = StatName(fs, names.backup);
  if (backup.kind == Kind::kRegular && SameFile(backup, original)) return;
  // Without an older backup to replace, the second name goes straight where
  // it belongs: a link, like a rename, either makes the name whole or not
  // at all. A backup that appeared since the check may be another run's
  // only original: it is not ours to replace.
  if (backup.kind == Kind::kMissing) {
    const std::error_code err = fs.Link(names.target, names.backup);
    if (!err) return;
    if (err == std::errc::file_exists) {
      ThrowFileError("link", names.backup, err);
    }
    CopyDurably(fs, names, original.permissions);
    return;
  }
  if (!fs.Link(names.target, names.backup_temp)) {
    TempName temp(fs, names.backup_temp);
    temp.RenameTo(names.backup);
    return;
  }
  // FAT and exFAT drives, many network shares, a kernel that guards links
  // to other users' files: whatever the reason, the copy is as safe.
  CopyDurably(fs, names, original.permissions);
}

}  // namespace

TempName::~TempName() {
  if (!kept_) fs_->Remove(path_);
}

void TempName::RenameTo(const std::string& to, bool durably) {
  if (std::error_code err =
          durably ? fs_->RenameDurably(path_, to) : fs_->Rename(path_, to)) {
    ThrowFileError("rename", to, err);
  }
  kept_ = true;
}

ReplacementNames NamesOf(FileSystem& fs, const std::string& listed) {
  return NamesOf(fs, listed, StatName(fs, listed).kind == Kind::kLink);
}

ReplacementNames NamesOf(FileSystem& fs, const std::string& listed, bool link) {
  ReplacementNames names;
  names.listed = listed;
  names.target = listed;
  if (link) {
    if (std::error_code err = fs.ResolveLinks(listed, &names.target)) {
      ThrowFileError("open", listed, err);
    }
  }
  names.backup = listed + kBackupSuffix;
  names.backup_temp = listed + kBackupTempSuffix;
  names.new_temp = names.target + kNewTempSuffix;
  return names;
}

void ReplaceableCheck::CheckFolder(const std::string& folder) {
  if (folders_.count(folder)) return;
  if (std::error_code err = fs_.Access(folder, true)) {
    ThrowFileError("open", folder, err);
  }
  folders_.insert(folder);
}

void ReplaceableCheck::Check(ReplacementNames& names,
                             const FileSystem::Status& target,
                             const FileSystem::Status* found) {
  // The file's own mark counts whoever runs the program: root passes every
  // access check, yet a read-only form in a working copy is not to be
  // changed behind its source control's back.
  if ((target.permissions & 0200) == 0) {
    ThrowFileError("open", names.listed, std::errc::permission_denied);
  }
  if (std::error_code err = fs_.Access(names.target, true)) {
    ThrowFileError("open", names.listed, err);
  }
  const std::string listed_folder = FolderOf(names.listed);
  const std::string target_folder = FolderOf(names.target);
  CheckFolder(listed_folder);
  if (target_folder != listed_folder) CheckFolder(target_folder);
  if (std::error_code err = fs_.MayReplace(names.target)) {
    ThrowFileError("rename", names.listed, err);
  }
  const FileSystem::Status backup =
      found != nullptr ? *found : StatName(fs_, names.backup);
  if (backup.kind == Kind::kDirectory) {
    ThrowFileError("open", names.backup, std::errc::is_a_directory);
  }
  // A listed link to its own backup name: the new file would take the
  // backup's place, and the original would be gone.
  if (names.target != names.listed && backup.kind != Kind::kMissing) {
    std::string backup_target;
    if (std::error_code err = fs_.ResolveLinks(names.backup, &backup_target)) {
      ThrowFileError("open", names.backup, err);
    }
    if (backup_target == names.target) {
      ThrowFileError("open", names.backup, std::errc::invalid_argument);
    }
  }
  if (backup.kind != Kind::kMissing) {
    if (std::error_code err = fs_.MayReplace(names.backup)) {
      ThrowFileError("rename", names.backup, err);
    }
  }
  names.backup_found = backup.kind != Kind::kMissing;
  const bool backup_temp_taken =
      CheckTempName(fs_, names.backup_temp, StatName(fs_, names.backup_temp));
  const bool new_temp_taken =
      CheckTempName(fs_, names.new_temp, StatName(fs_, names.new_temp));
  names.leftovers = backup_temp_taken || new_temp_taken;
}

void RemoveLeftovers(FileSystem& fs, const ReplacementNames& names) {
  RemoveLeftover(fs, names.new_temp);
  RemoveLeftover(fs, names.backup_temp);
}

NewFile CreateNewFile(FileSystem& fs, const ReplacementNames& names) {
  if (names.leftovers) RemoveLeftovers(fs, names);
  return CreateNewFile(fs, names, StatFile(fs, names.target));
}

// Anything that took a temporary name since the check is not ours: the new
// file's creation and the backup's link refuse a name that is taken.
NewFile CreateNewFile(FileSystem& fs, const ReplacementNames& names,
                      const FileSystem::Status& original) {
  auto out =
      std::make_unique<OutputFile>(fs, names.new_temp, original.permissions);
  // Ours only once created: a name someone else took is left alone.
  NewFile file{TempName(fs, names.new_temp), original, std::move(out), {}};
  file.out->TakeMetadataOf(names.target, original);
  return file;
}

void WriteNewFile(NewFile& file, const WriteNew& write) {
  write(*file.out, file.original);
  file.written = file.out->Status();
}

FileSystem::Status PutInPlace(FileSystem& fs, const ReplacementNames& names,
                              NewFile& file) {
  file.out->Close();
  file.out.reset();
  BackUp(fs, names, file.original);
  // A rename over the listed name: ext4 then writes the new file's bytes
  // out before its name. A file system that does not leaves a cut new file
  // at a power cut, which the next conversion recognises beside its backup.
  file.temp.RenameTo(names.target);
  return file.written;
}

FileSystem::Status Replace(FileSystem& fs, const ReplacementNames& names,
                           const WriteNew& write) {
  NewFile file = CreateNewFile(fs, names);
  WriteNewFile(file, write);
  return PutInPlace(fs, names, file);
}
