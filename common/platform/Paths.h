#pragma once
// The system's rules for paths and the standard folders of the instrument. Above the platform
// layer, code builds and takes paths apart only through these, so the same code follows
// Windows' rules on Windows (drive paths, '\' between folders) and POSIX rules on Linux.
// Any thread except the audio thread (the folders read the environment and the system).

#include <cstddef>
#include <string>

namespace rimba::platform {

// The separator the system puts between folders: '\' on Windows, '/' on Linux.
char pathSeparator();

// True for a character that separates folders here ('\' and '/' on Windows, '/' on Linux).
bool isPathSeparator(char c);

// The position of the last separator in `path`, or npos.
std::size_t lastPathSeparator(const std::string& path);

// An absolute path of this system: a drive path (':' as second character) on Windows, a path
// beginning with '/' on Linux. A folder scan needs one.
bool isAbsolutePath(const std::string& path);

// `path` with every separator of either system turned into this system's own.
std::string withNativeSeparators(std::string path);

// `folder` and `name` with one separator between them.
std::string joinPath(const std::string& folder, const std::string& name);

// The file-name extension of loadable libraries, without the dot: "dll" or "so".
const char* libraryExtension();

// The default library folder, without a separator at the end: the program-files special folder
// plus "\VORN Studio\Rimba Drums" on Windows; "$XDG_DATA_HOME/VORN Studio/Rimba Drums" on Linux
// ("~/.local/share" standing in for an unset or relative $XDG_DATA_HOME).
std::string defaultLibraryFolder();

// The default folder of hosted effects, ending with a separator: %ProgramFiles% followed by
// "\VSTPlugIns\VORN Effects\" on Windows; the first entry of $VST_PATH, else "~/.vst/", on Linux.
std::string defaultEffectFolder();

}  // namespace rimba::platform
