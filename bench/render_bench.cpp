// How fast the instrument renders a busy pattern: seconds of audio per second of CPU
// ("realtime_x"), with and without the equalisers, at several block sizes.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "plugin/core/VornDrums.h"

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

// `tuned`: the velocity bends each track's pitch, so no voice plays at the sound's own rate.
std::unique_ptr<VornDrums> busyInstrument(bool equalisers, bool tuned = false) {
    auto drums = std::make_unique<VornDrums>(benchHost, [](rimba::InstrumentSettings&, bool) { return false; });
    drums->swing = 40;
    for (int t = 0; t < drums->trackCount; ++t) {
        const auto i = static_cast<std::size_t>(t);
        drums->soundList.push_back(drumSound(t));
        drums->voices[i].soundIndex = t;
        drums->recomputeBounds(t);
        drums->tracks.pan[i] = 0.2f + 0.05f * t;
        drums->tracks.send1[i] = 0.3f;
        drums->tracks.oneShot[i] = t % 3 == 0 ? 0.0f : 1.0f;
        if (tuned)
            drums->tracks.tuneVelocity[i] = 1.5f + 0.25f * static_cast<float>(t);
        for (int s = 0; s < 16; ++s) {
            drums->patterns[i].stepVelocity[0][static_cast<std::size_t>(s)] = ((s + t) % 2 == 0) ? 100.0f : 0.0f;
            drums->patterns[i].stepRoll[0][static_cast<std::size_t>(s)] = (s % 4 == 3) ? 2.0f : 0.0f;
        }
        if (equalisers) {
            drums->tracks.eqOnSample[i] = 1.0f;
            drums->tracks.eqGain[i] = {0.2f, -0.1f, 0.15f};
            for (int band = 0; band < rimba::kEqBands; ++band)
                drums->queueEqUpdate(t, band);
        }
        drums->updateTrackGains(t);
    }
    if (equalisers) {
        drums->masterEqOn = 1.0f;
        drums->masterEqGain = {0.1f, 0.1f, -0.1f};
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
    state.counters["realtime_x"] = benchmark::Counter(static_cast<double>(frames) / 44100.0, benchmark::Counter::kIsRate);
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

}  // namespace
