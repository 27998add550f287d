#pragma once
// The library folder: the root under which the user's samples, kits, patterns and programs lie.
// Files store the paths of sounds under it relative to it, in the form Windows-made files use
// ('\' first and between folders), so a library can move, or travel to another machine, and
// its files still find each other.
// Any thread except the audio thread (the conversions from stored form look at the disk).

#include <string>

#include "plugin/model/InstrumentSettings.h"

namespace rimba {

// The `filesPath` setting when it is set, else the system's default library folder (see
// platform::defaultLibraryFolder). Never ends with a separator.
// Computed on each use, so a change of the setting or the environment takes effect at once.
std::string libraryFolder(const InstrumentSettings& settings);

// How a path's folder is compared with the library folder: program chunks ignore letter case
// (as Windows does), kits compare it exactly.
enum class FolderCase { kIgnored, kExact };

// The stored form of `path`: a path inside `library` becomes '\' and the rest with '\' between
// folders; any other path is stored whole.
std::string toStoredPath(const std::string& path, const std::string& library, FolderCase folderCase);

// The path a stored name refers to, with this system's separators between folders. A name
// beginning with '\' is inside `library`. On Windows a drive path ("C:\...") is absolute and
// a name beginning with '/' is inside `library`. On Linux a name beginning with '/' is that
// absolute path when a file exists there (in any letter case), else it too is inside `library`,
// and a drive path stays a foreign absolute path, which does not open here. Any other name is
// inside `library`. An empty name names nothing and gives an empty path.
std::string fromStoredPath(const std::string& name, const std::string& library);

}  // namespace rimba
