#include "plugin/effects/LibraryPlaces.h"

#include <cctype>

#include "common/platform/Paths.h"

namespace rimba {

namespace {

// A path taken apart into its names. The first `rootNames` of them are its root: none for
// POSIX's "/", the drive ("C:") on Windows, or the server and share of "\\server\share".
struct PathNames {
    bool absolute = false;
    std::size_t rootNames = 0;
    std::vector<std::string> names;
};

bool separates(char c, const PathRules& rules) { return c == '/' || (rules.backslashSeparates && c == '\\'); }

std::vector<std::string> splitNames(const std::string& path, const PathRules& rules) {
    std::vector<std::string> names;
    std::string name;
    for (const char c : path) {
        if (!separates(c, rules)) {
            name += c;
            continue;
        }
        if (!name.empty())
            names.push_back(std::move(name));
        name.clear();
    }
    if (!name.empty())
        names.push_back(std::move(name));
    return names;
}

std::size_t rootNamesOf(const std::string& path, const PathRules& rules, bool& absolute) {
    absolute = true;
    if (!rules.backslashSeparates) {
        absolute = !path.empty() && path.front() == '/';
        return 0;
    }
    if (path.size() > 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
        separates(path[2], rules))
        return 1;
    if (path.size() > 1 && separates(path[0], rules) && separates(path[1], rules))
        return 2;
    absolute = false;
    return 0;
}

PathNames namesOf(const std::string& path, const PathRules& rules) {
    PathNames parsed;
    parsed.rootNames = rootNamesOf(path, rules, parsed.absolute);
    if (!parsed.absolute)
        return parsed;
    const std::vector<std::string> raw = splitNames(path, rules);
    if (raw.size() < parsed.rootNames) {
        parsed.absolute = false;
        return parsed;
    }
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const std::string& name = raw[i];
        const bool dots = name == "." || name == "..";
        if (i < parsed.rootNames) {
            // A share whose server or share name is a dot is no share.
            if (dots)
                parsed.absolute = false;
            parsed.names.push_back(name);
        } else if (name == "..") {
            // ".." at the root stays at the root, as the systems have it.
            if (parsed.names.size() > parsed.rootNames)
                parsed.names.pop_back();
        } else if (!dots) {
            parsed.names.push_back(name);
        }
    }
    return parsed;
}

bool sameName(const std::string& a, const std::string& b, const PathRules& rules) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x != y && (!rules.ignoreCase || std::tolower(x) != std::tolower(y)))
            return false;
    }
    return true;
}

// A path that does not depend on the folder the host works in: absolute, or on Windows one from
// the root of the current drive ("\Effects\x.dll"), which the system anchors as it resolves it.
bool anchored(const std::string& path) {
    return platform::isAbsolutePath(path) || (!path.empty() && platform::isPathSeparator(path.front()));
}

}  // namespace

PathRules systemPathRules() {
    return PathRules{.backslashSeparates = platform::isPathSeparator('\\'), .ignoreCase = platform::namesIgnoreCase()};
}

bool liesInsideFolder(const std::string& path, const std::string& folder, const PathRules& rules) {
    const PathNames inside = namesOf(path, rules);
    const PathNames around = namesOf(folder, rules);
    if (!inside.absolute || !around.absolute || inside.rootNames != around.rootNames)
        return false;
    if (around.names.size() <= around.rootNames || inside.names.size() <= around.names.size())
        return false;
    for (std::size_t i = 0; i < around.names.size(); ++i)
        if (!sameName(inside.names[i], around.names[i], rules))
            return false;
    return true;
}

Result<> judgeLibraryPlace(const std::optional<std::string>& library, const std::vector<std::string>& folders,
                           const PathRules& rules) {
    if (!library)
        return Refusal{"no library is there"};
    for (const std::string& folder : folders)
        if (liesInsideFolder(*library, folder, rules))
            return {};
    return Refusal{"outside the effects folder and the standard plug-in folders (it is " + *library + ")"};
}

std::vector<std::string> programEffectFolders(const std::string& effectFolder) {
    std::vector<std::string> folders;
    if (!effectFolder.empty())
        folders.push_back(effectFolder);
    for (std::string& folder : platform::standardPluginFolders())
        folders.push_back(std::move(folder));
    return folders;
}

Result<std::string> placeProgramEffectLibrary(const std::string& path, const std::string& effectFolder) {
    // A relative name would be found from wherever the host runs.
    if (!anchored(path))
        return Refusal{"a relative name, and no effects folder to look for it in"};
    std::vector<std::string> folders;
    for (const std::string& folder : programEffectFolders(effectFolder))
        if (anchored(folder))
            if (std::optional<std::string> resolved = platform::resolvedPath(folder))
                folders.push_back(std::move(*resolved));
    const std::optional<std::string> library = platform::resolvedPath(path);
    if (Result<> judged = judgeLibraryPlace(library, folders, systemPathRules()); !judged)
        return judged.refusal();
    return *library;
}

}  // namespace rimba
