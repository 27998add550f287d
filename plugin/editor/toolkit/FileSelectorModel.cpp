#include "plugin/editor/toolkit/FileSelectorModel.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

namespace rimba::toolkit {

namespace {

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool isFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

bool isFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error) && !std::filesystem::is_directory(path, error);
}

// Stored folders may end with a separator, Windows-made ones with a backslash: the folder is the
// same without it.
std::string withoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) {
        path.pop_back();
    }
    return path;
}

std::string parentOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return {};
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string lastElementOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    return (home != nullptr && home[0] == '/' && isFolder(home)) ? std::string(home) : std::string("/");
}

}  // namespace

bool hasExtension(const std::string& name, const std::string& extension) {
    if (extension.empty()) {
        return true;
    }
    if (name.size() <= extension.size() + 1 || name[name.size() - extension.size() - 1] != '.') {
        return false;
    }
    const std::size_t start = name.size() - extension.size();
    for (std::size_t i = 0; i < extension.size(); ++i) {
        if (asciiLower(name[start + i]) != asciiLower(extension[i])) {
            return false;
        }
    }
    return true;
}

std::string nameWithExtension(const std::string& typed, const std::string& extension) {
    if (extension.empty() || hasExtension(typed, extension)) {
        return typed;
    }
    // "take." becomes "take.wav", not "take..wav".
    const bool endsWithDot = !typed.empty() && typed.back() == '.';
    return typed + (endsWithDot ? "" : ".") + extension;
}

FileSelectorModel::FileSelectorModel(FileSelectorMode selectorMode, FileFilter fileFilter, const std::string& start,
                                     FolderLister folderLister)
    : mode(selectorMode), filter(std::move(fileFilter)), lister(std::move(folderLister)) {
    const std::string path = withoutTrailingSeparators(start);
    if (!path.empty() && path[0] == '/' && isFolder(path)) {
        currentFolder = path;
    } else if (!path.empty() && path[0] == '/' && isFolder(parentOf(path))) {
        currentFolder = parentOf(path);
        if (mode != FileSelectorMode::folder) {
            name.setText(lastElementOf(path));
        }
    } else {
        currentFolder = homeFolder();
    }
    refresh();
}

std::string FileSelectorModel::childPath(const std::string& child) const {
    return currentFolder == "/" ? "/" + child : currentFolder + "/" + child;
}

void FileSelectorModel::refresh() {
    listing = lister(currentFolder);
    shownRows.clear();
    selected = -1;
    if (currentFolder != "/") {
        shownRows.push_back({"..", true});
    }
    // Hidden entries (a leading dot) stay out of the way, as desktop file dialogs keep them.
    for (const platform::FolderEntry& entry : listing) {
        if (entry.isDirectory && entry.name[0] != '.') {
            shownRows.push_back({entry.name, true});
        }
    }
    if (mode == FileSelectorMode::folder) {
        return;
    }
    for (const platform::FolderEntry& entry : listing) {
        if (!entry.isDirectory && entry.name[0] != '.' && hasExtension(entry.name, filter.extension)) {
            shownRows.push_back({entry.name, false});
        }
    }
}

void FileSelectorModel::enterFolder(const std::string& path) {
    const std::string folder = withoutTrailingSeparators(path);
    if (!folder.empty() && folder[0] == '/' && isFolder(folder)) {
        currentFolder = folder;
        refresh();
    }
}

void FileSelectorModel::goUp() {
    if (currentFolder != "/") {
        enterFolder(parentOf(currentFolder));
    }
}

void FileSelectorModel::selectRow(int row) {
    if (row < 0 || row >= static_cast<int>(shownRows.size())) {
        selected = -1;
        return;
    }
    selected = row;
    const FileRow& chosen = shownRows[static_cast<std::size_t>(row)];
    if (!chosen.isFolder) {
        name.setText(chosen.name);
    }
}

std::optional<std::string> FileSelectorModel::activateRow(int row) {
    if (row < 0 || row >= static_cast<int>(shownRows.size())) {
        return std::nullopt;
    }
    const FileRow chosen = shownRows[static_cast<std::size_t>(row)];
    if (chosen.name == ".." && chosen.isFolder) {
        goUp();
        return std::nullopt;
    }
    if (chosen.isFolder) {
        enterFolder(childPath(chosen.name));
        return std::nullopt;
    }
    name.setText(chosen.name);
    return accept();
}

std::optional<std::string> FileSelectorModel::accept() {
    if (mode == FileSelectorMode::folder) {
        const bool folderSelected = selected > 0 || (selected == 0 && currentFolder == "/");
        if (folderSelected && shownRows[static_cast<std::size_t>(selected)].isFolder) {
            return childPath(shownRows[static_cast<std::size_t>(selected)].name);
        }
        return currentFolder;
    }
    return acceptTyped(name.getText());
}

std::optional<std::string> FileSelectorModel::acceptTyped(const std::string& typed) {
    if (typed.empty()) {
        return std::nullopt;
    }
    if (typed == "..") {
        goUp();
        name.setText({});
        return std::nullopt;
    }
    const std::string path = withoutTrailingSeparators(typed[0] == '/' ? typed : childPath(typed));
    if (isFolder(path)) {
        // Typing a folder's name and pressing Return goes there, as in the system's dialogs.
        enterFolder(path);
        name.setText({});
        return std::nullopt;
    }
    if (mode == FileSelectorMode::open) {
        return isFile(path) ? std::optional<std::string>(path) : std::nullopt;
    }
    const std::string folder = parentOf(path);
    const std::string file = lastElementOf(path);
    if (file.empty() || file == "." || !isFolder(folder)) {
        return std::nullopt;
    }
    return (folder == "/" ? "/" : folder + "/") + nameWithExtension(file, filter.extension);
}

}  // namespace rimba::toolkit
