#pragma once
// What the file selector and the folder browser show and decide, free of any window system: the
// current folder, its rows (".." to go up, the folders, then the files the filter lets through),
// the name field, and the answer to OK, a double-click or Return. Listing goes through a function
// so tests can give a folder of their own. Editor thread only; lists folders (file-system I/O).

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/platform/FolderScan.h"
#include "plugin/editor/toolkit/TextEditModel.h"

namespace rimba::toolkit {

struct FileFilter {
    std::string description;  // "Audio file"
    std::string extension;  // "wav", without the dot; empty lets every file through
};

enum class FileSelectorMode { open, save, folder };

struct FileRow {
    std::string name;
    bool isFolder = false;
};

// True when `name` ends with "." + `extension`, letters compared without case ("A.WAV" is a wav).
bool hasExtension(const std::string& name, const std::string& extension);

// The file name a save gives for what was typed: the filter's extension is appended when the name
// does not already end with it.
std::string nameWithExtension(const std::string& typed, const std::string& extension);

class FileSelectorModel {
public:
    using FolderLister = std::function<std::vector<platform::FolderEntry>(const std::string&)>;

    // `start` is a folder, or a file whose folder is shown and whose name fills the name field;
    // a missing or empty start shows the user's home folder.
    FileSelectorModel(FileSelectorMode mode, FileFilter filter, const std::string& start,
                      FolderLister lister = platform::listFolder);

    FileSelectorMode getMode() const { return mode; }
    const FileFilter& getFilter() const { return filter; }
    const std::string& folder() const { return currentFolder; }
    const std::vector<FileRow>& rows() const { return shownRows; }
    TextEditModel& nameField() { return name; }
    const TextEditModel& nameField() const { return name; }
    int selectedRow() const { return selected; }

    // A single click: a file's name goes to the name field (in the folder browser a folder's).
    void selectRow(int row);
    // A double-click: a folder (or "..") is entered, a file is taken as by OK.
    std::optional<std::string> activateRow(int row);
    // OK or Return. Open: an existing file of the folder (a typed folder is entered instead).
    // Save: the typed name with the extension appended, in the current folder. Folder browser:
    // the selected folder, else the current one. Nothing while the answer is not acceptable.
    std::optional<std::string> accept();

    void enterFolder(const std::string& path);
    void goUp();

private:
    void refresh();
    std::string childPath(const std::string& child) const;
    std::optional<std::string> acceptTyped(const std::string& typed);

    FileSelectorMode mode;
    FileFilter filter;
    FolderLister lister;
    std::string currentFolder;
    std::vector<platform::FolderEntry> listing;  // everything in the folder, unfiltered
    std::vector<FileRow> shownRows;
    TextEditModel name;
    int selected = -1;
};

}  // namespace rimba::toolkit
