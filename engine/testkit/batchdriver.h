#ifndef ENGINE_TESTKIT_BATCHDRIVER_H_
#define ENGINE_TESTKIT_BATCHDRIVER_H_

#include <cstdint>
#include <string>

#include "engine/conversionhost.h"
#include "engine/details.h"
#include "engine/filesystem.h"
#include "engine/tables.h"

// The window's batch command without the window: folder opened as the
// folder list opens it, then the same walk. Returns how many project files
// it handled; throws as ConvertProject does at the first failure, and when
// folder cannot be listed. reports, when given, gets each project's report.
uint64_t ConvertBatch(const std::string& folder, const Tables& tables,
                      ConversionHost& host, FileSystem& fs,
                      BatchReport* reports = nullptr);

// The restore's batch the same way, its question answered as host answers
// it. Returns how many projects had a file restored, 0 where nothing was
// restored; throws at the first failure.
uint64_t RestoreBatch(const std::string& folder, const Tables& tables,
                      ConversionHost& host, FileSystem& fs);

// What the robustness suites run over a sample tree below root: the
// project root/Demo/Demo.vbp, or the batch over root; converted without
// questions, or restored as host answers. Throws as the command does.
void RunOnSample(const std::string& root, bool restore, bool batch,
                 const Tables& tables, ConversionHost& host, FileSystem& fs);

#endif  // ENGINE_TESTKIT_BATCHDRIVER_H_
