// ASIO is a Windows driver interface: no system here installs any.

#include "common/platform/AsioDrivers.h"

namespace rimba::platform {

std::vector<InstalledAsioDriver> installedAsioDrivers() { return {}; }

}  // namespace rimba::platform
