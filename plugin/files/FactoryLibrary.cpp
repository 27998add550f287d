#include "plugin/files/FactoryLibrary.h"

#include "common/platform/Files.h"
#include "common/platform/FolderScan.h"
#include "common/platform/ModuleFolder.h"
#include "common/platform/Paths.h"
#include "plugin/files/LibraryFolder.h"

namespace rimba {

namespace {

std::string inside(const std::string& folder, const std::string& name) {
    return platform::joinPath(folder, platform::withNativeSeparators(name));
}

bool folderIsEmpty(const std::string& folder) { return platform::listFolder(folder).empty(); }

bool copyOneFile(const std::string& from, const std::string& to) {
    const std::optional<std::vector<std::uint8_t>> bytes = platform::readWholeFile(from);
    return bytes && platform::writeNewFileAtomically(to, *bytes);
}

// Copies what can be copied and goes on past a failure, so one unreadable file does not cost
// the user the rest of the library; false when anything was left out.
bool copyFolderContents(const std::string& from, const std::string& to) {
    bool complete = true;
    for (const platform::FolderEntry& entry : platform::listFolder(from)) {
        const std::string source = inside(from, entry.name);
        const std::string target = inside(to, entry.name);
        if (entry.isDirectory)
            complete = platform::makeFolders(target) && copyFolderContents(source, target) && complete;
        else
            complete = copyOneFile(source, target) && complete;
    }
    return complete;
}

// Best effort: a manual that cannot be written leaves its menu entry opening nothing, and the
// folder is still reported as in use.
void addMissingUserManuals(const std::string& factory, const std::string& library) {
    for (const char* manual : kUserManualFiles) {
        const std::string source = inside(factory, manual);
        const std::string target = inside(library, manual);
        if (platform::fileExists(source) && !platform::fileExists(target))
            copyOneFile(source, target);
    }
}

}  // namespace

std::string findFactoryLibrary(const std::string& moduleFolder) {
    if (moduleFolder.empty())
        return {};
    for (const std::string& candidate :
         {inside(moduleFolder, kFactoryLibraryFolderName), inside(moduleFolder, kInstalledFactoryLibrary)}) {
        if (platform::folderExists(candidate))
            return candidate;
    }
    return {};
}

FactoryCopy copyFactoryLibrary(const std::string& factory, const std::string& library) {
    if (factory.empty() || !platform::folderExists(factory))
        return FactoryCopy::kNoFactoryLibrary;
    if (platform::folderExists(library) && !folderIsEmpty(library)) {
        addMissingUserManuals(factory, library);
        return FactoryCopy::kLibraryInUse;
    }
    if (!platform::makeFolders(library))
        return FactoryCopy::kIncomplete;
    return copyFolderContents(factory, library) ? FactoryCopy::kCopied : FactoryCopy::kIncomplete;
}

FactoryCopy installFactoryLibraryOnFirstUse(const InstrumentSettings& settings) {
    return copyFactoryLibrary(findFactoryLibrary(platform::moduleFolder()), libraryFolder(settings));
}

}  // namespace rimba
