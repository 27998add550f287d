#pragma once
// Tests lend the instrument's slots plug-ins of their own (stand-ins made in the process); they
// take them back before the stand-ins go.

#include "plugin/core/VornDrums.h"

namespace rimba::test {

inline void takeBackLentPlugins(VornDrums& drums) {
    for (int slot = 0; slot < VornDrums::kPluginSlots; ++slot)
        drums.placePlugin(slot, nullptr);
}

}  // namespace rimba::test
