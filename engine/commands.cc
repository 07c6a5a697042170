#include "engine/commands.h"

#include <utility>

#include "engine/details.h"
#include "engine/files.h"
#include "engine/listing.h"
#include "engine/paths.h"
#include "engine/restorecommand.h"
#include "engine/text.h"

void EnterFolderOf(const std::string& pth, FileSystem& fs) {
  const std::string folder = SplitPath(pth).folder;
  if (folder.empty()) return;
  if (std::error_code err = fs.ChangeDir(folder)) {
    ThrowFileError("chdir", folder, err);
  }
}

std::string FolderView::Subfolder(size_t k) const {
  return JoinPath(path, subfolders.at(k));
}

FolderView OpenFolder(FileSystem& fs, const std::string& path) {
  // An absolute path needs no current directory, which may be gone.
  std::string cwd;
  if (!IsAbsolutePath(path)) {
    if (std::error_code err = fs.CurrentDir(&cwd)) {
      ThrowFileError("getcwd", path, err);
    }
  }
  FolderView view;
  view.path = AbsolutePath(path, cwd);
  view.chain = FolderChain(view.path);
  try {
    view.subfolders = ListFolder(fs, view.path, EntryKind::kFolder);
  } catch (const std::filesystem::filesystem_error& e) {
    view.error = e;
  }
  return view;
}

void FileNames::SetPath(const std::string& path) {
  names_.clear();
  path_ = path;
  names_ = ListFolder(fs_, path, EntryKind::kFile);
}

bool IsProjectFileName(const std::string& f) {
  return f.size() >= 4 && EqualsIgnoreCase(f.substr(f.size() - 4), ".vbp");
}

SubfolderWalk::SubfolderWalk(const FolderView& dir, FileListing& files,
                             FileSystem& fs)
    : dir_(dir), files_(files), fs_(fs) {}

bool SubfolderWalk::Next() {
  if (dir_.error) throw *dir_.error;
  for (;;) {
    while (j_ < m_) {
      const std::string& f = files_.FileName(j_++);
      if (!IsProjectFileName(f)) continue;
      file_ = f;
      if (std::error_code err = fs_.ChangeDir(files_.Path())) {
        ThrowFileError("chdir", files_.Path(), err);
      }
      return true;
    }
    if (k_ == dir_.subfolders.size()) return false;
    m_ = j_ = 0;
    files_.SetPath(dir_.Subfolder(k_++));
    m_ = files_.FileCount();
  }
}

std::string SubfolderWalk::Path() const {
  return JoinPath(files_.Path(), file_);
}

std::string SubfolderWalk::Name() const {
  return JoinPath(dir_.subfolders[k_ - 1], file_);
}

uint64_t ConvertSubfolderProjects(const FolderView& dir, FileListing& files,
                                  const Tables& tables, ConversionHost& host,
                                  FileSystem& fs, WrittenFiles& written,
                                  BatchReport* reports) {
  uint64_t counter = 0;
  SubfolderWalk walk(dir, files, fs);
  while (walk.Next()) {
    ProjectReport report;
    ConvertProject(walk.Path(), false, tables, host, fs, &written,
                   reports != nullptr ? &report : nullptr);
    if (reports != nullptr) {
      report.name = walk.Name();
      reports->Add(report);
    }
    ++counter;
  }
  return counter;
}

std::string DoneText(uint64_t counter) {
  return "Done converting " + std::to_string(counter) + " projects.";
}

std::string FailureText(const std::filesystem::filesystem_error& e) {
  std::string text =
      "Error " + std::to_string(e.code().value()) + ": " + e.code().message();
  const std::string path = e.path1().string();
  if (!path.empty()) text += "\n" + path;
  return text;
}

std::optional<std::string> ChooseProject(CommandSession& session) {
  const FileChoice chosen = session.window().OpenFile(Form1Description().dlg);
  if (!chosen.error.empty()) {
    session.Box(BoxKind::kFailure, chosen.error);
    return std::nullopt;
  }
  if (chosen.path.empty()) return std::nullopt;  // cancelled
  return chosen.path;
}

void ConvertChosenProject(CommandSession& session) {
  const std::optional<std::string> pth = ChooseProject(session);
  if (!pth) return;
  try {
    EnterFolderOf(*pth, session.fs());
    ConvertProject(*pth, true, session.tables(), session, session.fs());
  } catch (const std::filesystem::filesystem_error& e) {
    session.ReportFailure(e);
  }
}

void ConvertBatchFolder(CommandSession& session) {
  FileSystem& fs = session.fs();
  // Everything the batch wrote is on disk before its last box shows,
  // whichever it is: one flush for the batch, never one per file.
  WrittenFiles written;
  BatchReport reports;
  try {
    const uint64_t counter = ConvertSubfolderProjects(
        session.window().Folder(), session.window().Files(), session.tables(),
        session, fs, written, &reports);
    FlushWritten(fs, written);
    session.Box(BoxKind::kDone, DoneText(counter), reports.Text("Projects:"));
  } catch (const std::filesystem::filesystem_error& e) {
    try {
      FlushWritten(fs, written);
    } catch (const std::filesystem::filesystem_error&) {
      // The first failure is the one to report.
    }
    session.ReportFailure(e, reports.empty()
                                 ? std::string()
                                 : reports.Text("Converted before the error:"));
  }
}

void RunMenuCommand(CommandSession& session, MenuCommand command) {
  switch (command) {
    case MenuCommand::kRestoreProject:
      session.Run(RestoreChosenProject);
      return;
    case MenuCommand::kRestoreFolder:
      session.Run(RestoreBatchFolder);
      return;
    case MenuCommand::kExit:
      if (session.MayClose()) session.window().Close();
      return;
    case MenuCommand::kNone:
      return;
  }
}

void FollowFolder(CommandSession& session) {
  const FolderView& dir = session.window().Folder();
  try {
    session.window().Files().SetPath(dir.path);
  } catch (const std::filesystem::filesystem_error& e) {
    if (!dir.error) session.ReportFailure(e);
  }
  if (dir.error) session.ReportFailure(*dir.error);
}
