#pragma once
// A user library folder of a test's own for the plug-in, and a settings store that starts empty,
// for the life of the object. The system's half is in posix/ or win32/: on Linux the plug-in's
// default library folder follows $XDG_DATA_HOME; on Windows the default lies under the
// program-files special folder, which a test cannot move, so the store names the folder instead
// ("FilesPath"), as a musician who chose another library folder would.

#include <optional>
#include <string>

#include "tests/support/Environment.h"

namespace rimba::test {

class ScopedUserLibrary {
public:
    // The library folder is `home`/data/VORN Studio/Rimba Drums.
    explicit ScopedUserLibrary(const std::string& home);
    ~ScopedUserLibrary();
    ScopedUserLibrary(const ScopedUserLibrary&) = delete;
    ScopedUserLibrary& operator=(const ScopedUserLibrary&) = delete;

    const std::string& folder() const { return library; }

private:
    std::string library;
    // Linux: the folders the store and the default library follow, for the object's life.
    std::optional<ScopedEnvironmentVariable> data;
    std::optional<ScopedEnvironmentVariable> config;
};

}  // namespace rimba::test
