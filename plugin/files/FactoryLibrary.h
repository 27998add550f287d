#pragma once
// The factory library: the sounds, kits, patterns and programs installed with the plug-in. An
// instrument that starts with an empty library folder gets a copy of it there, so it plays out
// of the box, and the copy is the user's own to change.
// Main thread (construction) or tests; never the audio thread.

#include <string>

#include "plugin/model/InstrumentSettings.h"

namespace rimba {

// The folder that holds the factory library beside the plug-in file.
constexpr const char* kFactoryLibraryFolderName = "RimbaDrums_64-library";
// Where an installation under a prefix puts it, relative to the plug-in's folder
// (<prefix>/lib/vst/ to <prefix>/share/RimbaDrums/library).
constexpr const char* kInstalledFactoryLibrary = "../../share/RimbaDrums/library";

// The factory library seen from the folder of the plug-in file: the folder beside it, else the
// installed one under the same prefix; empty when neither exists.
std::string findFactoryLibrary(const std::string& moduleFolder);

// The user manuals, at the top of the factory library. The main menu opens them from the user's
// library folder, so a folder in use still receives the ones it lacks (see copyFactoryLibrary).
constexpr const char* kUserManualFiles[] = {"UserManualEnglish.pdf", "UserManualFrench.pdf"};

enum class FactoryCopy {
    kNoFactoryLibrary,  // nothing to copy from
    kLibraryInUse,  // the user's folder holds something already; only missing manuals are added
    kCopied,
    kIncomplete,  // some file or folder could not be made; what was made stays
};

// Copies every file and folder of `factory` into `library` when that folder is missing or
// empty. A folder in use gets only the user manuals of `factory` it lacks (a manual it holds,
// even an older one, stays), so a library made before the manuals were shipped opens them too.
// A file takes its name only once complete, and a name that is taken is never written.
FactoryCopy copyFactoryLibrary(const std::string& factory, const std::string& library);

// Both of the above for the module that holds this code and the user's library folder.
FactoryCopy installFactoryLibraryOnFirstUse(const InstrumentSettings& settings);

}  // namespace rimba
