#include "companion/KitCommand.h"

#include <cstdio>
#include <optional>

#include "common/platform/Files.h"
#include "plugin/files/KitFile.h"

namespace rimba::tool {
namespace {

struct NamedSetting {
    const char* name;
    int position;
};

// Every setting a kit keeps, by the names the editor shows, in stored order.
constexpr NamedSetting kKitSettings[] = {
    {"level", stored::kLevel},           {"pan", stored::kPan},
    {"send1", stored::kSend1},           {"send2", stored::kSend2},
    {"tune", stored::kTune},             {"levelVelocity", stored::kLevelVelocity},
    {"tuneVelocity", stored::kTuneVelocity}, {"oneShot", stored::kOneShot},
    {"reverse", stored::kReverse},       {"loop", stored::kLoop},
    {"start", stored::kStart},           {"end", stored::kEnd},
    {"mute", stored::kMute},             {"choke", stored::kChoke},
    {"tuneScale", stored::kTuneScale},   {"synthRoute", stored::kSynthRoute},
    {"eqOnSample", stored::kEqOnSample}, {"eqLowFreq", stored::kEqBands},
    {"eqLowQ", stored::kEqBands + 1},    {"eqLowGain", stored::kEqBands + 2},
    {"eqMidFreq", stored::kEqBands + 3}, {"eqMidQ", stored::kEqBands + 4},
    {"eqMidGain", stored::kEqBands + 5}, {"eqHighFreq", stored::kEqBands + 6},
    {"eqHighQ", stored::kEqBands + 7},   {"eqHighGain", stored::kEqBands + 8},
    {"synthMix", stored::kSynthMix},     {"eqOnSynth", stored::kEqOnSynth},
    {"phaseInvert", stored::kPhaseInvert},
};

void describeRecord(std::size_t index, const KitRecord& record) {
    std::printf("track %2zu: sound \"%s\"\n", index + 1, record.path.c_str());
    std::printf("         ");
    int column = 0;
    for (const NamedSetting& setting : kKitSettings) {
        std::printf(" %s %.4g", setting.name, static_cast<double>(record.settings[static_cast<std::size_t>(setting.position)]));
        if (++column % 6 == 0)
            std::printf("\n         ");
    }
    std::printf("\n          scale notes");
    for (const std::int32_t note : record.scaleNotes)
        std::printf(" %d", note);
    std::printf("\n");
}

}  // namespace

int runKit(const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        std::fprintf(stderr, "usage: rimbadrums-tool kit FILE.drs\n");
        return 2;
    }
    const std::string& path = args[0];
    const std::optional<std::vector<std::uint8_t>> file = platform::readWholeFile(path);
    if (!file) {
        std::fprintf(stderr, "rimbadrums-tool: cannot read %s\n", path.c_str());
        return 1;
    }
    const rimba::Result<KitFile> kit = readKitFile(*file);
    if (!kit) {
        std::fprintf(stderr, "rimbadrums-tool: %s is not a kit the instrument reads: %s\n", path.c_str(),
                     kit.reason().c_str());
        return 1;
    }
    std::printf("kit file: %s\n", path.c_str());
    std::printf("form: %s\nrecords: %zu\n", kitFormName(kit->form), kit->records.size());
    std::printf("drum synth state: %zu bytes\n", kit->synthState.size());
    for (std::size_t r = 0; r < kit->records.size(); ++r)
        describeRecord(r, kit->records[r]);
    return 0;
}

}  // namespace rimba::tool
