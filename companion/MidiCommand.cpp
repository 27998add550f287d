#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "common/platform/Files.h"
#include "companion/Commands.h"
#include "plugin/core/PatternSets.h"
#include "plugin/core/VornDrums.h"
#include "plugin/tools/MidiExport.h"

namespace rimba::tool {
namespace {

constexpr VstIntPtr kHostVstVersion = 2400;

struct MidiRequest {
    std::string patterns;
    std::string out;
    std::optional<int> pattern;  // export this pattern alone
    bool chain = false;  // export every chained pattern, whatever the set's play mode
    int tracks = kDefaultTrackCount;
};

VstIntPtr toolHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kHostVstVersion : 0;
}

bool anyPatternChained(const VornDrums& drums) {
    for (const std::int32_t chained : drums.state().chainEnabled) {
        if (chained != 0)
            return true;
    }
    return false;
}

// Points the instrument's export rule at what was asked for; false when the set has no chain to
// export.
bool chooseExportedPatterns(VornDrums& drums, const MidiRequest& request) {
    if (request.pattern) {
        drums.choosePattern(*request.pattern);
        drums.setPlayMode(0);
    } else if (request.chain) {
        if (!anyPatternChained(drums))
            return false;
        if (drums.state().playMode == 0)
            drums.setPlayMode(1);
    }
    return true;
}

struct MidiSummary {
    std::int64_t ticks = 0;
    int notes = 0;
};

// A variable-length quantity: seven bits a byte, most significant first; nullopt past the end.
std::optional<std::int64_t> readQuantity(std::span<const std::uint8_t> bytes, std::size_t& at) {
    std::int64_t value = 0;
    for (int count = 0; count < 4 && at < bytes.size(); ++count) {
        const std::uint8_t byte = bytes[at++];
        value = (value << 7) | (byte & 0x7F);
        if ((byte & 0x80) == 0)
            return value;
    }
    return std::nullopt;
}

// How long the first track of a Standard MIDI File lasts and how many notes it starts, read
// from the written bytes themselves; nullopt when they do not hold a readable track.
std::optional<MidiSummary> summariseMidi(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t kTrackStart = 14 + 8;  // header chunk, then "MTrk" and its length
    if (bytes.size() < kTrackStart || bytes[14] != 'M' || bytes[15] != 'T' || bytes[16] != 'r' || bytes[17] != 'k')
        return std::nullopt;
    MidiSummary summary;
    std::uint8_t status = 0;
    for (std::size_t at = kTrackStart; at < bytes.size();) {
        const std::optional<std::int64_t> delta = readQuantity(bytes, at);
        if (!delta || at >= bytes.size())
            return std::nullopt;
        summary.ticks += *delta;
        if (bytes[at] & 0x80)
            status = bytes[at++];
        if (status == 0xFF || status == 0xF0 || status == 0xF7) {
            const bool endOfTrack = status == 0xFF && at < bytes.size() && bytes[at] == 0x2F;
            at += status == 0xFF ? 1 : 0;
            const std::optional<std::int64_t> length = readQuantity(bytes, at);
            if (!length)
                return std::nullopt;
            if (endOfTrack)
                return summary;
            at += static_cast<std::size_t>(*length);
            continue;
        }
        const std::size_t dataBytes = (status & 0xE0) == 0xC0 ? 1 : 2;
        if (status < 0x80 || at + dataBytes > bytes.size())
            return std::nullopt;
        if ((status & 0xF0) == 0x90 && bytes[at + 1] != 0)
            ++summary.notes;
        at += dataBytes;
    }
    return summary;
}

int exportPatterns(const MidiRequest& request) {
    const int tracks = request.tracks;
    VornDrums drums(toolHost, [tracks](InstrumentSettings& settings, bool) {
        settings.channelNumber = tracks;
        return false;
    });
    const Result<int> loaded = drums.loadPatternSet(request.patterns);
    if (!loaded)
        return fail("the pattern set is refused", loaded.reason());
    const int lines = *loaded;
    if (lines == 0)
        return fail("the pattern set " + request.patterns + " is refused",
                    "it holds no pattern the instrument can read");
    if (!chooseExportedPatterns(drums, request))
        return fail(request.patterns, "no pattern of the set is chained, so it has no chain to export");
    if (exportMidiFile(drums.state(), request.out) != 0)
        return fail(request.out, "cannot write the file");
    std::printf("wrote %s from %d pattern lines of %s\n", request.out.c_str(), lines, request.patterns.c_str());
    if (const std::optional<std::vector<std::uint8_t>> written = platform::readWholeFile(request.out)) {
        if (const std::optional<MidiSummary> summary = summariseMidi(*written))
            std::printf("%d notes over %g quarter notes\n", summary->notes,
                        static_cast<double>(summary->ticks) / kMidiTicksPerQuarter);
    }
    return 0;
}

}  // namespace

void addMidiCommand(CLI::App& tool, Job& job) {
    auto request = std::make_shared<MidiRequest>();
    CLI::App* midi =
        tool.add_subcommand("midi", "Load a pattern set as the instrument does and export it as a MIDI file");
    midi->footer(
        "Without --pattern or --chain the set decides as the instrument does: its chain when its play\n"
        "mode chains, else pattern 0.");
    midi->add_option("--patterns", request->patterns, "The pattern set")
        ->required()
        ->check(nonEmpty())
        ->type_name("FILE.ptn");
    CLI::Option* pattern = midi->add_option_function<int>(
                                   "--pattern", [request](const int& number) { request->pattern = number; },
                                   "Export this pattern (0..15) alone")
                               ->transform(patternNumber())
                               ->type_name("N");
    midi->add_flag("--chain", request->chain, "Export every chained pattern, whatever the set's play mode")
        ->excludes(pattern);
    midi->add_option("--tracks", request->tracks, "The instrument's track count the set is read for")
        ->transform(trackCount())
        ->type_name("8|12")
        ->capture_default_str();
    midi->add_option("--out", request->out, "The MIDI file to write")
        ->required()
        ->check(nonEmpty())
        ->type_name("OUT.mid");
    midi->callback([request, &job] { job = [request] { return exportPatterns(*request); }; });
}

}  // namespace rimba::tool
