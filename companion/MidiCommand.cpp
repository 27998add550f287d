#include "companion/MidiCommand.h"

#include <cstdio>
#include <optional>

#include "companion/CommandLine.h"
#include "plugin/core/VornDrums.h"
#include "plugin/files/PatternFile.h"
#include "plugin/tools/MidiExport.h"

namespace rimba::tool {
namespace {

constexpr VstIntPtr kHostVstVersion = 2400;

struct MidiRequest {
    std::string patterns;
    std::string out;
    std::optional<int> pattern;  // export this pattern alone
    bool chain = false;          // export every chained pattern, whatever the set's play mode
    int tracks = kDefaultTrackCount;
};

int midiUsage() {
    std::fprintf(stderr,
                 "usage: rimbadrums-tool midi --patterns FILE.ptn [--pattern N | --chain] [--tracks 8|12]\n"
                 "                            --out OUT.mid\n"
                 "  N is a pattern number 0..15. Without --pattern or --chain the set decides as the\n"
                 "  instrument does: its chain when its play mode chains, else pattern 0\n");
    return 2;
}

std::optional<MidiRequest> parseRequest(const std::vector<std::string>& args) {
    MidiRequest request;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--chain") {
            request.chain = true;
        } else if (arg == "--patterns" && hasValue) {
            request.patterns = args[++i];
        } else if (arg == "--out" && hasValue) {
            request.out = args[++i];
        } else if (arg == "--pattern" && hasValue) {
            request.pattern = wholeNumber(args[++i]);
            if (!request.pattern || *request.pattern >= kPatternCount)
                return std::nullopt;
        } else if (arg == "--tracks" && hasValue) {
            const std::optional<int> tracks = wholeNumber(args[++i]);
            if (tracks != kSmallTrackCount && tracks != kDefaultTrackCount)
                return std::nullopt;
            request.tracks = *tracks;
        } else {
            return std::nullopt;
        }
    }
    if (request.patterns.empty() || request.out.empty() || (request.pattern && request.chain))
        return std::nullopt;
    return request;
}

VstIntPtr toolHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kHostVstVersion : 0;
}

bool anyPatternChained(const VornDrums& drums) {
    for (const std::int32_t chained : drums.chainEnabled) {
        if (chained != 0)
            return true;
    }
    return false;
}

// Points the instrument's export rule at what was asked for; false when the set has no chain to
// export.
bool chooseExportedPatterns(VornDrums& drums, const MidiRequest& request) {
    if (request.pattern) {
        drums.currentPattern = *request.pattern;
        drums.playMode = 0;
    } else if (request.chain) {
        if (!anyPatternChained(drums))
            return false;
        if (drums.playMode == 0)
            drums.playMode = 1;
    }
    return true;
}

}  // namespace

int runMidi(const std::vector<std::string>& args) {
    const std::optional<MidiRequest> request = parseRequest(args);
    if (!request)
        return midiUsage();
    const int tracks = request->tracks;
    VornDrums drums(toolHost, [tracks](InstrumentSettings& settings, bool) {
        settings.channelNumber = tracks;
        return false;
    });
    const int lines = loadPatternSet(drums, request->patterns);
    if (lines < 0) {
        std::fprintf(stderr, "rimbadrums-tool: cannot read the pattern set %s\n", request->patterns.c_str());
        return 1;
    }
    if (lines == 0) {
        std::fprintf(stderr, "rimbadrums-tool: %s holds no pattern the instrument can read\n",
                     request->patterns.c_str());
        return 1;
    }
    if (!chooseExportedPatterns(drums, *request)) {
        std::fprintf(stderr, "rimbadrums-tool: no pattern of %s is chained\n", request->patterns.c_str());
        return 1;
    }
    if (exportMidiFile(drums, request->out) != 0) {
        std::fprintf(stderr, "rimbadrums-tool: cannot write %s\n", request->out.c_str());
        return 1;
    }
    std::printf("wrote %s from %d pattern lines of %s\n", request->out.c_str(), lines, request->patterns.c_str());
    return 0;
}

}  // namespace rimba::tool
