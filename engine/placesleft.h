#ifndef ENGINE_PLACESLEFT_H_
#define ENGINE_PLACESLEFT_H_

#include <string>
#include <string_view>
#include <vector>

#include "engine/filesystem.h"
#include "engine/report.h"
#include "engine/version8.h"

// The files of the entries a conversion leaves as they are and that may
// still name version 8: modules, classes, property pages, user documents
// and designers, each as the project text names it (the text after the
// value's last "; ", or the whole value).
std::vector<std::string> OtherEntries(std::string_view project_text);

// Every line of text that finder finds something in, noted in report. A CR,
// an LF or both end a line, so that a line's number is the one an editor
// shows, whatever the file's line ends.
void NotePlaces(std::string_view text, const Version8Finder& finder,
                FileReport& report);

// Reads the file the project in folder lists as fn, resolved as a listed
// form, and notes its places. Never throws: the conversion is over when it
// runs, so a file that is missing or cannot be read is reported as
// unreadable, with the reason.
FileReport ScanOtherEntry(const std::string& folder, const std::string& fn,
                          const Version8Finder& finder, FileSystem& fs);

#endif  // ENGINE_PLACESLEFT_H_
