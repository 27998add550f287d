// The Win32 file calls under the portable file helpers, and whole-file reads.

#include "common/platform/FileCalls.h"

#include "common/platform/win32/Windows.h"

#include <algorithm>
#include <array>

#include "common/platform/Files.h"

namespace rimba::platform {

namespace {

constexpr DWORD kReadChunkBytes = 16 * 1024;
constexpr DWORD kWriteChunkBytes = 1024 * 1024;

HANDLE handleOf(calls::FileHandle file) { return reinterpret_cast<HANDLE>(file); }

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle(handle) {}
    ~FileHandle() {
        if (isValid())
            CloseHandle(handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool isValid() const { return handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle; }

private:
    HANDLE handle;
};

// Reads until end of file rather than trusting the size alone, so a file that grew since it
// was measured still arrives whole. False on a read error.
bool readToEnd(HANDLE file, std::vector<std::uint8_t>& bytes) {
    std::array<std::uint8_t, kReadChunkBytes> chunk;
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(file, chunk.data(), kReadChunkBytes, &count, nullptr))
            return false;
        if (count == 0)
            return true;
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + count);
    }
}

}  // namespace

namespace calls {

FileHandle createNewFile(const std::string& path, bool& nameTaken) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    nameTaken = file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS;
    return file == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileHandle>(file);
}

bool writeAll(FileHandle file, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto request = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, kWriteChunkBytes));
        DWORD count = 0;
        if (!WriteFile(handleOf(file), bytes.data() + done, request, &count, nullptr) || count == 0)
            return false;
        done += count;
    }
    return true;
}

bool flushToDisk(FileHandle file) { return FlushFileBuffers(handleOf(file)) != 0; }

bool closeFile(FileHandle file) { return CloseHandle(handleOf(file)) != 0; }

// Windows files carry no permission bits of their own to keep.
void copyPermissions(const std::string&, FileHandle) {}

bool removeFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool replaceFile(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
bool publishWithoutReplacing(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

// MOVEFILE_WRITE_THROUGH has already made the move durable.
void syncFolderOf(const std::string&) {}

// Another process may create the same folder at the same moment; that is success too.
bool makeFolder(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) != 0 ||
           (GetLastError() == ERROR_ALREADY_EXISTS && folderExists(path));
}

unsigned long processId() { return GetCurrentProcessId(); }

}  // namespace calls

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& path) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.isValid())
        return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    if (!readToEnd(file.get(), bytes) || bytes.size() < static_cast<std::size_t>(size.QuadPart))
        return std::nullopt;
    return bytes;
}

bool fileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool folderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace rimba::platform
