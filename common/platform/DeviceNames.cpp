#include "common/platform/DeviceNames.h"

namespace rimba::platform {

std::string listedDeviceName(const std::string& name) {
    constexpr std::size_t kLongestListed = 31;
    constexpr std::size_t kKeptBeforeEllipsis = 28;
    if (name.size() <= kLongestListed)
        return name;
    return name.substr(0, kKeptBeforeEllipsis) + "...";
}

}  // namespace rimba::platform
