// The registry and COM halves of the ASIO driver catalog.

#include "StandAlone/devices/win32/AsioDriverCalls.h"

#include "common/platform/win32/Windows.h"

#include <objbase.h>

#include <algorithm>
#include <cstring>

namespace rimba::standalone::asio_calls {

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

}  // namespace

std::vector<RegisteredDriver> registeredDrivers() {
    std::vector<RegisteredDriver> drivers;
    const RegistryKey list(HKEY_LOCAL_MACHINE, kDriversKey);
    if (!list.isOpen())
        return drivers;
    for (DWORD index = 0;; ++index) {
        const std::string name = subkeyName(list.get(), index);
        if (name.empty())
            break;
        const RegistryKey driver(list.get(), name);
        if (!driver.isOpen())
            continue;
        drivers.push_back({name, stringValue(driver.get(), "CLSID"), stringValue(driver.get(), "Description")});
    }
    return drivers;
}

std::string inProcessServerOf(const std::string& classIdText) {
    const RegistryKey server(HKEY_CLASSES_ROOT, "CLSID\\" + classIdText + "\\InprocServer32");
    return server.isOpen() ? stringValue(server.get(), nullptr) : std::string();
}

asio::Guid classIdFromText(const std::string& classIdText) {
    wchar_t wide[64] = {};
    asio::Guid classId{};
    if (MultiByteToWideChar(CP_ACP, 0, classIdText.c_str(), -1, wide, 64) == 0)
        return classId;
    CLSID converted;
    if (CLSIDFromString(wide, &converted) == NOERROR)
        std::memcpy(&classId, &converted, sizeof classId);
    return classId;
}

asio::Driver* createDriver(const asio::Guid& classId) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return nullptr;
    CLSID id;
    std::memcpy(&id, &classId, sizeof id);
    void* object = nullptr;
    if (FAILED(CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, id, &object)) || object == nullptr) {
        CoUninitialize();
        return nullptr;
    }
    return static_cast<asio::Driver*>(object);
}

void releaseDriver(asio::Driver* driver) {
    if (driver == nullptr)
        return;
    driver->release();
    CoUninitialize();
}

}  // namespace rimba::standalone::asio_calls
