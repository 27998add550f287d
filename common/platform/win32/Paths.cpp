#include "common/platform/Paths.h"

#include "common/platform/win32/Windows.h"
#include <shlobj.h>

#include <algorithm>
#include <array>

namespace rimba::platform {

namespace {

std::string withoutTrailingSeparators(std::string folder) {
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    return folder;
}

std::string programFilesFolder() {
    std::array<char, MAX_PATH> folder{};
    if (SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, folder.data()) != S_OK)
        return "C:\\Program Files";
    return withoutTrailingSeparators(folder.data());
}

std::string environment(const char* name) {
    std::array<char, 32768> value{};
    const DWORD length = GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
    return length > 0 && length < value.size() ? std::string(value.data(), length) : std::string();
}

}  // namespace

char pathSeparator() { return '\\'; }

bool isPathSeparator(char c) { return c == '\\' || c == '/'; }

bool isAbsolutePath(const std::string& path) { return path.size() > 1 && path[1] == ':'; }

std::string withNativeSeparators(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

const char* libraryExtension() { return "dll"; }

std::string defaultLibraryFolder() { return programFilesFolder() + "\\VORN Studio\\Rimba Drums"; }

std::string defaultEffectFolder() {
    std::string programFiles = withoutTrailingSeparators(environment("ProgramFiles"));
    if (programFiles.empty())
        programFiles = programFilesFolder();
    return programFiles + "\\VSTPlugIns\\VORN Effects\\";
}

}  // namespace rimba::platform
