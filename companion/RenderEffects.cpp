#include "companion/RenderEffects.h"

#include <array>
#include <cstdint>
#include <string_view>

#include "plugin/core/VornDrums.h"
#include "plugin/model/Tags.h"

namespace rimba::tool {
namespace {

// The effect slots by their names on the command line, in slot order.
constexpr std::array<std::string_view, kEffectSlots> kSlotWords{"send1", "send2", "insert1", "insert2"};
constexpr std::array<const char*, kEffectSlots> kSlotNames{"send 1", "send 2", "insert 1", "insert 2"};
constexpr char kSlotList[] = "send1, send2, insert1, insert2";

std::optional<int> slotNumber(std::string_view word) {
    for (std::size_t slot = 0; slot < kSlotWords.size(); ++slot)
        if (word == kSlotWords[slot])
            return static_cast<int>(slot);
    return std::nullopt;
}

struct LibraryChoice {
    int slot = 0;
    std::string path;
};

struct SlotSwitch {
    int slot = 0;
    bool on = false;
};

struct ParameterValue {
    int slot = 0;
    std::int32_t index = 0;
    float value = 0.0f;
};

// The word before the first `mark` names a slot; what follows is the rest.
std::optional<std::pair<int, std::string>> slotAndRest(const std::string& text, char mark) {
    const std::size_t at = text.find(mark);
    if (at == std::string::npos)
        return std::nullopt;
    const std::optional<int> slot = slotNumber(std::string_view(text).substr(0, at));
    if (!slot)
        return std::nullopt;
    return std::pair{*slot, text.substr(at + 1)};
}

std::optional<LibraryChoice> readLibraryChoice(const std::string& text) {
    const auto found = slotAndRest(text, '=');
    if (!found || found->second.empty())
        return std::nullopt;
    return LibraryChoice{found->first, found->second};
}

std::optional<SlotSwitch> readSlotSwitch(const std::string& text) {
    const auto found = slotAndRest(text, '=');
    if (!found || (found->second != "on" && found->second != "off"))
        return std::nullopt;
    return SlotSwitch{found->first, found->second == "on"};
}

std::optional<ParameterValue> readParameterValue(const std::string& text) {
    const auto found = slotAndRest(text, ':');
    if (!found)
        return std::nullopt;
    const std::string& rest = found->second;
    const std::size_t equals = rest.find('=');
    if (equals == std::string::npos)
        return std::nullopt;
    const std::optional<int> index = decimalDigits(std::string_view(rest).substr(0, equals));
    const std::optional<float> value = unitNumber(rest.substr(equals + 1));
    if (!index || !value)
        return std::nullopt;
    return ParameterValue{found->first, *index, *value};
}

template <typename Reader>
CLI::Validator formOf(const std::string& form, Reader reader) {
    return CLI::Validator(
        [form, reader](std::string& text) -> std::string {
            return reader(text) ? "" : "\"" + text + "\" is not " + form + ", SLOT one of " + kSlotList;
        },
        "");
}

std::string slotName(int slot) { return kSlotNames[static_cast<std::size_t>(slot)]; }

}  // namespace

void addRenderEffectOptions(CLI::App& command, RenderEffects& effects) {
    command
        .add_option("--effect", effects.libraries,
                    "Load the plug-in into an effect slot after the program, as the slot menu does, and "
                    "switch the slot on; SLOT is one of send1, send2, insert1, insert2. Repeatable")
        ->check(formOf("SLOT=PLUGIN", readLibraryChoice))
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->type_name("SLOT=PLUGIN");
    command
        .add_option("--enable", effects.switches, "Switch an effect slot on or off, after every --effect. Repeatable")
        ->check(formOf("SLOT=on|off", readSlotSwitch))
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->type_name("SLOT=on|off");
    command
        .add_option_function<std::string>(
            "--send-level", [&effects](const std::string& text) { effects.sendLevel = unitNumber(text); },
            "Set send 1 and send 2 of every track in use to LEVEL (0..1), so the send effects are heard")
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
                return unitNumber(text) ? "" : "\"" + text + "\" is not a number 0..1";
            },
            ""))
        ->type_name("LEVEL");
    command
        .add_option("--param", effects.parameters,
                    "Set parameter INDEX of the plug-in in the slot to VALUE (0..1), after every --effect and "
                    "--enable. Repeatable")
        ->check(formOf("SLOT:INDEX=VALUE with VALUE 0..1", readParameterValue))
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->type_name("SLOT:INDEX=VALUE");
}

int applyRenderEffects(VornDrums& drums, const RenderEffects& effects) {
    for (const std::string& text : effects.libraries) {
        const LibraryChoice choice = *readLibraryChoice(text);
        if (const Result<> loaded = drums.selectEffect(choice.slot, choice.path); !loaded)
            return fail("the effect for " + slotName(choice.slot) + " is refused",
                        choice.path + ": " + loaded.reason());
    }
    for (const std::string& text : effects.switches) {
        const SlotSwitch change = *readSlotSwitch(text);
        drums.setValue(tags::globalBase(drums.state().trackCount) + tags::kEffectEnabledOffset + change.slot,
                       change.on ? 1.0f : 0.0f);
    }
    if (effects.sendLevel) {
        for (int track = 0; track < drums.state().trackCount; ++track) {
            drums.setValue(tags::trackTag(track, tags::kSend1), *effects.sendLevel);
            drums.setValue(tags::trackTag(track, tags::kSend2), *effects.sendLevel);
        }
    }
    for (const std::string& text : effects.parameters) {
        const ParameterValue setting = *readParameterValue(text);
        CPlugin* plugin = drums.slotPlugin(setting.slot);
        if (plugin == nullptr)
            return fail("--param " + text, slotName(setting.slot) + " holds no plug-in");
        if (setting.index >= plugin->parameterCount())
            return fail("--param " + text, "the plug-in in " + slotName(setting.slot) + " has " +
                                               std::to_string(plugin->parameterCount()) + " parameters");
        plugin->setParameter(setting.index, setting.value);
    }
    return 0;
}

}  // namespace rimba::tool
