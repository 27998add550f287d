#pragma once
// A new, empty folder under the system's temporary folder, for fixtures that need one of their
// own. The standard library makes it, so fixtures work the same on Linux and Windows.

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace rimba::test {

inline std::string makeUniqueFolder(const std::string& stem) {
    static std::mt19937_64 names{std::random_device{}()};
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate = base / (stem + "-" + std::to_string(names() % 100000000));
        std::error_code error;
        // create_directory is false for a folder that already exists: another name is tried.
        if (std::filesystem::create_directory(candidate, error))
            return candidate.string();
    }
    throw std::runtime_error("cannot create a temporary folder");
}

// `relative` below `folder`, with the system's own separators, as the code under test builds paths.
inline std::string below(const std::string& folder, const std::string& relative) {
    return (std::filesystem::path(folder) / std::filesystem::path(relative).make_preferred()).string();
}

}  // namespace rimba::test
