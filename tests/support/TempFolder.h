#pragma once
// The tests' temporary folders and file helpers: a fresh folder under the system's temporary
// folder, removed with everything in it at the end of the test, and reads and writes of whole
// files with the standard library, so checks never depend on the code under test.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/UniqueFolder.h"

namespace rimba::test {

class TempFolder {
public:
    TempFolder() : root(makeUniqueFolder("rimba-test")) {}
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return root; }
    std::string operator/(const std::string& relative) const { return below(root, relative); }

    // Creates the file and any folders above it.
    // Written whole under a temporary name, then renamed: a program of the test's that polls
    // for the file (a fixture plug-in waiting for a request) never finds it empty or half written.
    std::string makeFile(const std::string& relative, const std::string& content = "") const {
        const std::string full = *this / relative;
        std::filesystem::create_directories(std::filesystem::path(full).parent_path());
        const std::string partial = full + ".partial";
        {
            std::ofstream out(partial, std::ios::binary);
            out << content;
            out.close();
            if (!out) {
                throw std::runtime_error("cannot write " + partial);
            }
        }
        std::filesystem::rename(partial, full);
        return full;
    }

    std::string makeFolder(const std::string& relative) const {
        const std::string full = *this / relative;
        std::filesystem::create_directories(full);
        return full;
    }

    // Names in the folder as the file system reports them, independent of the code under test.
    std::vector<std::string> namesIn(const std::string& relative = "") const {
        std::vector<std::string> names;
        const std::string folder = relative.empty() ? root : *this / relative;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

private:
    std::string root;
};

inline std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// Reads a file with the standard library, so checks do not depend on the code under test.
inline std::string contentOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

}  // namespace rimba::test
