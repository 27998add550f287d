#pragma once
// The system's own storage of settings under SettingsStore.cpp, which checks every name before
// any of these is called: section files on Linux, the registry on Windows. Only the settings
// store includes this header.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/settings/SettingsStore.h"

namespace rimba::settings {

// A section or value name that both systems can keep as one element of a path or a key: 1 to 200
// letters, digits, '_', '-' and '.', so no separator and no drive.
bool validName(const std::string& name);

namespace calls {

// Each reads the value `name` of `section` in the store at `root`; nullopt when it is missing,
// damaged or of another type.
std::optional<std::string> readText(const std::string& root, const std::string& section, const std::string& name);
std::optional<std::uint32_t> readNumber(const std::string& root, const std::string& section, const std::string& name);
std::optional<std::vector<std::uint8_t>> readBinary(const std::string& root, const std::string& section,
                                                    const std::string& name);
// True when a value of any type stands under `name`.
bool contains(const std::string& root, const std::string& section, const std::string& name);

bool writeValues(const std::string& root, const std::string& section,
                 const std::vector<SettingsStore::NamedValue>& values);
bool writeBinary(const std::string& root, const std::string& section, const std::string& name,
                 const std::vector<std::uint8_t>& value);

}  // namespace calls

}  // namespace rimba::settings
