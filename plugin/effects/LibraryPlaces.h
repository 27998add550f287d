#pragma once
// Where a program may name an effect library from. Program files, a host's session and preset
// packs come from anyone, and opening a library runs its code: its constructors run before any
// entry point can be looked at. So a library that a program block names is opened only when,
// with ".." and symbolic links resolved, it lies inside the effects folder (`EffectPath`) or one
// of the system's standard plug-in folders; the judgement is made on the resolved paths before
// anything of the library is opened, and the resolved file is the one then opened.
//
// The slot menu's own choices (a library of the effects folder, or a file the musician picks in
// the file dialog) are the musician's decision and are not judged here.
//
// Any thread except the audio thread (the resolution asks the file system).

#include <optional>
#include <string>
#include <vector>

#include "plugin/model/Result.h"

namespace rimba {

// How a system compares paths.
struct PathRules {
    bool backslashSeparates = false;  // Windows: '\' as well as '/'
    bool ignoreCase = false;  // Windows: "FX" and "fx" are one name
};

PathRules systemPathRules();

// Whether `path` names something strictly below `folder`. Both must be absolute ('/' first; on
// Windows a drive "C:\" or a share "\\server\share"); they are compared name by name, so
// "/usr/lib/vst-evil/x.so" is not inside "/usr/lib/vst", and doubled or trailing separators,
// "." and ".." (taken out lexically) change nothing. A folder that is a root alone ("/", "C:\",
// a share) holds nothing: a whole disk is no plug-in folder. Pure: the file system is not asked.
bool liesInsideFolder(const std::string& path, const std::string& folder, const PathRules& rules);

// The judgement on paths already resolved: refused, saying why, when the library was not found
// (`library` none) or lies inside none of `folders`. Pure.
Result<> judgeLibraryPlace(const std::optional<std::string>& library, const std::vector<std::string>& folders,
                           const PathRules& rules);

// The folders a program may name libraries in, unresolved: the effects folder when it is set,
// then the system's standard plug-in folders.
std::vector<std::string> programEffectFolders(const std::string& effectFolder);

// A library named by a program (its path already joined to the effects folder where it was
// stored relative): `path` and the folders resolved by the system, then judged. The resolved
// file, which is the one to open, or why it may not be opened. Nothing is opened.
Result<std::string> placeProgramEffectLibrary(const std::string& path, const std::string& effectFolder);

}  // namespace rimba
