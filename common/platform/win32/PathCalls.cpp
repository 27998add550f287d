// The Win32 path rules and folders under Paths.cpp.

#include "common/platform/PathCalls.h"

#include "common/platform/win32/Windows.h"
#include <shlobj.h>

#include <array>

#include "common/platform/Paths.h"

namespace rimba::platform {

namespace {

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

const char* libraryExtension() { return "dll"; }

std::string defaultEffectFolder() {
    std::string programFiles = withoutTrailingSeparators(environment("ProgramFiles"));
    if (programFiles.empty())
        programFiles = programFilesFolder();
    return programFiles + "\\VSTPlugIns\\VORN Effects\\";
}

namespace calls {

std::string libraryParentFolder() { return programFilesFolder(); }

}  // namespace calls

}  // namespace rimba::platform
