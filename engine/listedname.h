#ifndef ENGINE_LISTEDNAME_H_
#define ENGINE_LISTEDNAME_H_

#include <string>

#include "engine/filesystem.h"
#include "engine/paths.h"

// Where a file that a project lists lies on this machine. Project files come
// from Windows: a backslash separates folders, a relative name is relative to
// the project's folder (pth; empty for the current directory), and letter
// case need not match the disk. A component that does not exist as written
// takes the one directory entry equal to it with case ignored. A name with a
// drive letter cannot exist here. On Windows the system itself reads names
// that way: the name is taken as written, relative to pth unless it has a
// drive or a leading separator. Throws ENOENT naming the path sought when
// the name does not resolve.
std::string ResolveListedName(const std::string& pth, const std::string& fn,
                              FileSystem& fs);

// Whether a name resolved so is spelt as the file system spells it. Not on
// Windows, which takes any letter case.
#ifdef _WIN32
inline constexpr bool kResolvedNamesAsOnDisk = false;
#else
inline constexpr bool kResolvedNamesAsOnDisk = true;
#endif

#endif  // ENGINE_LISTEDNAME_H_
