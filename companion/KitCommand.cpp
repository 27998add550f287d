#include <cstdio>
#include <memory>
#include <optional>

#include "common/platform/Files.h"
#include "companion/Commands.h"
#include "plugin/files/KitFile.h"

namespace rimba::tool {
namespace {

struct NamedSetting {
    const char* name;
    int position;
};

// Every setting a kit keeps, by the names the editor shows, in stored order.
constexpr NamedSetting kKitSettings[] = {
    {"level", stored::kLevel},
    {"pan", stored::kPan},
    {"send1", stored::kSend1},
    {"send2", stored::kSend2},
    {"tune", stored::kTune},
    {"levelVelocity", stored::kLevelVelocity},
    {"tuneVelocity", stored::kTuneVelocity},
    {"oneShot", stored::kOneShot},
    {"reverse", stored::kReverse},
    {"loop", stored::kLoop},
    {"start", stored::kStart},
    {"end", stored::kEnd},
    {"mute", stored::kMute},
    {"choke", stored::kChoke},
    {"tuneScale", stored::kTuneScale},
    {"synthRoute", stored::kSynthRoute},
    {"eqOnSample", stored::kEqOnSample},
    {"eqLowFreq", stored::kEqBands},
    {"eqLowQ", stored::kEqBands + 1},
    {"eqLowGain", stored::kEqBands + 2},
    {"eqMidFreq", stored::kEqBands + 3},
    {"eqMidQ", stored::kEqBands + 4},
    {"eqMidGain", stored::kEqBands + 5},
    {"eqHighFreq", stored::kEqBands + 6},
    {"eqHighQ", stored::kEqBands + 7},
    {"eqHighGain", stored::kEqBands + 8},
    {"synthMix", stored::kSynthMix},
    {"eqOnSynth", stored::kEqOnSynth},
    {"phaseInvert", stored::kPhaseInvert},
};

void describeRecord(std::size_t index, const KitRecord& record) {
    std::printf("track %2zu: sound \"%s\"\n", index + 1, record.path.c_str());
    std::printf("         ");
    int column = 0;
    for (const NamedSetting& setting : kKitSettings) {
        std::printf(" %s %.4g", setting.name,
                    static_cast<double>(record.settings[static_cast<std::size_t>(setting.position)]));
        if (++column % 6 == 0)
            std::printf("\n         ");
    }
    std::printf("\n          scale notes");
    for (const std::int32_t note : record.scaleNotes)
        std::printf(" %d", note);
    std::printf("\n");
}

int describeKit(const std::string& path) {
    const std::optional<std::vector<std::uint8_t>> file = platform::readWholeFile(path);
    if (!file)
        return fail(path, "cannot read the file");
    const Result<KitFile> kit = readKitFile(*file);
    if (!kit)
        return fail(path + " is not a kit the instrument reads", kit.reason());
    std::printf("kit file: %s\n", path.c_str());
    std::printf("form: %s\nrecords: %zu\n", kitFormName(kit->form), kit->records.size());
    std::printf("drum synth state: %zu bytes\n", kit->synthState.size());
    for (std::size_t r = 0; r < kit->records.size(); ++r)
        describeRecord(r, kit->records[r]);
    return 0;
}

}  // namespace

void addKitCommand(CLI::App& tool, Job& job) {
    auto path = std::make_shared<std::string>();
    CLI::App* command =
        tool.add_subcommand("kit", "Describe a kit file: its form, record count and every track's sound and settings");
    command->add_option("FILE.drs", *path, "The kit file")->required()->check(nonEmpty());
    command->callback([path, &job] { job = [path] { return describeKit(*path); }; });
}

}  // namespace rimba::tool
