// The Win32 path rules and folders under Paths.cpp.

#include "common/platform/PathCalls.h"

#include "common/platform/win32/Windows.h"
#include <shlobj.h>

#include <array>
#include <vector>

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

// HKLM\SOFTWARE\VST's VSTPluginsPath, where Windows hosts and installers agree to put VST 2.4
// plug-ins; empty when it is not set.
std::string registeredPluginFolder() {
    std::array<char, MAX_PATH> folder{};
    DWORD size = static_cast<DWORD>(folder.size());
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\VST", "VSTPluginsPath", RRF_RT_REG_SZ, nullptr, folder.data(),
                     &size) != ERROR_SUCCESS)
        return {};
    return std::string(folder.data());
}

// The final path the system reports carries its long-path prefix: "\\?\C:\..." for a drive,
// "\\?\UNC\server\share\..." for a share.
std::string withoutLongPathPrefix(const std::string& path) {
    if (path.rfind("\\\\?\\UNC\\", 0) == 0)
        return "\\\\" + path.substr(8);
    if (path.rfind("\\\\?\\", 0) == 0)
        return path.substr(4);
    return path;
}

}  // namespace

char pathSeparator() { return '\\'; }

bool isPathSeparator(char c) { return c == '\\' || c == '/'; }

bool isAbsolutePath(const std::string& path) { return path.size() > 1 && path[1] == ':'; }

const char* libraryExtension() { return "dll"; }

bool namesIgnoreCase() { return true; }

std::optional<std::string> resolvedPath(const std::string& path) {
    if (path.empty())
        return std::nullopt;
    // No access asked for: the handle serves only to ask where the file finally is. Folders open
    // only with backup semantics.
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::vector<char> finalPath(32768, 0);
    const DWORD length = GetFinalPathNameByHandleA(file, finalPath.data(), static_cast<DWORD>(finalPath.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(file);
    if (length == 0 || length >= finalPath.size())
        return std::nullopt;
    return withoutLongPathPrefix(std::string(finalPath.data(), length));
}

std::vector<std::string> standardPluginFolders() {
    std::vector<std::string> folders;
    if (std::string registered = registeredPluginFolder(); !registered.empty())
        folders.push_back(std::move(registered));
    std::string programFiles = withoutTrailingSeparators(environment("ProgramFiles"));
    if (programFiles.empty())
        programFiles = programFilesFolder();
    for (const char* below :
         {"\\VSTPlugins", "\\Steinberg\\VSTPlugins", "\\Common Files\\VST2", "\\Common Files\\Steinberg\\VST2"})
        folders.push_back(programFiles + below);
    return folders;
}

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
