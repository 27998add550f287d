#pragma once
// The installed ASIO drivers, as the registry lists them, and the one of them that is loaded.

#include "common/asio/AsioAbi.h"

#include <cstddef>
#include <string>
#include <vector>

namespace rimba::standalone {

namespace catalog_result {
constexpr int kOk = 0;
constexpr int kBadArgument = -5001;  // a missing output pointer, or a name longer than the caller's buffer
constexpr int kAlreadyLoaded = -5002;
constexpr int kNoSuchDriver = -5003;
}  // namespace catalog_result

// Listed names hold at most this many bytes with their terminating zero.
constexpr std::size_t kListedNameSize = 32;

struct AsioDriverEntry {
    int index = 0;
    asio::Guid classId{};  // all zero when the registry's text does not convert
    std::string serverPath;  // the in-process server file, at most 511 characters
    std::string name;  // the description, or the key name; at most 127 characters
    asio::Driver* instance = nullptr;
};

// A name as lists show it: whole when shorter than 32 characters, else its first 28 and "...".
std::string listedNameOf(const std::string& name);

class AsioDriverCatalog {
public:
    AsioDriverCatalog();  // reads the registry
    ~AsioDriverCatalog();
    AsioDriverCatalog(const AsioDriverCatalog&) = delete;
    AsioDriverCatalog& operator=(const AsioDriverCatalog&) = delete;

    int count() const { return static_cast<int>(entries.size()); }
    int loadedIndex() const { return loaded; }
    const AsioDriverEntry* entry(int index) const;

    // Copies the listed names of the first `maximum` drivers into `names`; the number copied.
    int listNames(char (*names)[kListedNameSize], int maximum) const;
    int driverPath(int index, char* path, std::size_t size) const;
    int classId(int index, asio::Guid* id) const;

    // Creates the driver's object; refused while another is loaded.
    int loadByIndex(int index);
    // Replaces the loaded driver with the one of that listed name; when it fails to load, the
    // one loaded before is loaded again.
    int loadByName(const char* listedName);
    int loadedName(char* name, std::size_t size) const;
    asio::Driver* loadedDriver() const;
    void unload();

private:
    int findByListedName(const std::string& listedName) const;

    std::vector<AsioDriverEntry> entries;
    int loaded = -1;
};

}  // namespace rimba::standalone
