#pragma once
// Whole-file reads and writes that never leave a truncated file in place of a good one.
// Any thread except the audio thread.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace rimba::platform {

// Reads the whole file; nullopt when it cannot be opened or fewer bytes than its size arrive.
std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& path);

// A file written piece by piece that takes its name only when it is complete: the pieces go to
// a temporary file beside `path`, and `commit` flushes it to disk and renames it over `path`.
// Destroyed without a commit, or after a write failed, it removes the temporary file and leaves
// whatever stood at `path` untouched. Made first, it tells whether the file can be written at
// all before any work is done for it.
class FileReplacement {
public:
    explicit FileReplacement(const std::string& path);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // The temporary file exists: the folder takes new files and `path` names no folder.
    bool isOpen() const;
    // False once any write has failed (a full disk); later writes then do nothing.
    bool write(std::span<const std::uint8_t> bytes);
    // Flushes, closes and renames; false (and nothing left behind) when any step failed.
    bool commit();

private:
    void abandon();

    std::string path;
    std::string temporaryPath;
    std::intptr_t file;
    bool failed = false;
};

// Writes to a temporary file in the same folder, flushes it to disk and renames it over `path`.
// On any failure the temporary file is removed and an existing file at `path` is untouched.
// A file that is replaced keeps its permission bits.
bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

// Writes like writeFileAtomically, but only where no file stands yet: the complete file takes its
// name in one step that fails when the name is taken, so neither a half-written file nor a
// replaced one is ever seen under `path`. False when `path` exists or the write failed.
bool writeNewFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

// True when `path` names something other than a folder (a link is followed).
bool fileExists(const std::string& path);

// True when `path` names a folder (a link is followed).
bool folderExists(const std::string& path);

// Creates the folder and any missing folders above it; true when it exists as a folder afterwards.
bool makeFolders(const std::string& path);

}  // namespace rimba::platform
