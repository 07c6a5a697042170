#ifndef ENGINE_BATCHDRIVER_H_
#define ENGINE_BATCHDRIVER_H_

#include <string>

#include "engine/conversionhost.h"
#include "engine/filesystem.h"
#include "engine/tables.h"

// Walks a batch folder the way the window's batch command does: each
// immediate subfolder in name order (a link to a folder counts, a link that
// leads nowhere or round in a loop does not), each file in it whose name ends
// in ".vbp" (case ignored) in name order, made the current directory first
// and converted without questions. Returns how many project files it
// handled; throws as ConvertProject does at the first failure.
int ConvertBatch(const std::string& folder, const Tables& tables,
                 ConversionHost& host, FileSystem& fs);

#endif  // ENGINE_BATCHDRIVER_H_
