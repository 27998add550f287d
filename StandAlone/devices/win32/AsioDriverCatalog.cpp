#include "StandAlone/devices/win32/AsioDriverCatalog.h"

#include "StandAlone/devices/win32/AsioDriverCalls.h"
#include "common/platform/AsioDrivers.h"
#include "common/platform/DeviceNames.h"

#include <cstring>

namespace rimba::standalone {

namespace {

constexpr std::size_t kServerPathSize = 512;
constexpr std::size_t kNameSize = 128;

std::string clipped(const std::string& text, std::size_t size) { return text.substr(0, size - 1); }

// Copies text with its terminating zero, or refuses when the buffer cannot hold both.
int copyOut(const std::string& text, char* out, std::size_t size) {
    if (out == nullptr || text.size() + 1 > size)
        return catalog_result::kBadArgument;
    std::memcpy(out, text.c_str(), text.size() + 1);
    return catalog_result::kOk;
}

}  // namespace

std::string listedNameOf(const std::string& name) { return platform::listedDeviceName(name); }

AsioDriverCatalog::AsioDriverCatalog() {
    // The plug-in's device list reads the same drivers, so both offer the same names.
    for (const platform::InstalledAsioDriver& driver : platform::installedAsioDrivers()) {
        AsioDriverEntry entry;
        entry.index = count();
        entry.classId = asio_calls::classIdFromText(driver.classIdText);
        entry.serverPath = clipped(driver.serverPath, kServerPathSize);
        entry.name = clipped(driver.name(), kNameSize);
        entries.push_back(std::move(entry));
    }
}

AsioDriverCatalog::~AsioDriverCatalog() { unload(); }

const AsioDriverEntry* AsioDriverCatalog::entry(int index) const {
    return index >= 0 && index < count() ? &entries[static_cast<std::size_t>(index)] : nullptr;
}

int AsioDriverCatalog::listNames(char (*names)[kListedNameSize], int maximum) const {
    if (names == nullptr)
        return 0;
    int listed = 0;
    for (; listed < maximum && listed < count(); ++listed)
        copyOut(listedNameOf(entries[static_cast<std::size_t>(listed)].name), names[listed], kListedNameSize);
    return listed;
}

int AsioDriverCatalog::driverPath(int index, char* path, std::size_t size) const {
    const AsioDriverEntry* found = entry(index);
    if (found == nullptr)
        return catalog_result::kNoSuchDriver;
    return copyOut(found->serverPath, path, size);
}

int AsioDriverCatalog::classId(int index, asio::Guid* id) const {
    const AsioDriverEntry* found = entry(index);
    if (found == nullptr)
        return catalog_result::kNoSuchDriver;
    if (id == nullptr)
        return catalog_result::kBadArgument;
    *id = found->classId;
    return catalog_result::kOk;
}

int AsioDriverCatalog::loadByIndex(int index) {
    if (entry(index) == nullptr)
        return catalog_result::kNoSuchDriver;
    if (loaded >= 0)
        return catalog_result::kAlreadyLoaded;
    AsioDriverEntry& chosen = entries[static_cast<std::size_t>(index)];
    chosen.instance = asio_calls::createDriver(chosen.classId);
    if (chosen.instance == nullptr)
        return asio::kNotPresent;
    loaded = index;
    return catalog_result::kOk;
}

int AsioDriverCatalog::findByListedName(const std::string& listedName) const {
    for (const AsioDriverEntry& candidate : entries)
        if (listedNameOf(candidate.name) == listedName)
            return candidate.index;
    return -1;
}

int AsioDriverCatalog::loadByName(const char* listedName) {
    if (listedName == nullptr)
        return catalog_result::kBadArgument;
    const int wanted = findByListedName(listedName);
    if (wanted < 0)
        return catalog_result::kNoSuchDriver;
    const int previous = loaded;
    unload();
    const int result = loadByIndex(wanted);
    if (result != catalog_result::kOk && previous >= 0 && previous != wanted)
        loadByIndex(previous);
    return result;
}

int AsioDriverCatalog::loadedName(char* name, std::size_t size) const {
    if (loaded < 0)
        return asio::kNotPresent;
    return copyOut(listedNameOf(entries[static_cast<std::size_t>(loaded)].name), name, size);
}

asio::Driver* AsioDriverCatalog::loadedDriver() const {
    return loaded >= 0 ? entries[static_cast<std::size_t>(loaded)].instance : nullptr;
}

void AsioDriverCatalog::unload() {
    if (loaded < 0)
        return;
    AsioDriverEntry& current = entries[static_cast<std::size_t>(loaded)];
    asio_calls::releaseDriver(current.instance);
    current.instance = nullptr;
    loaded = -1;
}

}  // namespace rimba::standalone
