// The portable half of the file helpers: temporary names beside the target, files replaced or
// published whole, folders made with their parents. The system's own calls are in FileCalls.

#include "common/platform/Files.h"

#include <atomic>

#include "common/platform/FileCalls.h"
#include "common/platform/Paths.h"

namespace rimba::platform {

namespace {

constexpr int kTemporaryNameAttempts = 100;
// Leaves room for the suffix inside the 255-character limit of a file name.
constexpr std::size_t kTemporaryNameStemBytes = 120;

std::size_t nameBeginOf(const std::string& path) {
    const std::size_t separator = lastPathSeparator(path);
    return separator == std::string::npos ? 0 : separator + 1;
}

// The temporary file sits beside the target, because a rename only replaces a file atomically
// within one file system. The process id and a counter keep two writers of the same file apart.
std::string temporaryPathFor(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const std::size_t nameBegin = nameBeginOf(path);
    const std::string name = path.substr(nameBegin, kTemporaryNameStemBytes);
    return path.substr(0, nameBegin) + "." + name + "." + std::to_string(calls::processId()) + "." +
           std::to_string(counter.fetch_add(1)) + ".tmp";
}

calls::FileHandle createTemporaryFile(const std::string& path, std::string& temporaryPath) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporaryPath = temporaryPathFor(path);
        bool nameTaken = false;
        const calls::FileHandle file = calls::createNewFile(temporaryPath, nameTaken);
        // A leftover from an earlier process with the same id only costs another name.
        if (file != calls::kNoFile || !nameTaken)
            return file;
    }
    return calls::kNoFile;
}

// The folder above `path`, trailing separators ignored; empty above a root (or a drive's root)
// and for a bare name.
std::string parentFolderOf(const std::string& path) {
    std::size_t last = path.size();
    while (last > 0 && isPathSeparator(path[last - 1]))
        --last;
    const std::size_t separator = lastPathSeparator(path.substr(0, last));
    if (separator == std::string::npos || separator == 0)
        return {};
    if (path[separator - 1] == ':' && isAbsolutePath(path.substr(0, separator + 1)))
        return {};  // a drive's root
    return path.substr(0, separator);
}

}  // namespace

FileReplacement::FileReplacement(const std::string& path) : path(path), file(calls::kNoFile) {
    if (path.empty() || nameBeginOf(path) == path.size() || folderExists(path))
        return;
    file = createTemporaryFile(path, temporaryPath);
    if (file != calls::kNoFile)
        calls::copyPermissions(path, file);
}

FileReplacement::~FileReplacement() { abandon(); }

bool FileReplacement::isOpen() const { return file != calls::kNoFile; }

bool FileReplacement::write(std::span<const std::uint8_t> bytes) {
    if (!isOpen() || failed)
        return false;
    failed = !calls::writeAll(file, bytes);
    return !failed;
}

bool FileReplacement::commit() {
    if (!isOpen() || failed) {
        abandon();
        return false;
    }
    const bool flushed = calls::flushToDisk(file);
    const bool closed = calls::closeFile(file);
    file = calls::kNoFile;
    if (!flushed || !closed || !calls::replaceFile(temporaryPath, path)) {
        calls::removeFile(temporaryPath);
        return false;
    }
    calls::syncFolderOf(path);
    return true;
}

void FileReplacement::abandon() {
    if (!isOpen())
        return;
    calls::closeFile(file);
    file = calls::kNoFile;
    calls::removeFile(temporaryPath);
}

bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    FileReplacement replacement(path);
    return replacement.write(bytes) && replacement.commit();
}

bool writeNewFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    if (path.empty() || nameBeginOf(path) == path.size() || fileExists(path) || folderExists(path))
        return false;
    std::string temporaryPath;
    const calls::FileHandle file = createTemporaryFile(path, temporaryPath);
    if (file == calls::kNoFile)
        return false;
    bool written = calls::writeAll(file, bytes) && calls::flushToDisk(file);
    written = calls::closeFile(file) && written;
    const bool published = written && calls::publishWithoutReplacing(temporaryPath, path);
    calls::removeFile(temporaryPath);
    if (published)
        calls::syncFolderOf(path);
    return published;
}

bool makeFolders(const std::string& path) {
    if (path.empty())
        return false;
    if (folderExists(path))
        return true;
    const std::string parent = parentFolderOf(path);
    if (!parent.empty() && !makeFolders(parent))
        return false;
    return calls::makeFolder(path);
}

}  // namespace rimba::platform
