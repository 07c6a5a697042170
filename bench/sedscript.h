#ifndef BENCH_SEDSCRIPT_H_
#define BENCH_SEDSCRIPT_H_

#include <string>
#include <string_view>

#include "engine/tables.h"

// find as a basic regular expression matching exactly its own bytes.
std::string SedPattern(std::string_view find);
// repl as the replacement part of an s command, inserted exactly.
std::string SedReplacement(std::string_view repl);

// A GNU sed script making every substitution of the project, form and class
// tables, case ignored, anywhere in a file: what a user would script instead
// of the converter. It knows nothing of the file's structure.
std::string SedScript(const Tables& tables);

#endif  // BENCH_SEDSCRIPT_H_
