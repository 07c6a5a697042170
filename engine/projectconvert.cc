#include "engine/projectconvert.h"

#include <cerrno>
#include <filesystem>

#include "engine/backup.h"
#include "engine/files.h"
#include "engine/formconvert.h"
#include "engine/lines.h"
#include "engine/listedname.h"
#include "engine/paths.h"
#include "engine/text.h"

namespace {

constexpr std::string_view kCrLf = "\r\n";

// Adds to names every entry key + name, where name runs from after the key
// up to and including the next ext.
void AddEntries(std::string_view text, std::string_view key,
                std::string_view ext, std::vector<std::string>& names) {
  size_t t = FindIgnoreCase(text, key);
  while (t != std::string_view::npos) {
    const size_t start = t + key.size();
    if (start >= text.size() || text[start] != '"') {
      const size_t e = FindIgnoreCase(text, ext, t);
      if (e != std::string_view::npos) {
        names.emplace_back(text.substr(start, e + ext.size() - start));
      }
    }
    t = FindIgnoreCase(text, key, t + 1);
  }
}

bool IsConvertible(std::string_view text, const Tables& tables) {
  for (const ReplacementRow& row : tables.ProjTable) {
    if (FindIgnoreCase(text, row.find) != std::string_view::npos) return true;
  }
  return false;
}

std::string FolderOf(const std::string& path) {
  const std::string folder = SplitPath(path).folder;
  return folder.empty() ? "." : folder;
}

// A file about to be backed up and rewritten: it must be a regular file we
// may read and write, in a folder we may add its backup to, and its backup
// name must not be taken by a folder. Returns what the file is.
FileSystem::Status CheckRewritable(FileSystem& fs, const std::string& path) {
  const FileSystem::Status status = StatFile(fs, path);
  const FileSystem::Kind kind = status.kind;
  if (kind == FileSystem::Kind::kMissing) ThrowFileError("open", path, ENOENT);
  if (kind == FileSystem::Kind::kDirectory) {
    ThrowFileError("open", path, EISDIR);
  }
  if (kind != FileSystem::Kind::kRegular) ThrowFileError("open", path, EINVAL);
  if (int err = fs.Access(path, true)) ThrowFileError("open", path, err);
  const std::string folder = FolderOf(path);
  if (int err = fs.Access(folder, true)) ThrowFileError("open", folder, err);
  // Nor may a folder hold the name of the backup or of its temporary copy.
  const std::string bak = path + ".bak";
  const FileSystem::Status backup = StatFile(fs, bak);
  if (backup.kind == FileSystem::Kind::kDirectory) {
    ThrowFileError("open", bak, EISDIR);
  }
  const std::string partial = bak + ".partial";
  if (StatFile(fs, partial).kind == FileSystem::Kind::kDirectory) {
    ThrowFileError("open", partial, EISDIR);
  }
  // A file reached through its own backup name (a link to it) would be
  // rewritten into its only backup, and its bytes lost.
  if (backup.kind == FileSystem::Kind::kRegular &&
      (backup.device != 0 || backup.inode != 0) &&
      backup.device == status.device && backup.inode == status.inode) {
    ThrowFileError("open", bak, EINVAL);
  }
  return status;
}

// For each file, whether it is one written before, or one before it in
// files, reached under another name (listed twice, spelt otherwise, a link,
// the project file itself, a form an earlier project of the batch shares).
// A project may list a great many names, so each is looked up once.
std::vector<bool> Repeats(const std::vector<FileSystem::Status>& files,
                          WrittenFiles& written) {
  std::vector<bool> repeats;
  for (const FileSystem::Status& file : files) {
    const bool known = file.device != 0 || file.inode != 0;
    repeats.push_back(known &&
                      !written.emplace(file.device, file.inode).second);
  }
  return repeats;
}

// Keeps the window disabled while files are written, and enables it again
// however the conversion ends.
class WindowDisabled {
 public:
  explicit WindowDisabled(ConversionHost& host) : host_(host) {
    host_.SetWindowEnabled(false);
  }
  WindowDisabled(const WindowDisabled&) = delete;
  WindowDisabled& operator=(const WindowDisabled&) = delete;
  ~WindowDisabled() { host_.SetWindowEnabled(true); }

 private:
  ConversionHost& host_;
};

}  // namespace

std::vector<std::string> ListedFiles(std::string_view project_text) {
  std::vector<std::string> names;
  AddEntries(project_text, "Form=", ".frm", names);
  AddEntries(project_text, "UserControl=", ".ctl", names);
  return names;
}

void ConvertProject(const std::string& pth, bool interactive,
                    const Tables& tables, ConversionHost& host, FileSystem& fs,
                    WrittenFiles* written) {
  host.ClearProgress();
  const auto [folder, name] = SplitPath(pth);

  std::string text = ReadWholeFile(fs, pth);
  if (!IsConvertible(text, tables)) {
    host.ShowInfo("Couldn't find any convertible controls in '" + name + "'." +
                      std::string(kCrLf) + std::string(kCrLf) +
                      "Conversion cancelled.",
                  std::string());
    return;
  }
  if (interactive &&
      !host.AskOkCancel(
          "Ready to convert '" + name + "' from Version 8 to 8c." +
              std::string(kCrLf) + std::string(kCrLf) +
              "The original files will be backed up in files with an "
              "additional "
              "'.bak' extension." +
              std::string(kCrLf) + std::string(kCrLf) +
              "Press OK to proceed or Cancel if you changed your mind.",
          std::string())) {
    return;
  }
  const LineEnds ends = LineEndsOf(text.find('\r') != std::string::npos,
                                   text.find('\n') != std::string::npos);
  ApplyTable(text, tables.ProjTable);

  // Everything that will be written is checked first: a project stopped half
  // way would no longer be recognised as convertible, and could not be
  // finished by running the conversion again.
  const std::vector<std::string> names = ListedFiles(text);
  std::vector<std::string> paths;  // where each listed name resolved
  std::vector<FileSystem::Status> files = {CheckRewritable(fs, pth)};
  for (const std::string& fn : names) {
    paths.push_back(ResolveListedName(folder, fn, fs));
    files.push_back(CheckRewritable(fs, paths.back()));
  }
  WrittenFiles this_run;
  const std::vector<bool> repeats =
      Repeats(files, written != nullptr ? *written : this_run);

  WindowDisabled disabled(host);
  BackUp(fs, pth, pth + ".bak");
  RewriteBackedUp(fs, pth, pth + ".bak", 0666, [&](OutputFile& out) {
    out.Write(text);
    out.Write(Terminator(ends));
  });

  host.AddProgress(name + "... OK");
  for (const std::string& fn : names) host.AddProgress(fn);
  const size_t count = host.ProgressCount();
  for (size_t k = 1; k < count; ++k) {
    // A file this run has written already would have its backup of the
    // original replaced by the converted text, and nothing in a file without
    // grid controls tells the two apart.
    const bool repeat = k < repeats.size() && repeats[k];
    const std::string fn = host.ProgressItem(k);
    FormOutcome outcome = FormOutcome::kAlreadyConverted;
    if (!repeat && k <= names.size() && fn == names[k - 1]) {
      // The list gave the name back as it went in: resolved already.
      outcome = ConvertFormAt(paths[k - 1], tables, fs);
    } else if (!repeat) {
      outcome = ConvertForm(folder, fn, tables, fs);
    }
    host.SelectProgress(k);
    host.SetProgressItem(
        k, host.ProgressItem(k) + (outcome == FormOutcome::kConverted
                                       ? "... OK"
                                       : "... already converted"));
    host.Repaint();
    host.PumpEvents();
  }
  if (interactive) {
    host.ShowInfo(
        "Project '" + name + "' has been converted from Version 8 to 8c." +
            std::string(kCrLf) + std::string(kCrLf) +
            "Copies of the original files were saved with a 'bak' extension in "
            "case you want to restore the original project." +
            std::string(kCrLf) + std::string(kCrLf) +
            "You should now open the new project in VB and compile it to make "
            "sure there are no syntax errors." +
            std::string(kCrLf) + std::string(kCrLf),
        std::string());
  }
}
