// The POSIX file calls under the portable file helpers, and whole-file reads.

#include "common/platform/FileCalls.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/platform/Files.h"

namespace rimba::platform {

namespace {

constexpr std::size_t kReadChunkBytes = 16 * 1024;

int descriptorOf(calls::FileHandle file) { return static_cast<int>(file); }

// Reads until end of file rather than trusting the size alone, so a file that grew since it
// was measured still arrives whole. False on a read error.
bool readToEnd(int descriptor, std::vector<std::uint8_t>& bytes) {
    std::array<std::uint8_t, kReadChunkBytes> chunk;
    for (;;) {
        const ssize_t count = read(descriptor, chunk.data(), chunk.size());
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (count == 0)
            return true;
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + count);
    }
}

std::string folderToSync(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

namespace calls {

FileHandle createNewFile(const std::string& path, bool& nameTaken) {
    const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    nameTaken = descriptor < 0 && errno == EEXIST;
    return descriptor < 0 ? kNoFile : descriptor;
}

bool writeAll(FileHandle file, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = write(descriptorOf(file), bytes.data() + done, bytes.size() - done);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    return true;
}

bool flushToDisk(FileHandle file) { return fsync(descriptorOf(file)) == 0; }

bool closeFile(FileHandle file) { return close(descriptorOf(file)) == 0; }

void copyPermissions(const std::string& path, FileHandle file) {
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        fchmod(descriptorOf(file), info.st_mode & 07777);
}

bool removeFile(const std::string& path) { return unlink(path.c_str()) == 0; }

bool replaceFile(const std::string& from, const std::string& to) { return rename(from.c_str(), to.c_str()) == 0; }

// File systems without renameat2's no-replace mode still make hard links, which fail just as
// well on a taken name; the temporary name then stays as a second name until the caller
// removes it.
bool publishWithoutReplacing(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return false;
    return link(from.c_str(), to.c_str()) == 0;
}

// Some file systems refuse to sync a folder; the file's data is already safe then, so a failure
// here is not an error.
void syncFolderOf(const std::string& path) {
    const int folder = open(folderToSync(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
}

// Another process may create the same folder at the same moment; that is success too.
bool makeFolder(const std::string& path) {
    return mkdir(path.c_str(), 0777) == 0 || (errno == EEXIST && folderExists(path));
}

unsigned long processId() { return static_cast<unsigned long>(getpid()); }

}  // namespace calls

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& path) {
    // Without O_NONBLOCK, opening a named pipe waits for a writer that may never come; regular
    // files ignore the flag.
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        return std::nullopt;
    struct stat info {};
    std::vector<std::uint8_t> bytes;
    // Only regular files: a device or a pipe named by a file (a sound path of "/dev/zero" in a
    // program) would otherwise be read for ever.
    bool complete = fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
    if (complete) {
        bytes.reserve(static_cast<std::size_t>(info.st_size));
        complete = readToEnd(descriptor, bytes) && bytes.size() >= static_cast<std::size_t>(info.st_size);
    }
    close(descriptor);
    if (!complete)
        return std::nullopt;
    return bytes;
}

bool fileExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool folderExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace rimba::platform
