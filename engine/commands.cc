#include "engine/commands.h"

#include <utility>

#include "engine/details.h"
#include "engine/files.h"
#include "engine/listing.h"
#include "engine/paths.h"
#include "engine/text.h"

namespace {

// A conversion runs in its project's folder.
void EnterFolderOf(const std::string& pth, FileSystem& fs) {
  const std::string folder = SplitPath(pth).folder;
  if (folder.empty()) return;
  if (std::error_code err = fs.ChangeDir(folder)) {
    ThrowFileError("chdir", folder, err);
  }
}

}  // namespace

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

uint64_t ConvertSubfolderProjects(const FolderView& dir, FileListing& files,
                                  const Tables& tables, ConversionHost& host,
                                  FileSystem& fs, WrittenFiles& written,
                                  BatchReport* reports) {
  if (dir.error) throw *dir.error;
  uint64_t counter = 0;
  for (size_t k = 0; k < dir.subfolders.size(); ++k) {
    files.SetPath(dir.Subfolder(k));
    const size_t m = files.FileCount();
    for (size_t j = 0; j < m; ++j) {
      const std::string& f = files.FileName(j);
      if (!IsProjectFileName(f)) continue;
      const std::string pth = JoinPath(files.Path(), f);
      if (std::error_code err = fs.ChangeDir(files.Path())) {
        ThrowFileError("chdir", files.Path(), err);
      }
      ProjectReport report;
      ConvertProject(pth, false, tables, host, fs, &written,
                     reports != nullptr ? &report : nullptr);
      if (reports != nullptr) {
        // The batch names a project by its place in the folder.
        report.name = JoinPath(dir.subfolders[k], f);
        reports->Add(report);
      }
      ++counter;
    }
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

void ConvertChosenProject(CommandSession& session) {
  const FileChoice chosen = session.window().OpenFile(Form1Description().dlg);
  if (!chosen.error.empty()) {
    session.Box(BoxKind::kFailure, chosen.error);
    return;
  }
  if (chosen.path.empty()) return;  // cancelled
  try {
    EnterFolderOf(chosen.path, session.fs());
    ConvertProject(chosen.path, true, session.tables(), session, session.fs());
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
    case MenuCommand::kRestoreFolder:
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
