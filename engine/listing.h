#ifndef ENGINE_LISTING_H_
#define ENGINE_LISTING_H_

#include <string>
#include <vector>

#include "engine/filesystem.h"

enum class EntryKind { kFolder, kFile };

// Names (bytes, without the folder) of the subfolders or of the regular
// files in folder path, symbolic links followed, sorted with letter case
// ignored. Throws std::filesystem::filesystem_error when the folder, or an
// entry of it other than a link loop, cannot be read.
std::vector<std::string> ListFolder(FileSystem& fs, const std::string& path,
                                    EntryKind kind);

#endif  // ENGINE_LISTING_H_
