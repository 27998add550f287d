// The portable half of the settings store: which names it takes, and a single value written as a
// one-value group, so that both systems refuse and write alike. The storage itself is in
// StoreCalls.

#include "common/settings/SettingsStore.h"

#include <cctype>

#include "common/settings/StoreCalls.h"

namespace rimba::settings {

namespace {

constexpr std::size_t kLongestName = 200;

bool validNames(const std::string& section, const std::string& name) { return validName(section) && validName(name); }

}  // namespace

bool validName(const std::string& name) {
    if (name.empty() || name.size() > kLongestName)
        return false;
    for (const char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.'))
            return false;
    // Names become file names on Linux: "." and ".." would lead out of the store's folder.
    return name.find_first_not_of('.') != std::string::npos;
}

std::optional<std::string> SettingsStore::readText(const std::string& section, const std::string& name) const {
    if (!validNames(section, name))
        return std::nullopt;
    return calls::readText(root, section, name);
}

std::optional<std::uint32_t> SettingsStore::readNumber(const std::string& section, const std::string& name) const {
    if (!validNames(section, name))
        return std::nullopt;
    return calls::readNumber(root, section, name);
}

std::optional<std::vector<std::uint8_t>> SettingsStore::readBinary(const std::string& section,
                                                                   const std::string& name) const {
    if (!validNames(section, name))
        return std::nullopt;
    return calls::readBinary(root, section, name);
}

bool SettingsStore::contains(const std::string& section, const std::string& name) const {
    return validNames(section, name) && calls::contains(root, section, name);
}

bool SettingsStore::writeText(const std::string& section, const std::string& name, const std::string& value) {
    return writeValues(section, {NamedValue{.name = name, .isNumber = false, .text = value, .number = 0}});
}

bool SettingsStore::writeNumber(const std::string& section, const std::string& name, std::uint32_t value) {
    return writeValues(section, {NamedValue{.name = name, .isNumber = true, .text = {}, .number = value}});
}

// A name that is refused stops the whole group before anything is written.
bool SettingsStore::writeValues(const std::string& section, const std::vector<NamedValue>& values) {
    if (!validName(section))
        return false;
    for (const NamedValue& value : values)
        if (!validName(value.name))
            return false;
    return calls::writeValues(root, section, values);
}

bool SettingsStore::writeBinary(const std::string& section, const std::string& name,
                                const std::vector<std::uint8_t>& value) {
    return validNames(section, name) && calls::writeBinary(root, section, name, value);
}

}  // namespace rimba::settings
