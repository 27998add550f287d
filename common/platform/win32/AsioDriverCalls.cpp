// The registry's list of installed ASIO drivers.

#include "common/platform/AsioDrivers.h"

#include "common/platform/win32/Windows.h"

#include <algorithm>
#include <cstring>

namespace rimba::platform {

namespace {

constexpr const char* kDriversKey = "SOFTWARE\\ASIO";

class RegistryKey {
public:
    RegistryKey(HKEY parent, const std::string& path) {
        if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            key = nullptr;
    }
    ~RegistryKey() {
        if (key != nullptr)
            RegCloseKey(key);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool isOpen() const { return key != nullptr; }
    HKEY get() const { return key; }

private:
    HKEY key = nullptr;
};

// A string value (null name: the key's default value), or empty when missing or not a string.
std::string stringValue(HKEY key, const char* name) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0)
        return {};
    std::string text(size, '\0');
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS)
        return {};
    text.resize(std::min<std::size_t>(size, text.size()));
    text.resize(std::strlen(text.c_str()));  // the stored terminating zero, if any
    return text;
}

std::string subkeyName(HKEY key, DWORD index) {
    char name[256];
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return {};
    return std::string(name, length);
}

bool fileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The class's in-process server file (HKCR\CLSID\{...}\InprocServer32's default value); empty
// when the class is not registered. The registry compares key names without case, as installers
// that write the class id in lower case rely on.
std::string inProcessServerOf(const std::string& classIdText) {
    const RegistryKey server(HKEY_CLASSES_ROOT, "CLSID\\" + classIdText + "\\InprocServer32");
    return server.isOpen() ? stringValue(server.get(), nullptr) : std::string();
}

}  // namespace

std::vector<InstalledAsioDriver> installedAsioDrivers() {
    std::vector<InstalledAsioDriver> drivers;
    const RegistryKey list(HKEY_LOCAL_MACHINE, kDriversKey);
    if (!list.isOpen())
        return drivers;
    // The enumeration ends at its first error, as the registry's own end does.
    for (DWORD index = 0;; ++index) {
        const std::string keyName = subkeyName(list.get(), index);
        if (keyName.empty())
            break;
        const RegistryKey driver(list.get(), keyName);
        if (!driver.isOpen())
            continue;
        InstalledAsioDriver found{
            keyName, stringValue(driver.get(), "CLSID"), stringValue(driver.get(), "Description"), {}};
        if (found.classIdText.empty())
            continue;
        found.serverPath = inProcessServerOf(found.classIdText);
        if (found.serverPath.empty() || !fileExists(found.serverPath))
            continue;
        drivers.push_back(std::move(found));
    }
    return drivers;
}

}  // namespace rimba::platform
