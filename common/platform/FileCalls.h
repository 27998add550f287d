#pragma once
// The system's own file calls, each as small as the system allows, under the portable logic of
// Files.cpp (temporary names, replacing and publishing files). Only the platform layer includes
// this header; everything above it uses Files.h.

#include <cstdint>
#include <span>
#include <string>

namespace rimba::platform::calls {

// An open file for writing: a descriptor on POSIX, a HANDLE on Windows.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// Creates `path` for writing, failing when anything stands under that name; `nameTaken` tells
// whether that was the reason.
FileHandle createNewFile(const std::string& path, bool& nameTaken);
// Writes all of `bytes`, however many calls that takes; false on any error.
bool writeAll(FileHandle file, std::span<const std::uint8_t> bytes);
// Forces the written bytes to the disk.
bool flushToDisk(FileHandle file);
// Closes the file; false when the system reports that written bytes were lost.
bool closeFile(FileHandle file);
// Gives `file` the permission bits of the regular file at `path`, when there is one (POSIX), so
// a replaced file keeps who may read it.
void copyPermissions(const std::string& path, FileHandle file);

bool removeFile(const std::string& path);
// Renames `from` to `to`, replacing a file there.
bool replaceFile(const std::string& from, const std::string& to);
// Gives `from` the name `to` only when that name is free. `from` may still exist afterwards
// (as a second name of the file); the caller removes it in every case.
bool publishWithoutReplacing(const std::string& from, const std::string& to);
// Makes a rename in the folder of `path` survive a power cut, where the system needs that.
void syncFolderOf(const std::string& path);
// Creates one folder; true when it exists as a folder afterwards.
bool makeFolder(const std::string& path);

// Tells two processes' temporary files apart.
unsigned long processId();

}  // namespace rimba::platform::calls
