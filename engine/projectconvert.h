#ifndef ENGINE_PROJECTCONVERT_H_
#define ENGINE_PROJECTCONVERT_H_

#include <string>
#include <string_view>
#include <vector>

#include "engine/conversionhost.h"
#include "engine/filesystem.h"
#include "engine/listedfile.h"
#include "engine/report.h"
#include "engine/tables.h"

// The names of the form and user-control files that a project text lists,
// forms first, each exactly as written: the text after "Form=" up to and
// including the next ".frm" (after "UserControl=", ".ctl"), case ignored. An
// entry whose value starts with a double quote names no file.
std::vector<std::string> ListedFiles(std::string_view project_text);

// Whether a project text references a version 8 control library: the find
// text of a project table row occurs in it, case ignored.
bool IsConvertible(std::string_view project_text, const Tables& tables);

// What the conversion writes for a project file that held project_text:
// the text with the project table applied, then one more line end of the
// text's own kind.
std::string ConvertedProjectFile(std::string_view project_text,
                                 const Tables& tables);

// Converts the project file pth and every form and user control it lists,
// reporting through host, in four steps: a plan, by reading alone; the
// check before writing, so that a project with a missing or unwritable file
// is left untouched; the files in the progress list's order, the project
// file last, so that a project stopped half way is still recognised as
// convertible and converting it again finishes it; and the report.
// interactive asks before and reports after; the window is disabled from
// the first reading to the end. Throws std::filesystem::filesystem_error
// (the system's error, and the path) at the first failing file operation;
// the host's window is enabled again by then. A file is converted once per
// run however often it is listed; a batch passes the same written to each
// of its projects, so that a form two projects share is converted once
// too, and flushes it when it ends. Without written, what was written is
// flushed before the completion box, or before the error goes on. report,
// when given, learns what was done to each file and the places left for the
// user; its name is pth's file name. A conversion that asks shows its plan
// and its report in the details of its boxes.
void ConvertProject(const std::string& pth, bool interactive,
                    const Tables& tables, ConversionHost& host, FileSystem& fs,
                    WrittenFiles* written = nullptr,
                    ProjectReport* report = nullptr);

#endif  // ENGINE_PROJECTCONVERT_H_
