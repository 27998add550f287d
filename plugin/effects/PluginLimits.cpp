#include "plugin/effects/PluginLimits.h"

#include <string>

namespace rimba {

namespace {

bool within(std::int32_t count, std::int32_t limit) { return count >= 0 && count <= limit; }

// A negative count of programs or parameters is taken as none, as the images take it.
std::int64_t declared(std::int32_t count) { return count < 0 ? 0 : count; }

}  // namespace

Result<> checkDeclaredCounts(const AEffect& effect) {
    if (!within(effect.numInputs, kMaxPluginChannels) || !within(effect.numOutputs, kMaxPluginChannels))
        return Refusal{"the plug-in declares an impossible number of inputs or outputs"};
    if (declared(effect.numPrograms) > kMaxPluginPrograms)
        return Refusal{"the plug-in declares " + std::to_string(effect.numPrograms) + " programs; at most " +
                       std::to_string(kMaxPluginPrograms) + " are hosted"};
    if (declared(effect.numParams) > kMaxPluginParameters)
        return Refusal{"the plug-in declares " + std::to_string(effect.numParams) + " parameters; at most " +
                       std::to_string(kMaxPluginParameters) + " are hosted"};
    const std::int64_t values = declared(effect.numPrograms) * declared(effect.numParams);
    if (values > kMaxPluginProgramValues)
        return Refusal{"the plug-in declares " + std::to_string(effect.numPrograms) + " programs of " +
                       std::to_string(effect.numParams) + " parameters; at most " +
                       std::to_string(kMaxPluginProgramValues) + " values in all are hosted"};
    return {};
}

}  // namespace rimba
