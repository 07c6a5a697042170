#ifndef ENGINE_TESTKIT_BATCHDRIVER_H_
#define ENGINE_TESTKIT_BATCHDRIVER_H_

#include <string>

#include "engine/conversionhost.h"
#include "engine/filesystem.h"
#include "engine/tables.h"

// Walks a batch folder the way the window's batch command does: each
// immediate subfolder, each file in it whose name ends in ".vbp", both in
// name order with letter case ignored; the folder is made the current
// directory and the project converted without questions. A link to a folder
// counts; a link that leads nowhere or round in a loop does not. Returns how
// many project files it handled; throws as ConvertProject does at the first
// failure.
int ConvertBatch(const std::string& folder, const Tables& tables,
                 ConversionHost& host, FileSystem& fs);

#endif  // ENGINE_TESTKIT_BATCHDRIVER_H_
