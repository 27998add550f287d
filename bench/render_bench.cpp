// How fast the instrument renders: seconds of audio per second of CPU ("realtime_x"), with and
// without the equalisers, for a busy synthetic pattern at several block sizes and for the two
// songs of BenchSongs.h.
//
//   render_bench                      the Google Benchmark cases
//   render_bench --compare-h2cli      each song rendered whole, with the equalisers off and on,
//                                     and by Hydrogen's h2cli when it is installed, one run after
//                                     the other, with the ratios [--runs N]
//   render_bench --save-renders DIR   each song's outputs, all equalisers on, as raw floats
//   render_bench --compare-renders DIR   the greatest difference from renders saved before, in dBFS

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchSongs.h"
#include "plugin/core/VornDrums.h"
#include "plugin/files/SoundReader.h"
#include "tests/support/InstrumentProbe.h"

namespace {

using rimba::VornDrums;

VstTimeInfo benchTime{};

VstIntPtr benchHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion)
        return kVstVersion;
    if (opcode == audioMasterGetTime)
        return reinterpret_cast<VstIntPtr>(&benchTime);
    return 0;
}

// A decaying noise burst of half a second, different per track.
std::unique_ptr<rimba::Sound> drumSound(int track) {
    auto sound = std::make_unique<rimba::Sound>();
    const int frames = 22050;
    std::srand(static_cast<unsigned>(track + 1));
    sound->samples.resize(frames);
    for (int i = 0; i < frames; ++i) {
        const double envelope = std::exp(-i / (2000.0 + 400.0 * track));
        const double noise = (std::rand() % 65535 - 32767) / 32767.0;
        sound->samples[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(30000.0 * envelope * noise);
    }
    sound->frameCount = frames;
    return sound;
}

// One track's equaliser on, every band boosted or cut a little, as the benchmarks' songs have it.
void switchTrackEqualiserOn(VornDrums& drums, int track) {
    const auto i = static_cast<std::size_t>(track);
    rimba::test::stateOf(drums).tracks.eqOnSample[i] = 1.0f;
    rimba::test::stateOf(drums).tracks.eqGain[i] = {0.2f, -0.1f, 0.15f};
    for (int band = 0; band < rimba::kEqBands; ++band)
        drums.queueEqUpdate(track, band);
}

// `tuned`: the velocity bends each track's pitch, so no voice plays at the sound's own rate.
std::unique_ptr<VornDrums> busyInstrument(bool equalisers, bool tuned = false) {
    auto drums = std::make_unique<VornDrums>(benchHost, [](rimba::InstrumentSettings&, bool) { return false; });
    rimba::test::stateOf(*drums).swing = 40;
    for (int t = 0; t < rimba::test::stateOf(*drums).trackCount; ++t) {
        const auto i = static_cast<std::size_t>(t);
        rimba::test::stateOf(*drums).soundList.push_back(drumSound(t));
        rimba::test::stateOf(*drums).voices[i].soundIndex = t;
        drums->recomputeBounds(t);
        rimba::test::stateOf(*drums).tracks.pan[i] = 0.2f + 0.05f * t;
        rimba::test::stateOf(*drums).tracks.send1[i] = 0.3f;
        rimba::test::stateOf(*drums).tracks.oneShot[i] = t % 3 == 0 ? 0.0f : 1.0f;
        if (tuned)
            rimba::test::stateOf(*drums).tracks.tuneVelocity[i] = 1.5f + 0.25f * static_cast<float>(t);
        for (int s = 0; s < 16; ++s) {
            rimba::test::stateOf(*drums).patterns[i].stepVelocity[0][static_cast<std::size_t>(s)] =
                ((s + t) % 2 == 0) ? 100.0f : 0.0f;
            rimba::test::stateOf(*drums).patterns[i].stepRoll[0][static_cast<std::size_t>(s)] =
                (s % 4 == 3) ? 2.0f : 0.0f;
        }
        if (equalisers)
            switchTrackEqualiserOn(*drums, t);
        drums->updateTrackGains(t);
    }
    if (equalisers) {
        rimba::test::stateOf(*drums).masterEqOn = 1.0f;
        rimba::test::stateOf(*drums).masterEqGain = {0.1f, 0.1f, -0.1f};
        for (int band = 0; band < rimba::kEqBands; ++band)
            drums->queueEqUpdate(rimba::FilterUpdate::kMasterTarget, band);
    }
    return drums;
}

// The gain fixture of the tests (a plug-in that multiplies by one) in every effect slot, switched
// on: the cost of four hosted plug-ins beside the plain render. Empty when the tests, and so the
// fixture, are not built.
std::string gainPluginInEverySlot;

void renderBusyPattern(benchmark::State& state, bool equalisers, bool tuned = false) {
    const auto blockFrames = static_cast<VstInt32>(state.range(0));
    benchTime = VstTimeInfo{};
    benchTime.sampleRate = 44100.0;
    benchTime.tempo = 120.0;
    benchTime.flags = kVstTransportPlaying | kVstTempoValid;
    auto drums = busyInstrument(equalisers, tuned);
    drums->setBlockSize(blockFrames);  // as a host does before it plays
    for (int slot = 0; slot < rimba::kEffectSlots && !gainPluginInEverySlot.empty(); ++slot)
        if (!drums->selectEffect(slot, gainPluginInEverySlot)) {
            state.SkipWithError("the gain fixture does not load");
            return;
        }
    const int channels = drums->getAeffect()->numOutputs;
    std::vector<std::vector<float>> buffers(static_cast<std::size_t>(channels), std::vector<float>(blockFrames));
    std::vector<float*> outputs;
    for (auto& buffer : buffers)
        outputs.push_back(buffer.data());

    std::int64_t frames = 0;
    for (auto _ : state) {
        drums->processReplacing(nullptr, outputs.data(), blockFrames);
        benchTime.samplePos += blockFrames;
        frames += blockFrames;
        benchmark::DoNotOptimize(buffers[0][0]);
    }
    state.counters["realtime_x"] =
        benchmark::Counter(static_cast<double>(frames) / 44100.0, benchmark::Counter::kIsRate);
}

void RenderBusyPatternWithEqualisers(benchmark::State& state) { renderBusyPattern(state, true); }
void RenderBusyPatternWithoutEqualisers(benchmark::State& state) { renderBusyPattern(state, false); }
void RenderTunedPatternWithEqualisers(benchmark::State& state) { renderBusyPattern(state, true, true); }
void RenderTunedPatternWithoutEqualisers(benchmark::State& state) { renderBusyPattern(state, false, true); }

#ifdef RIMBA_GAIN_FIXTURE
void RenderBusyPatternThroughFourGainEffects(benchmark::State& state) {
    gainPluginInEverySlot = RIMBA_GAIN_FIXTURE;
    renderBusyPattern(state, false);
    gainPluginInEverySlot.clear();
}
BENCHMARK(RenderBusyPatternThroughFourGainEffects)->Arg(256)->MinTime(1.0);
#endif

BENCHMARK(RenderBusyPatternWithEqualisers)->Arg(32)->Arg(256)->Arg(4096)->MinTime(1.0);
BENCHMARK(RenderBusyPatternWithoutEqualisers)->Arg(32)->Arg(256)->Arg(4096)->MinTime(1.0);
BENCHMARK(RenderTunedPatternWithEqualisers)->Arg(256)->MinTime(1.0);
BENCHMARK(RenderTunedPatternWithoutEqualisers)->Arg(256)->MinTime(1.0);

// --- The songs --------------------------------------------------------------------------------

using rimba::bench::Song;

constexpr VstInt32 kSongBlock = 256;

// The folder of the songs' sounds and .h2song files, made once per run.
std::string songFolder() {
    static std::string folder = [] {
        std::string made = (std::filesystem::temp_directory_path() / "rimba-bench-songs-XXXXXX").string();
        if (mkdtemp(made.data()) == nullptr || !rimba::bench::makeDrumSounds(made))
            return std::string();
        for (Song song : {Song::Busy, Song::Groove})
            std::ofstream(made + "/" + rimba::bench::songName(song) + ".h2song") << rimba::bench::h2songXml(song, made);
        return made;
    }();
    return folder;
}

// The song on the instrument: its sounds on tracks 0..11, its bar as pattern 0, every track's
// equaliser on (low shelf +4 dB, peak -2 dB, high shelf +3 dB) or off.
std::unique_ptr<VornDrums> songInstrument(Song song, bool equalisers, const std::string& folder) {
    auto drums = std::make_unique<VornDrums>(benchHost, [](rimba::InstrumentSettings&, bool) { return false; });
    drums->setSampleRate(static_cast<float>(rimba::bench::kSongRate));
    drums->setBlockSize(kSongBlock);
    rimba::test::stateOf(*drums).patternSteps[0] = rimba::bench::kStepsPerBar;
    for (int t = 0; t < rimba::bench::kSongTracks && t < rimba::test::stateOf(*drums).trackCount; ++t) {
        const auto i = static_cast<std::size_t>(t);
        rimba::Result<rimba::Sound> sound = rimba::loadSoundFile(rimba::bench::soundPath(folder, t));
        if (!sound)
            return nullptr;
        rimba::test::stateOf(*drums).soundList.push_back(std::make_unique<rimba::Sound>(std::move(*sound)));
        rimba::test::stateOf(*drums).voices[i].soundIndex =
            static_cast<std::int32_t>(rimba::test::stateOf(*drums).soundList.size() - 1);
        drums->recomputeBounds(t);
        rimba::test::stateOf(*drums).patterns[i].stepVelocity[0].fill(0.0f);
        if (equalisers)
            switchTrackEqualiserOn(*drums, t);
        drums->updateTrackGains(t);
    }
    for (const rimba::bench::Hit& hit : rimba::bench::songHits(song))
        rimba::test::stateOf(*drums)
            .patterns[static_cast<std::size_t>(hit.track)]
            .stepVelocity[0][static_cast<std::size_t>(hit.step)] = static_cast<float>(rimba::bench::kHitVelocity);
    return drums;
}

void startSongClock() {
    benchTime = VstTimeInfo{};
    benchTime.sampleRate = rimba::bench::kSongRate;
    benchTime.tempo = rimba::bench::kSongTempo;
    benchTime.flags = kVstTransportPlaying | kVstTempoValid;
}

// Every output channel of one instrument, a block at a time.
struct SongOutputs {
    explicit SongOutputs(VornDrums& drums)
        : buffers(static_cast<std::size_t>(drums.getAeffect()->numOutputs), std::vector<float>(kSongBlock)) {
        for (auto& buffer : buffers)
            pointers.push_back(buffer.data());
    }
    std::vector<std::vector<float>> buffers;
    std::vector<float*> pointers;
};

void renderSongBlock(VornDrums& drums, SongOutputs& out) {
    drums.processReplacing(nullptr, out.pointers.data(), kSongBlock);
    benchTime.samplePos += kSongBlock;
}

void renderSong(benchmark::State& state, Song song, bool equalisers) {
    const std::string folder = songFolder();
    if (folder.empty()) {
        state.SkipWithError("sox did not make the sounds");
        return;
    }
    startSongClock();
    auto drums = songInstrument(song, equalisers, folder);
    if (!drums) {
        state.SkipWithError("a sound does not load");
        return;
    }
    SongOutputs out(*drums);
    std::int64_t frames = 0;
    for (auto _ : state) {
        renderSongBlock(*drums, out);
        frames += kSongBlock;
        benchmark::DoNotOptimize(out.buffers[0][0]);
    }
    state.counters["realtime_x"] =
        benchmark::Counter(static_cast<double>(frames) / rimba::bench::kSongRate, benchmark::Counter::kIsRate);
}

void RenderBusySongWithEqualisers(benchmark::State& state) { renderSong(state, Song::Busy, true); }
void RenderBusySongWithoutEqualisers(benchmark::State& state) { renderSong(state, Song::Busy, false); }
void RenderGrooveSongWithEqualisers(benchmark::State& state) { renderSong(state, Song::Groove, true); }
void RenderGrooveSongWithoutEqualisers(benchmark::State& state) { renderSong(state, Song::Groove, false); }

BENCHMARK(RenderBusySongWithEqualisers)->MinTime(1.0);
BENCHMARK(RenderBusySongWithoutEqualisers)->MinTime(1.0);
BENCHMARK(RenderGrooveSongWithEqualisers)->MinTime(1.0);
BENCHMARK(RenderGrooveSongWithoutEqualisers)->MinTime(1.0);

constexpr long kSongFrames = static_cast<long>(rimba::bench::kSongSeconds) * rimba::bench::kSongRate;

double processSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Seconds of audio per CPU second for the whole song, the instrument's set-up and the reading
// of its sounds included; 0 when it cannot be played.
double songSpeed(Song song, bool equalisers, const std::string& folder) {
    const double start = processSeconds();
    startSongClock();
    auto drums = songInstrument(song, equalisers, folder);
    if (!drums)
        return 0.0;
    SongOutputs out(*drums);
    for (long done = 0; done < kSongFrames; done += kSongBlock)
        renderSongBlock(*drums, out);
    return rimba::bench::kSongSeconds / (processSeconds() - start);
}

bool h2cliInstalled() { return std::system("command -v h2cli >/dev/null 2>&1") == 0; }

// Hydrogen's command-line renderer on the same song, its whole process's CPU time (user and
// system) measured; 0 when it fails.
double h2cliSpeed(Song song, const std::string& folder) {
    const std::string name = rimba::bench::songName(song);
    const std::string songFile = folder + "/" + name + ".h2song";
    const std::string outFile = folder + "/" + name + "-h2cli.wav";
    const std::string home = "HOME=" + folder + "/h2cli-home";
    std::filesystem::create_directories(folder + "/h2cli-home");
    std::vector<std::string> words = {"h2cli", "-s", songFile, "-o", outFile, "-r", "44100", "-b", "16"};
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    // Its own home, so that it neither reads nor changes the user's Hydrogen settings.
    std::vector<std::string> environment = {home,
                                            "PATH=" + std::string(std::getenv("PATH") ? std::getenv("PATH") : "")};
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int failed = posix_spawnp(&child, "h2cli", &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        return 0.0;
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return 0.0;
    const double seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    return seconds > 0.0 ? rimba::bench::kSongSeconds / seconds : 0.0;
}

void printComparison(const char* song, const std::string& run, double h2, double off, double on) {
    char h2Text[32] = "-";
    char offText[48];
    char onText[48];
    if (h2 > 0.0)
        std::snprintf(h2Text, sizeof h2Text, "%.0fx", h2);
    std::snprintf(offText, sizeof offText, h2 > 0.0 ? "%.0fx (%.1fx h2cli)" : "%.0fx", off, off / h2);
    std::snprintf(onText, sizeof onText, h2 > 0.0 ? "%.0fx (%.1fx h2cli)" : "%.0fx", on, on / h2);
    std::printf("%-7s %4s %10s %22s %22s\n", song, run.c_str(), h2Text, offText, onText);
    std::fflush(stdout);
}

int compareWithH2cli(int runs) {
    const std::string folder = songFolder();
    if (folder.empty()) {
        std::fprintf(stderr, "render_bench: sox did not make the sounds\n");
        return 1;
    }
    const bool withH2cli = h2cliInstalled();
    std::printf("%d s songs at %d BPM, %d Hz, blocks of %d; x = seconds of audio per CPU second\n",
                rimba::bench::kSongSeconds, rimba::bench::kSongTempo, rimba::bench::kSongRate, kSongBlock);
    if (!withH2cli)
        std::printf("h2cli is not installed: RimbaDrums alone\n");
    std::printf("%-7s %4s %10s %22s %22s\n", "song", "run", "h2cli", "RimbaDrums EQ off", "RimbaDrums EQ on");
    for (Song song : {Song::Busy, Song::Groove}) {
        // The fastest of the runs on each side: on a shared machine, load only ever slows a run.
        double bestH2 = 0.0;
        double bestOff = 0.0;
        double bestOn = 0.0;
        for (int run = 1; run <= runs; ++run) {
            // One after the other, so that both meet the same load.
            const double h2 = withH2cli ? h2cliSpeed(song, folder) : 0.0;
            const double off = songSpeed(song, false, folder);
            const double on = songSpeed(song, true, folder);
            printComparison(rimba::bench::songName(song), std::to_string(run), h2, off, on);
            bestH2 = std::max(bestH2, h2);
            bestOff = std::max(bestOff, off);
            bestOn = std::max(bestOn, on);
        }
        if (runs > 1)
            printComparison(rimba::bench::songName(song), "best", bestH2, bestOff, bestOn);
    }
    return 0;
}

// Every output of a song, all equalisers on, channel after channel of each block.
std::vector<float> songRender(Song song, const std::string& folder) {
    startSongClock();
    auto drums = songInstrument(song, true, folder);
    std::vector<float> samples;
    if (!drums)
        return samples;
    SongOutputs out(*drums);
    for (long done = 0; done < kSongFrames; done += kSongBlock) {
        renderSongBlock(*drums, out);
        for (const auto& buffer : out.buffers)
            samples.insert(samples.end(), buffer.begin(), buffer.end());
    }
    return samples;
}

int saveRenders(const std::string& into) {
    const std::string folder = songFolder();
    std::filesystem::create_directories(into);
    for (Song song : {Song::Busy, Song::Groove}) {
        const std::vector<float> samples = songRender(song, folder);
        std::ofstream(into + "/" + rimba::bench::songName(song) + ".f32", std::ios::binary)
            .write(reinterpret_cast<const char*>(samples.data()),
                   static_cast<std::streamsize>(samples.size() * sizeof(float)));
    }
    return 0;
}

int compareRenders(const std::string& from) {
    const std::string folder = songFolder();
    int status = 0;
    for (Song song : {Song::Busy, Song::Groove}) {
        const std::vector<float> samples = songRender(song, folder);
        std::vector<float> saved(samples.size());
        std::ifstream file(from + "/" + rimba::bench::songName(song) + ".f32", std::ios::binary);
        file.read(reinterpret_cast<char*>(saved.data()), static_cast<std::streamsize>(saved.size() * sizeof(float)));
        if (file.gcount() != static_cast<std::streamsize>(saved.size() * sizeof(float))) {
            std::printf("%s: no render of the same length saved\n", rimba::bench::songName(song));
            status = 1;
            continue;
        }
        double greatest = 0.0;
        double peak = 0.0;
        std::size_t where = 0;
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const double difference = std::fabs(static_cast<double>(samples[i]) - saved[i]);
            if (difference > greatest) {
                greatest = difference;
                where = i;
            }
            peak = std::max(peak, std::fabs(static_cast<double>(saved[i])));
        }
        // Blocks of kSongBlock samples, channel after channel.
        const std::size_t channels = samples.size() / static_cast<std::size_t>(kSongFrames);
        const std::size_t block = where / (kSongBlock * channels);
        std::printf("%s: greatest difference on any output %.3g (%.1f dBFS) on output %zu at sample %zu; peak %.3g\n",
                    rimba::bench::songName(song), greatest, 20.0 * std::log10(std::max(greatest, 1e-30)),
                    where / kSongBlock % channels, block * kSongBlock + where % kSongBlock, peak);
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 3;
    for (int a = 1; a + 1 < argc; ++a)
        if (std::strcmp(argv[a], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[a + 1]));
    for (int a = 1; a < argc; ++a) {
        if (std::strcmp(argv[a], "--compare-h2cli") == 0)
            return compareWithH2cli(runs);
        if (std::strcmp(argv[a], "--save-renders") == 0 && a + 1 < argc)
            return saveRenders(argv[a + 1]);
        if (std::strcmp(argv[a], "--compare-renders") == 0 && a + 1 < argc)
            return compareRenders(argv[a + 1]);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
