// The settings store in the registry under SettingsStore.cpp: a key per section below
// HKEY_CURRENT_USER, a typed registry value per value.

#include "common/settings/StoreCalls.h"

#include "common/platform/win32/Windows.h"

#include <algorithm>

namespace rimba::settings {

namespace {

// A key path below HKEY_CURRENT_USER: '\' between keys, with no empty elements, since the
// registry refuses a leading separator and would take "a\\b" as an empty key name.
std::string keyPathOf(const std::string& root) {
    std::string path;
    for (const char c : root) {
        const bool separator = c == '/' || c == '\\';
        if (separator && (path.empty() || path.back() == '\\'))
            continue;
        if (c == ':')
            continue;  // a drive letter names a key, not a drive
        path += separator ? '\\' : c;
    }
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (key != nullptr)
            RegCloseKey(key);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool open(const std::string& path) {
        return RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS;
    }
    bool create(const std::string& path) {
        return RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                               nullptr, &key, nullptr) == ERROR_SUCCESS;
    }
    HKEY get() const { return key; }

private:
    HKEY key = nullptr;
};

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> bytes;
};

// Asks for the size first and reads into a buffer of that size; a value that grew in between
// (another process wrote it) is asked for again, a few times at most.
std::optional<RawValue> queryValue(HKEY key, const std::string& name) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        RawValue value;
        DWORD size = 0;
        if (RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        value.bytes.resize(size);
        const LONG result = RegQueryValueExA(key, name.c_str(), nullptr, &value.type, value.bytes.data(), &size);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            return std::nullopt;
        value.bytes.resize(size);
        return value;
    }
    return std::nullopt;
}

std::optional<RawValue> readValue(const std::string& key, const std::string& section, const std::string& name) {
    RegistryKey opened;
    if (!opened.open(key + "\\" + section))
        return std::nullopt;
    return queryValue(opened.get(), name);
}

bool writeValue(const std::string& key, const std::string& section, const std::string& name, DWORD type,
                const std::uint8_t* bytes, std::size_t size) {
    if (size > 0x7FFFFFFF)
        return false;
    RegistryKey created;
    if (!created.create(key + "\\" + section))
        return false;
    return RegSetValueExA(created.get(), name.c_str(), 0, type, bytes, static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

bool writeTextValue(const std::string& key, const std::string& section, const std::string& name,
                    const std::string& text) {
    // REG_SZ data carries its terminating zero; c_str() provides it.
    return writeValue(key, section, name, REG_SZ, reinterpret_cast<const std::uint8_t*>(text.c_str()), text.size() + 1);
}

bool writeNumberValue(const std::string& key, const std::string& section, const std::string& name,
                      std::uint32_t number) {
    const DWORD value = number;
    return writeValue(key, section, name, REG_DWORD, reinterpret_cast<const std::uint8_t*>(&value), sizeof value);
}

}  // namespace

std::string userConfigFolder() { return "software"; }

SettingsStore::SettingsStore(std::string productName)
    : product(std::move(productName)), root(userConfigFolder() + "\\" + product) {}

SettingsStore::SettingsStore(std::string productName, std::string rootKey)
    : product(std::move(productName)), root(keyPathOf(rootKey + "\\" + product)) {}

namespace calls {

std::optional<std::string> readText(const std::string& root, const std::string& section, const std::string& name) {
    const auto value = readValue(root, section, name);
    if (!value || value->type != REG_SZ)
        return std::nullopt;
    // Another program may have stored the text without its terminating zero, or with several.
    const auto end = std::find(value->bytes.begin(), value->bytes.end(), std::uint8_t{0});
    return std::string(value->bytes.begin(), end);
}

std::optional<std::uint32_t> readNumber(const std::string& root, const std::string& section, const std::string& name) {
    const auto value = readValue(root, section, name);
    if (!value || value->type != REG_DWORD || value->bytes.size() != 4)
        return std::nullopt;
    const auto& b = value->bytes;
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

std::optional<std::vector<std::uint8_t>> readBinary(const std::string& root, const std::string& section,
                                                    const std::string& name) {
    auto value = readValue(root, section, name);
    if (!value || value->type != REG_BINARY)
        return std::nullopt;
    return std::move(value->bytes);
}

bool contains(const std::string& root, const std::string& section, const std::string& name) {
    return readValue(root, section, name).has_value();
}

// The registry writes each value atomically on its own, so the values go one by one.
bool writeValues(const std::string& root, const std::string& section,
                 const std::vector<SettingsStore::NamedValue>& values) {
    bool written = true;
    for (const SettingsStore::NamedValue& value : values)
        written = (value.isNumber ? writeNumberValue(root, section, value.name, value.number)
                                  : writeTextValue(root, section, value.name, value.text)) &&
                  written;
    return written;
}

bool writeBinary(const std::string& root, const std::string& section, const std::string& name,
                 const std::vector<std::uint8_t>& value) {
    return writeValue(root, section, name, REG_BINARY, value.data(), value.size());
}

}  // namespace calls

}  // namespace rimba::settings
