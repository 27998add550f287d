#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "common/platform/Files.h"
#include "companion/Commands.h"
#include "companion/RenderEffects.h"
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
    std::string library;  // the library folder the program's sounds are found in
    std::optional<int> pattern;  // render this pattern alone
    bool chain = false;  // render every chained pattern
    double tempo = 120.0;
    double rate = 44100.0;
    std::string take;  // the instrument's chunk after the load, saved as a program file
    RenderEffects effects;
};

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
        const std::string label =
            std::string("effect ") + kSlotNames[slot] + (program.effectEnabled[slot] ? " (on)" : " (off)");
        printEffect(label.c_str(), program.effects[slot], true);
    }
    printEffect("drum synth", program.drumSynth, false);
}

int render(const RenderRequest& request) {
    VstTimeInfo& time = renderTime();
    time = VstTimeInfo{};
    time.sampleRate = request.rate;
    time.tempo = request.tempo;
    time.timeSigNumerator = 4;
    time.timeSigDenominator = 4;
    time.flags = kVstTempoValid | kVstTimeSigValid;

    VornDrums drums(renderHost);
    if (!request.library.empty())
        drums.setRememberedPath(VornDrums::RememberedPath::appFolder, request.library);
    drums.setSampleRate(static_cast<float>(request.rate));
    // The export hands the instrument blocks larger than a host's usual one; the instrument and
    // the plug-ins in its slots are told the largest block they get, as a host tells them its own.
    drums.setBlockSize(HostedPlugin::kMaxBlockFrames);
    if (const Result<> loaded = drums.loadProgramFile(request.program); !loaded)
        return fail("the program is refused", loaded.reason());
    if (const int status = applyRenderEffects(drums, request.effects); status != 0)
        return status;
    // Taken after the effect options, so a program with effects can be made from one without,
    // and before the render changes the play mode or the pattern, so it is the program's state.
    if (!request.take.empty() && !drums.saveProgramFile(request.take))
        return fail(request.take, "cannot write the file");
    warmUp(drums);
    if (request.pattern) {
        drums.setPlayMode(0);
        drums.choosePattern(*request.pattern);
    } else if (request.chain) {
        drums.setPlayMode(1);
    }
    if (exportAudioFile(drums, request.out) != 0)
        return fail(request.out, "cannot write the file");
    return 0;
}

int describeProgram(const std::string& path) {
    const std::optional<std::vector<std::uint8_t>> file = platform::readWholeFile(path);
    if (!file)
        return fail(path, "cannot read the file");
    const ProgramFileBlock found = findProgramFileBlock(*file);
    if (!found.block)
        return fail("the program file " + path + " is refused", found.block.reason());
    const Result<ProgramChunk> program = readProgramChunk(*found.block);
    if (!program)
        return fail("the program in " + path + " is refused", program.reason());
    describe(path, *program);
    return 0;
}

}  // namespace

void addRenderCommand(CLI::App& tool, Job& job) {
    auto request = std::make_shared<RenderRequest>();
    CLI::App* command = tool.add_subcommand(
        "render",
        "Load a program file as the instrument does and export its pattern or chain as the editor's "
        "audio export does");
    command->footer(
        "Without --pattern or --chain the program's own play mode and current pattern decide, as in\n"
        "the instrument's audio export. The effects a program names load with it; the effect options\n"
        "apply after it: --effect, then --enable, --send-level and --param.");
    command->add_option("--program", request->program, "The program file")
        ->required()
        ->check(nonEmpty())
        ->type_name("FILE.fxp");
    CLI::Option* pattern = command
                               ->add_option_function<int>(
                                   "--pattern", [request](const int& number) { request->pattern = number; },
                                   "Render this pattern (0..15) alone")
                               ->transform(patternNumber())
                               ->type_name("N");
    command->add_flag("--chain", request->chain, "Render every chained pattern")->excludes(pattern);
    command->add_option("--tempo", request->tempo, "The host's tempo: above 0, up to 1000")
        ->transform(positiveUpTo(1000.0))
        ->type_name("BPM")
        ->capture_default_str();
    command->add_option("--rate", request->rate, "The host's sample rate: above 0, up to 384000")
        ->transform(positiveUpTo(384000.0))
        ->type_name("HZ")
        ->capture_default_str();
    command
        ->add_option("--library", request->library,
                     "The library folder the program's sounds are stored relative to, when it is not the "
                     "user's own")
        ->check(nonEmpty())
        ->type_name("FOLDER");
    command
        ->add_option("--take", request->take,
                     "Also save the state the instrument took from the program and the effect options, as a "
                     "host saves it")
        ->type_name("TAKEN.fxp");
    addRenderEffectOptions(*command, request->effects);
    command->add_option("--out", request->out, "The WAV file to write")
        ->required()
        ->check(nonEmpty())
        ->type_name("OUT.wav");
    command->callback([request, &job] { job = [request] { return render(*request); }; });
}

void addProgramCommand(CLI::App& tool, Job& job) {
    auto path = std::make_shared<std::string>();
    CLI::App* command =
        tool.add_subcommand("program", "Describe a program file: its form, tracks, patterns and effect slots");
    command->add_option("FILE.fxp", *path, "The program file")->required()->check(nonEmpty());
    command->callback([path, &job] { job = [path] { return describeProgram(*path); }; });
}

}  // namespace rimba::tool
