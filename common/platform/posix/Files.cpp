#include "common/platform/Files.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rimba::platform {

namespace {

constexpr std::size_t kReadChunkBytes = 16 * 1024;
constexpr int kTemporaryNameAttempts = 100;
// Leaves room for the suffix inside the 255-byte limit of a file name.
constexpr std::size_t kTemporaryNameStemBytes = 120;

// Reads until end of file rather than trusting the size alone, so a file that grew since it
// was measured still arrives whole. False on a read error.
bool readToEnd(int descriptor, std::vector<std::uint8_t>& bytes) {
    std::array<std::uint8_t, kReadChunkBytes> chunk;
    for (;;) {
        const ssize_t count = read(descriptor, chunk.data(), chunk.size());
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (count == 0) {
            return true;
        }
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + count);
    }
}

bool writeAll(int descriptor, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = write(descriptor, bytes.data() + done, bytes.size() - done);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    return true;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The temporary file sits beside the target, because a rename is only atomic within one file
// system. The process id and a counter keep two writers of the same file apart.
std::string temporaryPathFor(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = path.rfind('/');
    const std::size_t nameBegin = slash == std::string::npos ? 0 : slash + 1;
    const std::string name = path.substr(nameBegin, kTemporaryNameStemBytes);
    return path.substr(0, nameBegin) + "." + name + "." + std::to_string(getpid()) + "." +
           std::to_string(counter.fetch_add(1)) + ".tmp";
}

int createTemporaryFile(const std::string& path, std::string& temporaryPath) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporaryPath = temporaryPathFor(path);
        const int descriptor =
            open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        // A leftover from an earlier process with the same id only costs another name.
        if (descriptor >= 0 || errno != EEXIST) {
            return descriptor;
        }
    }
    return -1;
}

// Replacing a file must not widen or narrow who may read it.
void keepPermissionsOf(const std::string& path, int descriptor) {
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        fchmod(descriptor, info.st_mode & 07777);
    }
}

// Makes the rename itself survive a power cut. Some file systems refuse to sync a folder;
// the file's data is already safe then, so a failure here is not an error.
void syncFolderOf(const std::string& path) {
    const int folder = open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
}

// The folder above `path`, trailing separators ignored; empty above the root or a bare name.
std::string parentFolderOf(const std::string& path) {
    const std::size_t last = path.find_last_not_of('/');
    if (last == std::string::npos) {
        return {};
    }
    const std::size_t slash = path.rfind('/', last);
    return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

// The complete, flushed file under a temporary name beside `path`; nullopt (and nothing left
// behind) when it could not be written.
std::optional<std::string> writeTemporaryCopy(const std::string& path, std::span<const std::uint8_t> bytes) {
    if (path.empty() || path.back() == '/') {
        return std::nullopt;
    }
    std::string temporaryPath;
    const int descriptor = createTemporaryFile(path, temporaryPath);
    if (descriptor < 0) {
        return std::nullopt;
    }
    keepPermissionsOf(path, descriptor);
    bool written = writeAll(descriptor, bytes) && fsync(descriptor) == 0;
    written = close(descriptor) == 0 && written;
    if (!written) {
        unlink(temporaryPath.c_str());
        return std::nullopt;
    }
    return temporaryPath;
}

// Gives the file its name only when the name is free. File systems without renameat2's
// no-replace mode still make hard links, which fail just as well on a taken name; the caller
// removes the temporary name afterwards in both cases.
bool renameWithoutReplacing(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return false;
    }
    return link(from.c_str(), to.c_str()) == 0;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& path) {
    // Without O_NONBLOCK, opening a named pipe waits for a writer that may never come; regular
    // files ignore the flag.
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        return std::nullopt;
    }
    struct stat info {};
    std::vector<std::uint8_t> bytes;
    // Only regular files: a device or a pipe named by a file (a sound path of "/dev/zero" in a
    // program) would otherwise be read for ever.
    bool complete = fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
    if (complete) {
        bytes.reserve(static_cast<std::size_t>(info.st_size));
        complete = readToEnd(descriptor, bytes) &&
                   bytes.size() >= static_cast<std::size_t>(info.st_size);
    }
    close(descriptor);
    if (!complete) {
        return std::nullopt;
    }
    return bytes;
}

bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    const std::optional<std::string> temporaryPath = writeTemporaryCopy(path, bytes);
    if (!temporaryPath) {
        return false;
    }
    if (rename(temporaryPath->c_str(), path.c_str()) == 0) {
        syncFolderOf(path);
        return true;
    }
    unlink(temporaryPath->c_str());
    return false;
}

bool writeNewFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    if (fileExists(path)) {
        return false;
    }
    const std::optional<std::string> temporaryPath = writeTemporaryCopy(path, bytes);
    if (!temporaryPath) {
        return false;
    }
    const bool published = renameWithoutReplacing(*temporaryPath, path);
    if (published) {
        syncFolderOf(path);
    }
    unlink(temporaryPath->c_str());  // a link left it under both names; a failure left it alone
    return published;
}

bool fileExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool folderExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool makeFolders(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    if (folderExists(path)) {
        return true;
    }
    const std::string parent = parentFolderOf(path);
    if (!parent.empty() && !makeFolders(parent)) {
        return false;
    }
    // Another process may create the same folder at the same moment; that is success too.
    return mkdir(path.c_str(), 0777) == 0 || (errno == EEXIST && folderExists(path));
}

}  // namespace rimba::platform
