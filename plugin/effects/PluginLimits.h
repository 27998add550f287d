#pragma once
// The counts a hosted plug-in may declare. Its channels size the buffers made at load; its
// programs and parameters size every bank and preset image, the program list and the copied
// preset. A plug-in that declares more is refused at load rather than met later by an allocation
// that cannot succeed. The limits lie far above any real plug-in (the largest known declare a
// few hundred programs and a few thousand parameters) and keep a regular bank image under 16 MB.
//
// Any thread: reads the descriptor's fields only.

#include <cstdint>

#include "common/vst/VstAbi.h"
#include "plugin/model/Result.h"

namespace rimba {

inline constexpr std::int32_t kMaxPluginChannels = 256;
inline constexpr std::int32_t kMaxPluginPrograms = 16384;
inline constexpr std::int32_t kMaxPluginParameters = 16384;
// Programs x parameters: the values of a regular bank.
inline constexpr std::int64_t kMaxPluginProgramValues = std::int64_t{1} << 22;

// Refused, with the count that is out of bounds, when the plug-in's channels are below 0 or its
// channels, programs or parameters above the limits. (A negative count of programs or parameters
// counts as none, as it always has.)
Result<> checkDeclaredCounts(const AEffect& effect);

}  // namespace rimba
