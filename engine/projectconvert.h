#ifndef ENGINE_PROJECTCONVERT_H_
#define ENGINE_PROJECTCONVERT_H_

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/conversionhost.h"
#include "engine/filesystem.h"
#include "engine/report.h"
#include "engine/tables.h"
#include "engine/worker.h"

// The names of the form and user-control files that a project text lists,
// forms first, each exactly as written: the text after "Form=" up to and
// including the next ".frm" (after "UserControl=", ".ctl"), case ignored. An
// entry whose value starts with a double quote names no file.
std::vector<std::string> ListedFiles(std::string_view project_text);

// What the conversions of one command have written or found converted: the
// files by identity (device and inode), so that a form two projects share is
// converted once, and the names written, to be flushed when the command ends.
// A replaced file has a new identity, and only that one is kept: the old one
// now belongs to its backup and to the file's other names.
struct WrittenFiles {
  std::set<FileSystem::FileId> files;
  std::vector<std::string> paths;
  // The conversions' second thread, one for every project of the command:
  // a thread started for each project costs more than some projects take.
  Worker worker;
};

// Puts everything written so far on disk, and forgets the names.
void FlushWritten(FileSystem& fs, WrittenFiles& written);

// Converts the project file pth and every form and user control it lists,
// reporting through host. interactive asks before and reports after. Throws
// std::filesystem::filesystem_error (errno, text and path) at the first
// failing file operation; the host's window is enabled again by then. Every
// file to be written is checked before anything is written, so a project
// with a missing or unwritable file is left untouched. The listed files are
// written first and the project file last: a project stopped half way is
// still recognised as convertible, and converting it again finishes it. A
// file is converted once per run however often it is listed; a batch passes
// the same written to each of its projects, so that a form two projects share
// is converted once too, and flushes it when it ends. Without written, what
// was written is flushed before the completion box, or before the error goes
// on. report, when given, learns what was done to each file and the places
// left for the user; its name is pth's file name. A conversion that asks
// shows its plan and its report in the details of its boxes.
void ConvertProject(const std::string& pth, bool interactive,
                    const Tables& tables, ConversionHost& host, FileSystem& fs,
                    WrittenFiles* written = nullptr,
                    ProjectReport* report = nullptr);

#endif  // ENGINE_PROJECTCONVERT_H_
