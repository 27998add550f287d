#pragma once
// The system's rules for paths and the standard folders of the instrument. Above the platform
// layer, code builds and takes paths apart only through these, so the same code follows
// Windows' rules on Windows (drive paths, '\' between folders) and POSIX rules on Linux.
// Any thread except the audio thread (the folders read the environment and the system).

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

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

// The folder part of `path` with its last separator; empty when it has none.
std::string folderOf(const std::string& path);
// What follows the last separator: the whole path when it has none.
std::string fileNameOf(const std::string& path);
// The file name of a path that may come from either system (a program saved on Windows and
// opened on Linux): '\' and '/' both end a folder here, on every system.
std::string fileNameOfAnySystemPath(const std::string& path);
// `name` without its extension (from its last '.' on).
std::string withoutExtension(const std::string& name);

// `folder` and `name` with one separator between them.
std::string joinPath(const std::string& folder, const std::string& name);

// Whether letter case tells two names apart: not on Windows, where "Verb.DLL" and "verb.dll" are
// one file; on Linux it does.
bool namesIgnoreCase();

// The path of an existing file or folder as the system finally reaches it: absolute, with every
// ".", ".." and symbolic link resolved and one separator between names (realpath on Linux; the
// final path of the file opened for its attributes only on Windows, where ".." is taken out
// before links are followed, as the system itself does when it opens the path). None when
// nothing exists there. Nothing is loaded or run.
std::optional<std::string> resolvedPath(const std::string& path);

// The folders that plug-ins are installed in by this system's conventions, unresolved, in order,
// some perhaps missing. Linux: every entry of $VST_PATH and of $LXVST_PATH, then ~/.vst,
// ~/.lxvst, /usr/local/lib/vst, /usr/local/lib/lxvst, /usr/lib/vst and /usr/lib/lxvst (Debian
// installs VST 2.4 plug-ins under the last two). Windows: the registry's VSTPluginsPath
// (HKLM\SOFTWARE\VST), then VSTPlugins and Steinberg\VSTPlugins under the program-files folder,
// and VST2 and Steinberg\VST2 under its Common Files.
std::vector<std::string> standardPluginFolders();

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
