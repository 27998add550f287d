#include "companion/ProgramCommands.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "common/platform/Files.h"
#include "companion/CommandLine.h"
#include "plugin/core/VornDrums.h"
#include "plugin/files/ProgramChunk.h"
#include "plugin/files/ProgramFile.h"
#include "plugin/tools/AudioExport.h"

namespace rimba::tool {
namespace {

constexpr VstIntPtr kHostVstVersion = 2400;
// Before the export the instrument renders one short block with the transport stopped, as a
// host does before it plays: the host's tempo becomes the instrument's and the equaliser
// settings of the program reach the audio path.
constexpr VstInt32 kWarmUpFrames = 64;

struct RenderRequest {
    std::string program;
    std::string out;
    std::string library;         // the library folder the program's sounds are found in
    std::optional<int> pattern;  // render this pattern alone
    bool chain = false;          // render every chained pattern
    double tempo = 120.0;
    double rate = 44100.0;
    std::string take;  // the instrument's chunk after the load, saved as a program file
};

int renderUsage() {
    std::fprintf(stderr,
                 "usage: rimbadrums-tool render --program FILE.fxp [--pattern N | --chain] [--tempo BPM] [--rate HZ]"
                 " [--library FOLDER] [--take TAKEN.fxp] --out OUT.wav\n"
                 "  --take saves the state the instrument took from the program, as a host saves it\n"
                 "  N is a pattern number 0..15; without --pattern or --chain the program's own play mode and\n"
                 "  current pattern decide, as in the instrument's audio export; tempo 120 and rate 44100\n"
                 "  unless given. --library names the library folder the program's sounds are stored\n"
                 "  relative to, when it is not the user's own\n");
    return 2;
}

std::optional<double> positiveNumber(const std::string& text, double largest) {
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == nullptr || *end != 0 || !std::isfinite(value) || value <= 0.0 || value > largest)
        return std::nullopt;
    return value;
}

std::optional<int> patternNumber(const std::string& text) {
    const std::optional<int> value = wholeNumber(text, 2);
    return value && *value < kPatternCount ? value : std::nullopt;
}

std::optional<RenderRequest> parseRenderRequest(const std::vector<std::string>& args) {
    RenderRequest request;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--chain") {
            request.chain = true;
        } else if (arg == "--program" && hasValue) {
            request.program = args[++i];
        } else if (arg == "--out" && hasValue) {
            request.out = args[++i];
        } else if (arg == "--library" && hasValue) {
            request.library = args[++i];
            if (request.library.empty())
                return std::nullopt;
        } else if (arg == "--take" && hasValue) {
            request.take = args[++i];
        } else if (arg == "--pattern" && hasValue) {
            request.pattern = patternNumber(args[++i]);
            if (!request.pattern)
                return std::nullopt;
        } else if (arg == "--tempo" && hasValue) {
            const std::optional<double> tempo = positiveNumber(args[++i], 1000.0);
            if (!tempo)
                return std::nullopt;
            request.tempo = *tempo;
        } else if (arg == "--rate" && hasValue) {
            const std::optional<double> rate = positiveNumber(args[++i], 384000.0);
            if (!rate)
                return std::nullopt;
            request.rate = *rate;
        } else {
            return std::nullopt;
        }
    }
    if (request.program.empty() || request.out.empty() || (request.chain && request.pattern))
        return std::nullopt;
    return request;
}

// The host's side of the render: its version and its clock, nothing else.
VstTimeInfo& renderTime() {
    static VstTimeInfo time{};
    return time;
}

VstIntPtr renderHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion)
        return kHostVstVersion;
    if (opcode == audioMasterGetTime)
        return reinterpret_cast<VstIntPtr>(&renderTime());
    return 0;
}

void warmUp(VornDrums& drums) {
    std::vector<std::vector<float>> channels(static_cast<std::size_t>(drums.getAeffect()->numOutputs),
                                             std::vector<float>(kWarmUpFrames));
    std::vector<float*> outputs;
    for (auto& channel : channels)
        outputs.push_back(channel.data());
    drums.processReplacing(nullptr, outputs.data(), kWarmUpFrames);
}

void printEffect(const char* label, const ChunkEffect& effect, bool hasPath) {
    if (effect.state.empty()) {
        std::printf("%s: empty\n", label);
        return;
    }
    std::printf("%s: %s%s%sstate %zu bytes, program %d\n", label, hasPath ? "\"" : "",
                hasPath ? effect.path.c_str() : "", hasPath ? "\", " : "", effect.state.size(), effect.program);
}

void describe(const std::string& path, const ProgramChunk& program) {
    std::printf("program file: %s\n", path.c_str());
    std::printf("form: %s", chunkFormName(program.form));
    if (program.version != 0)
        std::printf(", version %d", program.version);
    std::printf("\ntracks: %zu\n", program.tracks.size());
    for (std::size_t t = 0; t < program.tracks.size(); ++t) {
        const ChunkTrack& track = program.tracks[t];
        std::printf("  track %2zu: level %.4f sound \"%s\"\n", t + 1,
                    static_cast<double>(track.settings[stored::kLevel]), track.path.c_str());
    }
    std::printf("patterns (steps, hits%s):\n", program.hasFullTail ? "" : "; oldest form");
    for (std::size_t p = 0; p < static_cast<std::size_t>(kPatternCount); ++p) {
        const std::int32_t steps = program.patternSteps[p];
        int hits = 0;
        for (const ChunkTrack& track : program.tracks)
            for (std::int32_t s = 0; s < std::min(steps, kMaxSteps); ++s)
                hits += track.velocity[p][static_cast<std::size_t>(s)] != 0;
        std::printf("  pattern %2zu: %2d steps, %3d hits%s\n", p, steps, hits,
                    program.chainEnabled[p] ? ", chained" : "");
    }
    std::printf("current pattern: %d, play mode: %d, tempo: %d\n", program.currentPattern, program.playMode,
                program.tempo);
    static const char* const kSlotNames[] = {"send 1", "send 2", "insert 1", "insert 2"};
    for (std::size_t slot = 0; slot < program.effects.size(); ++slot) {
        const std::string label = std::string("effect ") + kSlotNames[slot] +
                                  (program.effectEnabled[slot] ? " (on)" : " (off)");
        printEffect(label.c_str(), program.effects[slot], true);
    }
    printEffect("drum synth", program.drumSynth, false);
}

}  // namespace

int runRender(const std::vector<std::string>& args) {
    const std::optional<RenderRequest> request = parseRenderRequest(args);
    if (!request)
        return renderUsage();

    VstTimeInfo& time = renderTime();
    time = VstTimeInfo{};
    time.sampleRate = request->rate;
    time.tempo = request->tempo;
    time.timeSigNumerator = 4;
    time.timeSigDenominator = 4;
    time.flags = kVstTempoValid | kVstTimeSigValid;

    VornDrums drums(renderHost);
    if (!request->library.empty())
        drums.settings.filesPath = request->library;
    drums.setSampleRate(static_cast<float>(request->rate));
    if (const Result<> loaded = drums.loadProgramFile(request->program); !loaded) {
        std::fprintf(stderr, "rimbadrums-tool: the instrument does not load the program: %s\n",
                     loaded.reason().c_str());
        return 1;
    }
    // Taken before the render changes the play mode or the pattern, so it is the program's state.
    if (!request->take.empty() && !drums.saveProgramFile(request->take)) {
        std::fprintf(stderr, "rimbadrums-tool: cannot write %s\n", request->take.c_str());
        return 1;
    }
    warmUp(drums);
    if (request->pattern) {
        drums.playMode = 0;
        drums.choosePattern(*request->pattern);
    } else if (request->chain) {
        drums.playMode = 1;
    }
    if (exportAudioFile(drums, request->out) != 0) {
        std::fprintf(stderr, "rimbadrums-tool: cannot write %s\n", request->out.c_str());
        return 1;
    }
    return 0;
}

int runProgram(const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        std::fprintf(stderr, "usage: rimbadrums-tool program FILE.fxp\n");
        return 2;
    }
    const std::string& path = args[0];
    const std::optional<std::vector<std::uint8_t>> file = platform::readWholeFile(path);
    if (!file) {
        std::fprintf(stderr, "rimbadrums-tool: cannot read %s\n", path.c_str());
        return 1;
    }
    const ProgramFileBlock found = findProgramFileBlock(*file);
    if (!found.block) {
        std::fprintf(stderr, "rimbadrums-tool: %s: %s\n", path.c_str(), found.block.reason().c_str());
        return 1;
    }
    const rimba::Result<ProgramChunk> program = readProgramChunk(*found.block);
    if (!program) {
        std::fprintf(stderr, "rimbadrums-tool: the instrument refuses the program in %s: %s\n", path.c_str(),
                     program.reason().c_str());
        return 1;
    }
    describe(path, *program);
    return 0;
}

}  // namespace rimba::tool
