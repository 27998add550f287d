#include "common/platform/Files.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <optional>

namespace rimba::platform {

namespace {

constexpr DWORD kReadChunkBytes = 16 * 1024;
constexpr DWORD kWriteChunkBytes = 1024 * 1024;
constexpr int kTemporaryNameAttempts = 100;
// Leaves room for the suffix inside the 255-character limit of a file name.
constexpr std::size_t kTemporaryNameStemBytes = 120;

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle(handle) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool isValid() const { return handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle; }
    bool close() {
        if (!isValid()) {
            return true;
        }
        const bool closed = CloseHandle(handle) != 0;
        handle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle;
};

// Reads until end of file rather than trusting the size alone, so a file that grew since it
// was measured still arrives whole. False on a read error.
bool readToEnd(HANDLE file, std::vector<std::uint8_t>& bytes) {
    std::array<std::uint8_t, kReadChunkBytes> chunk;
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(file, chunk.data(), kReadChunkBytes, &count, nullptr)) {
            return false;
        }
        if (count == 0) {
            return true;
        }
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + count);
    }
}

bool writeAll(HANDLE file, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto request =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, kWriteChunkBytes));
        DWORD count = 0;
        if (!WriteFile(file, bytes.data() + done, request, &count, nullptr) || count == 0) {
            return false;
        }
        done += count;
    }
    return true;
}

std::size_t nameBeginOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? 0 : separator + 1;
}

// The temporary file sits beside the target, because a move only replaces a file atomically
// within one volume. The process id and a counter keep two writers of the same file apart.
std::string temporaryPathFor(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const std::size_t nameBegin = nameBeginOf(path);
    const std::string name = path.substr(nameBegin, kTemporaryNameStemBytes);
    return path.substr(0, nameBegin) + "." + name + "." + std::to_string(GetCurrentProcessId()) +
           "." + std::to_string(counter.fetch_add(1)) + ".tmp";
}

HANDLE createTemporaryFile(const std::string& path, std::string& temporaryPath) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporaryPath = temporaryPathFor(path);
        HANDLE file = CreateFileA(temporaryPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        // A leftover from an earlier process with the same id only costs another name.
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
            return file;
        }
    }
    return INVALID_HANDLE_VALUE;
}

// The complete, flushed file under a temporary name beside `path`; nullopt (and nothing left
// behind) when it could not be written.
std::optional<std::string> writeTemporaryCopy(const std::string& path, std::span<const std::uint8_t> bytes) {
    if (path.empty() || nameBeginOf(path) == path.size()) {
        return std::nullopt;
    }
    std::string temporaryPath;
    FileHandle file(createTemporaryFile(path, temporaryPath));
    if (!file.isValid()) {
        return std::nullopt;
    }
    bool written = writeAll(file.get(), bytes) && FlushFileBuffers(file.get()) != 0;
    written = file.close() && written;
    if (!written) {
        DeleteFileA(temporaryPath.c_str());
        return std::nullopt;
    }
    return temporaryPath;
}

// The folder above `path`, trailing separators ignored; empty above a drive's root or a bare
// name.
std::string parentFolderOf(const std::string& path) {
    const std::size_t last = path.find_last_not_of("\\/");
    if (last == std::string::npos) {
        return {};
    }
    const std::size_t separator = path.find_last_of("\\/", last);
    if (separator == std::string::npos || separator == 0 || path[separator - 1] == ':') {
        return {};
    }
    return path.substr(0, separator);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& path) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.isValid()) {
        return std::nullopt;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    if (!readToEnd(file.get(), bytes) ||
        bytes.size() < static_cast<std::size_t>(size.QuadPart)) {
        return std::nullopt;
    }
    return bytes;
}

bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    const std::optional<std::string> temporaryPath = writeTemporaryCopy(path, bytes);
    if (!temporaryPath) {
        return false;
    }
    if (MoveFileExA(temporaryPath->c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
        return true;
    }
    DeleteFileA(temporaryPath->c_str());
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
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
    if (MoveFileExA(temporaryPath->c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH) != 0) {
        return true;
    }
    DeleteFileA(temporaryPath->c_str());
    return false;
}

bool fileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool folderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
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
    return CreateDirectoryA(path.c_str(), nullptr) != 0 ||
           (GetLastError() == ERROR_ALREADY_EXISTS && folderExists(path));
}

}  // namespace rimba::platform
