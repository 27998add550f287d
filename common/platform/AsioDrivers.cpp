#include "common/platform/AsioDrivers.h"

#include "common/platform/DeviceNames.h"

namespace rimba::platform {

std::vector<std::string> listedAsioDriverNames() {
    std::vector<std::string> names;
    for (const InstalledAsioDriver& driver : installedAsioDrivers()) {
        if (names.size() == kListedAsioDrivers)
            break;
        names.push_back(listedDeviceName(driver.name()));
    }
    return names;
}

}  // namespace rimba::platform
