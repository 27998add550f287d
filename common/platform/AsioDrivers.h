#pragma once
// The ASIO drivers installed on this machine, as their installers register them: one subkey of
// HKLM\SOFTWARE\ASIO each, naming the driver's COM class, whose in-process server file must
// exist for the driver to count. Both the standalone program's driver catalog and the plug-in's
// device list read them here, so both list the same drivers under the same names.
// Systems without ASIO (Linux) have none. Main thread.

#include <cstddef>
#include <string>
#include <vector>

namespace rimba::platform {

struct InstalledAsioDriver {
    std::string keyName;  // the subkey's name
    std::string classIdText;  // its "CLSID" value, "{...}" as registered
    std::string description;  // its "Description" value; empty when missing
    std::string serverPath;  // the class's InprocServer32 file, which exists
    // What lists show of it before the listed-name rule: the description, else the key name.
    const std::string& name() const { return description.empty() ? keyName : description; }
};

// In the registry's order; a subkey without a class id, or whose class has no server file, is
// left out.
std::vector<InstalledAsioDriver> installedAsioDrivers();

// The plug-in's device list and the program's open offer this many drivers at most.
inline constexpr std::size_t kListedAsioDrivers = 8;

// The listed names (DeviceNames.h's rule) of the first kListedAsioDrivers drivers.
std::vector<std::string> listedAsioDriverNames();

}  // namespace rimba::platform
