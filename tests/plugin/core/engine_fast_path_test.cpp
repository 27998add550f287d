// The batched render path against the sample-by-sample one: two instruments get the same
// sounds, settings, patterns, MIDI and changes between blocks, one of them renders every sample
// the long way, and every output channel, every send input and the state left behind must be the
// same to the bit.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "tests/plugin/core/EngineFixture.h"
#include "tests/support/LentPlugins.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::engine_test {
namespace {

class ShownEditor : public AEffEditor {
public:
    bool getRect(ERect**) override { return false; }
    bool open(void*) override { return true; }
    void close() override {}
    bool isOpen() const override { return true; }
};

// An instrument whose editor is open: peaks decay per sample, meters and the step display run.
class DrumsWithEditor : public VornDrums {
public:
    using VornDrums::VornDrums;
    void showEditor() { setEditor(new ShownEditor); }
};

struct RigOptions {
    int trackCount = kDefaultTrackCount;
    bool editor = false;
    bool plugins = true;  // sends, inserts and a drum synth in their slots
};

// One instrument in a host, with fake plug-ins in its slots and a recording of every output
// channel and of what the send slots were given.
class Rig {
public:
    Rig(bool reference, const RigOptions& options) {
        const int tracks = options.trackCount;
        auto reader = [tracks](InstrumentSettings& settings, bool) {
            settings.channelNumber = tracks;
            return false;
        };
        if (options.editor) {
            auto withEditor = std::make_unique<DrumsWithEditor>(engineHost, reader);
            withEditor->showEditor();
            drums = std::move(withEditor);
        } else {
            drums = std::make_unique<VornDrums>(engineHost, reader);
        }
        drums->forceSampleBySample = reference;
        drums->getAeffect()->user = &clock;
        clock.time.sampleRate = kRate;
        clock.time.tempo = 120.0;
        clock.time.timeSigNumerator = 4;
        clock.time.timeSigDenominator = 4;
        clock.time.flags = kVstTempoValid | kVstTimeSigValid | kVstPpqPosValid | kVstTransportPlaying;
        const int channels = drums->getAeffect()->numOutputs;
        buffers.resize(static_cast<std::size_t>(channels));
        pointers.resize(static_cast<std::size_t>(channels));
        recorded.resize(static_cast<std::size_t>(channels) + 4);

        // Sends echo half their input with a short memory, inserts bend the master, the synth
        // plays a different tone on every track channel.
        for (int slot = 0; slot < 2; ++slot) {
            sends[slot].process = [this, slot](FakePlugin& plugin, int frames) {
                for (int side = 0; side < 2; ++side) {
                    auto& in = plugin.inputs[static_cast<std::size_t>(side)];
                    auto& out = plugin.outputs[static_cast<std::size_t>(side)];
                    for (int i = 0; i < frames; ++i) {
                        const float x = in[static_cast<std::size_t>(i)];
                        out[static_cast<std::size_t>(i)] = 0.5f * x + 0.25f * sendMemory[slot][side];
                        sendMemory[slot][side] = x;
                    }
                }
            };
        }
        inserts[0].process = [](FakePlugin& plugin, int frames) {
            for (int side = 0; side < 2; ++side)
                for (int i = 0; i < frames; ++i)
                    plugin.outputs[static_cast<std::size_t>(side)][static_cast<std::size_t>(i)] =
                        std::tanh(1.5f * plugin.inputs[static_cast<std::size_t>(side)][static_cast<std::size_t>(i)]);
        };
        inserts[1].process = [](FakePlugin& plugin, int frames) {
            for (int i = 0; i < frames; ++i) {
                plugin.outputs[0][static_cast<std::size_t>(i)] = plugin.inputs[1][static_cast<std::size_t>(i)];
                plugin.outputs[1][static_cast<std::size_t>(i)] = -plugin.inputs[0][static_cast<std::size_t>(i)];
            }
        };
        synth.process = [this](FakePlugin& plugin, int frames) {
            for (int t = 0; t < kTrackSlots; ++t) {
                auto& out = plugin.outputs[static_cast<std::size_t>(2 + t)];
                for (int i = 0; i < frames; ++i) {
                    const long n = synthClock + i;
                    out[static_cast<std::size_t>(i)] =
                        0.3f * static_cast<float>(std::sin(0.01 * (t + 1) * static_cast<double>(n)));
                    if (hostileSynth && t == 2 && n % 777 == 0)
                        out[static_cast<std::size_t>(i)] = std::numeric_limits<float>::quiet_NaN();
                    if (hostileSynth && t == 5 && n % 1313 == 0)
                        out[static_cast<std::size_t>(i)] = -std::numeric_limits<float>::infinity();
                }
            }
            synthClock += frames;
        };
        if (options.plugins) {
            for (int slot = 0; slot < 2; ++slot) {
                drums->placePlugin(slot, &sends[slot]);
                drums->placePlugin(2 + slot, &inserts[slot]);
            }
            drums->placePlugin(VornDrums::kSynthSlot, &synth);
        }
    }

    ~Rig() { test::takeBackLentPlugins(*drums); }

    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    VornDrums& operator*() { return *drums; }
    VornDrums* operator->() { return drums.get(); }

    void render(int frames) {
        for (std::size_t c = 0; c < buffers.size(); ++c) {
            if (buffers[c].size() < static_cast<std::size_t>(frames))
                buffers[c].resize(static_cast<std::size_t>(frames));
            // Dirty buffers: whatever a path leaves unwritten shows.
            std::fill(buffers[c].begin(), buffers[c].begin() + frames, 3.0f);
            pointers[c] = buffers[c].data();
        }
        drums->renderBlock(pointers.data(), frames);
        for (std::size_t c = 0; c < buffers.size(); ++c)
            recorded[c].insert(recorded[c].end(), buffers[c].begin(), buffers[c].begin() + frames);
        // The send inputs of the last piece of the block (all of it up to 4096 frames).
        const int last = frames - (frames - 1) / HostedPlugin::kMaxBlockFrames * HostedPlugin::kMaxBlockFrames;
        for (int slot = 0; slot < 2; ++slot)
            for (int side = 0; side < 2; ++side) {
                const auto& in = sends[slot].inputs[static_cast<std::size_t>(side)];
                recorded[buffers.size() + static_cast<std::size_t>(2 * slot + side)].insert(
                    recorded[buffers.size() + static_cast<std::size_t>(2 * slot + side)].end(), in.begin(),
                    in.begin() + last);
            }
        if (clock.time.flags & kVstTransportPlaying)
            clock.time.samplePos += frames;
    }

    std::unique_ptr<VornDrums> drums;
    HostClock clock;
    FakePlugin sends[2];
    FakePlugin inserts[2];
    FakePlugin synth;
    std::vector<std::vector<float>> recorded;
    bool hostileSynth = false;  // the synth now and then puts out a NaN or an infinity

private:
    std::vector<std::vector<float>> buffers;
    std::vector<float*> pointers;
    float sendMemory[2][2] = {};
    long synthClock = 0;
};

// The same bits, where a NaN matches any NaN: when two different NaNs meet in an addition or a
// product, which one comes out depends on the order the compiler gives the operands, in the
// sample-by-sample code as much as in the batched one. Only the NaN sources of the hostile
// scenario below produce any.
::testing::AssertionResult sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    if (a.size() != b.size())
        return ::testing::AssertionFailure() << "lengths " << a.size() << " and " << b.size();
    if (std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0)
        return ::testing::AssertionSuccess();
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0 && !(std::isnan(a[i]) && std::isnan(b[i])))
            return ::testing::AssertionFailure()
                   << "first difference at sample " << i << ": " << a[i] << " and " << b[i];
    }
    return ::testing::AssertionSuccess();
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b)); }

// Everything the audio thread carries from block to block, field by field.
void expectSameState(VornDrums& batched, VornDrums& reference) {
    for (int v = 0; v < kTrackSlots; ++v) {
        const TrackVoice& a = test::stateOf(batched).voices[static_cast<std::size_t>(v)];
        const TrackVoice& b = test::stateOf(reference).voices[static_cast<std::size_t>(v)];
        const float floatsA[] = {
            a.position,   a.levelGain,   a.gainLeft,        a.gainRight,          a.sendGain1,    a.sendGain2,
            a.send1Left,  a.send1Right,  a.send2Left,       a.send2Right,         a.rate,         a.peakLeft,
            a.peakRight,  a.declickGain, a.newVelocityGain, a.targetVelocityGain, a.velocityGain, a.startFrame,
            a.startBound, a.endBound,    a.sampleGain,      a.synthGain};
        const float floatsB[] = {
            b.position,   b.levelGain,   b.gainLeft,        b.gainRight,          b.sendGain1,    b.sendGain2,
            b.send1Left,  b.send1Right,  b.send2Left,       b.send2Right,         b.rate,         b.peakLeft,
            b.peakRight,  b.declickGain, b.newVelocityGain, b.targetVelocityGain, b.velocityGain, b.startFrame,
            b.startBound, b.endBound,    b.sampleGain,      b.synthGain};
        for (std::size_t f = 0; f < std::size(floatsA); ++f)
            EXPECT_TRUE(sameBits(floatsA[f], floatsB[f]))
                << "voice " << v << " float field " << f << ": " << floatsA[f] << " and " << floatsB[f];
        EXPECT_EQ(a.track, b.track) << v;
        EXPECT_EQ(a.gateOn, b.gateOn) << v;
        EXPECT_EQ(a.velocity, b.velocity) << v;
        EXPECT_EQ(a.rendered, b.rendered) << v;
        EXPECT_EQ(a.command, b.command) << v;
        EXPECT_EQ(a.fading, b.fading) << v;
        EXPECT_EQ(a.restartPending, b.restartPending) << v;
        EXPECT_EQ(a.noteSent, b.noteSent) << v;
    }
    auto sameBand = [](const EqBand& a, const EqBand& b) {
        bool same = std::memcmp(&a.coefficients, &b.coefficients, sizeof a.coefficients) == 0 &&
                    sameBits(a.targetMix, b.targetMix);
        for (std::size_t s = 0; s < 2; ++s) {
            const EqStage& x = a.stages[s];
            const EqStage& y = b.stages[s];
            same = same && sameBits(x.x1, y.x1) && sameBits(x.x2, y.x2) && sameBits(x.y1, y.y1) &&
                   sameBits(x.y2, y.y2) && sameBits(x.mix, y.mix);
        }
        return same;
    };
    for (int t = 0; t < kTrackSlots; ++t) {
        for (int band = 0; band < kEqBands; ++band)
            EXPECT_TRUE(
                sameBand(test::stateOf(batched).trackEq[static_cast<std::size_t>(t)][static_cast<std::size_t>(band)],
                         test::stateOf(reference).trackEq[static_cast<std::size_t>(t)][static_cast<std::size_t>(band)]))
                << "track " << t << " band " << band;
        EXPECT_TRUE(sameBits(test::stateOf(batched).trackSignal[static_cast<std::size_t>(t)],
                             test::stateOf(reference).trackSignal[static_cast<std::size_t>(t)]))
            << t;
        EXPECT_TRUE(sameBits(test::stateOf(batched).tracks.eqActive[static_cast<std::size_t>(t)],
                             test::stateOf(reference).tracks.eqActive[static_cast<std::size_t>(t)]))
            << t;
        EXPECT_TRUE(sameBits(test::stateOf(batched).tracks.pan[static_cast<std::size_t>(t)],
                             test::stateOf(reference).tracks.pan[static_cast<std::size_t>(t)]))
            << t;
    }
    for (int band = 0; band < kEqBands; ++band)
        EXPECT_TRUE(sameBand(test::stateOf(batched).masterEq[static_cast<std::size_t>(band)],
                             test::stateOf(reference).masterEq[static_cast<std::size_t>(band)]))
            << band;
    EXPECT_TRUE(sameBits(test::stateOf(batched).voiceBusGain, test::stateOf(reference).voiceBusGain));
    EXPECT_TRUE(sameBits(test::stateOf(batched).masterGain, test::stateOf(reference).masterGain));
    EXPECT_TRUE(sameBits(test::stateOf(batched).exportFadeGain, test::stateOf(reference).exportFadeGain));
    EXPECT_TRUE(sameBits(test::stateOf(batched).meterLeft, test::stateOf(reference).meterLeft));
    EXPECT_TRUE(sameBits(test::stateOf(batched).meterRight, test::stateOf(reference).meterRight));
    EXPECT_TRUE(sameBits(test::stateOf(batched).holdLeft, test::stateOf(reference).holdLeft));
    EXPECT_TRUE(sameBits(test::stateOf(batched).holdRight, test::stateOf(reference).holdRight));
    EXPECT_EQ(test::stateOf(batched).holdCountLeft, test::stateOf(reference).holdCountLeft);
    EXPECT_EQ(test::stateOf(batched).controlCounter, test::stateOf(reference).controlCounter);
    EXPECT_EQ(test::stateOf(batched).currentStep, test::stateOf(reference).currentStep);
    EXPECT_EQ(test::stateOf(batched).playingPattern, test::stateOf(reference).playingPattern);
    ASSERT_EQ(test::stateOf(batched).pendingEvents.size(), test::stateOf(reference).pendingEvents.size());
    for (std::size_t e = 0; e < test::stateOf(batched).pendingEvents.size(); ++e) {
        EXPECT_EQ(test::stateOf(batched).pendingEvents[e].countdown,
                  test::stateOf(reference).pendingEvents[e].countdown)
            << e;
        EXPECT_EQ(test::stateOf(batched).pendingEvents[e].data1, test::stateOf(reference).pendingEvents[e].data1) << e;
        EXPECT_EQ(test::stateOf(batched).pendingEvents[e].data2, test::stateOf(reference).pendingEvents[e].data2) << e;
    }
}

// A sound of random length, rate and shape; some are empty or a frame or two long.
int randomSound(VornDrums& drums, std::mt19937& random) {
    static constexpr int kLengths[] = {0, 1, 2, 3, 40, 700, 3000, 12000, 30000};
    static constexpr float kRates[] = {44100.0f, 22050.0f, 48000.0f, 96000.0f, 11025.0f};
    const int frames = kLengths[random() % std::size(kLengths)];
    std::vector<std::int16_t> samples(static_cast<std::size_t>(frames));
    const int shape = static_cast<int>(random() % 4);
    const double decay = 200.0 + static_cast<double>(random() % 5000);
    for (int i = 0; i < frames; ++i) {
        const double envelope = std::exp(-i / decay);
        double value = 0.0;
        if (shape == 0)
            value = (static_cast<double>(random() % 65535) - 32767.0) * envelope;
        else if (shape == 1)
            value = 30000.0 * envelope * std::sin(0.05 * i);
        else if (shape == 2)
            value = 12000.0;
        else
            value = (i % 97 == 0) ? 32767.0 : 0.0;  // mostly exact zeros
        samples[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(std::clamp(value, -32767.0, 32767.0));
    }
    return addSound(drums, std::move(samples), kRates[random() % std::size(kRates)]);
}

float uniform(std::mt19937& random, float low, float high) {
    return low + (high - low) * static_cast<float>(random() % 100001) / 100000.0f;
}

bool chance(std::mt19937& random, int percent) { return static_cast<int>(random() % 100) < percent; }

struct Scenario {
    unsigned seed = 1;
    int blocks = 300;
    std::vector<int> blockSizes{1,   2,   3,   5,   7,   16,  17,   31,   64,   100,
                                128, 255, 256, 257, 333, 512, 1000, 4096, 4097, 6000};
    int changePercent = 100;  // scales how often settings change between blocks
    bool hostileValues = false;
    bool sharedTracks = false;
};

// The random changes between blocks: which track, and how often, from the scenario's seed.
struct Changes {
    std::mt19937& random;
    const Scenario& scenario;
    int trackCount;

    int anyTrack() { return static_cast<int>(random() % static_cast<unsigned>(trackCount)); }
    bool often(int percent) { return chance(random, percent * scenario.changePercent / 100); }
};

void setUpTrack(VornDrums& drums, std::mt19937& random, int t) {
    TrackSettings& tracks = test::stateOf(drums).tracks;
    const auto i = static_cast<std::size_t>(t);
    assignSound(drums, t, randomSound(drums, random));
    tracks.level[i] = uniform(random, 0.0f, 1.0f);
    tracks.pan[i] = uniform(random, -0.2f, 1.2f);
    tracks.send1[i] = chance(random, 50) ? uniform(random, 0.0f, 1.0f) : 0.0f;
    tracks.send2[i] = chance(random, 40) ? uniform(random, 0.0f, 1.0f) : 0.0f;
    tracks.levelVelocity[i] = uniform(random, 0.0f, 1.0f);
    tracks.tuneVelocity[i] = chance(random, 30) ? uniform(random, -12.0f, 12.0f) : 0.0f;
    tracks.tuneRatio[i] = chance(random, 30) ? uniform(random, 0.3f, 2.5f) : 1.0f;
    tracks.oneShot[i] = chance(random, 70) ? 1.0f : 0.0f;
    tracks.reverse[i] = chance(random, 20) ? 1.0f : 0.0f;
    tracks.loop[i] = chance(random, 20) ? 1.0f : 0.0f;
    // Start points before the sound (allowed, never read) put the bounds around the idle
    // position -1.
    tracks.start[i] = chance(random, 30)   ? uniform(random, 0.0f, 0.5f)
                      : chance(random, 15) ? uniform(random, -0.05f, 0.0f)
                                           : 0.0f;
    tracks.end[i] = chance(random, 30) ? uniform(random, 0.5f, 1.3f) : 1.0f;
    tracks.choke[i] = chance(random, 25) ? 1.0f : 0.0f;
    tracks.phaseInvert[i] = chance(random, 20) ? 1.0f : 0.0f;
    tracks.eqOnSample[i] = chance(random, 50) ? 1.0f : 0.0f;
    tracks.synthRoute[i] = chance(random, 25) ? 1.0f : 0.0f;
    tracks.synthMix[i] = chance(random, 30) ? 0.0f : uniform(random, 0.0f, 1.0f);
    tracks.eqOnSynth[i] = chance(random, 30) ? 1.0f : 0.0f;
    tracks.mute[i] = chance(random, 10) ? 1.0f : 0.0f;
    if (chance(random, 20)) {
        tracks.scaleList[i] = {0, 4, 7};
        tracks.scaleListCount[i] = 3;
    }
    for (int band = 0; band < kEqBands; ++band) {
        tracks.eqGain[i][static_cast<std::size_t>(band)] = uniform(random, -0.6f, 0.6f);
        tracks.eqFreq[i][static_cast<std::size_t>(band)] = uniform(random, 0.1f, 0.9f);
        tracks.eqQ[i][static_cast<std::size_t>(band)] = uniform(random, 0.2f, 1.0f);
        drums.queueEqUpdate(t, band);
    }
    drums.recomputeBounds(t);
    drums.updateTrackGains(t);
    // Random patterns with rolls on four patterns.
    for (int p = 0; p < 4; ++p) {
        for (int s = 0; s < kMaxSteps; ++s) {
            const bool hit = std::rand() % 100 < 35;
            test::stateOf(drums).patterns[i].stepVelocity[static_cast<std::size_t>(p)][static_cast<std::size_t>(s)] =
                hit ? static_cast<float>(1 + std::rand() % 127) : 0.0f;
            test::stateOf(drums).patterns[i].stepRoll[static_cast<std::size_t>(p)][static_cast<std::size_t>(s)] =
                std::rand() % 100 < 15 ? static_cast<float>(std::rand() % 5) : 0.0f;
        }
    }
    tracks.randomMinDensity[i] = chance(random, 30) ? 1.0f : -1.0f;
    tracks.randomMaxDensity[i] = tracks.randomMinDensity[i] > 0.0f ? 4.0f : -1.0f;
    tracks.randomMaxRoll[i] = 2.0f;
}

// Patterns' lengths and chains, the sequencer's modes, the master and the effect switches.
void setUpSong(VornDrums& drums, std::mt19937& random) {
    for (int p = 0; p < 4; ++p) {
        test::stateOf(drums).patternSteps[static_cast<std::size_t>(p)] = 8 + std::rand() % 25;
        test::stateOf(drums).chainEnabled[static_cast<std::size_t>(p)] = std::rand() % 2;
    }
    test::stateOf(drums).playMode = static_cast<std::int32_t>(random() % 3);
    test::stateOf(drums).swing = static_cast<std::int32_t>(random() % 80);
    test::stateOf(drums).fillAttenuation = static_cast<std::int32_t>(random() % 128);
    test::stateOf(drums).randomAuto = chance(random, 30) ? 1 : 0;
    test::stateOf(drums).masterEqOn = chance(random, 50) ? 1.0f : 0.0f;
    for (int band = 0; band < kEqBands; ++band) {
        test::stateOf(drums).masterEqGain[static_cast<std::size_t>(band)] = uniform(random, -0.5f, 0.5f);
        drums.queueEqUpdate(FilterUpdate::kMasterTarget, band);
    }
    test::stateOf(drums).settings.masterLevel = static_cast<float>(random() % 128);
    for (int slot = 0; slot < kEffectSlots; ++slot)
        test::stateOf(drums).effectEnabled[static_cast<std::size_t>(slot)] = chance(random, 60) ? 1 : 0;
}

// Settings no editor would produce: gains that overflow, a pan and a mix that are not numbers, an
// infinite level, a negative peak; and a synth whose output is not always a number.
void makeHostile(Rig& rig) {
    VornDrums& drums = *rig;
    TrackSettings& tracks = test::stateOf(drums).tracks;
    rig.hostileSynth = true;
    tracks.synthRoute[5] = 1.0f;
    tracks.synthMix[5] = 0.5f;
    tracks.level[0] = 20.0f;
    drums.updateTrackGains(0);
    tracks.pan[1] = std::numeric_limits<float>::quiet_NaN();
    tracks.synthRoute[2] = 1.0f;
    tracks.synthMix[2] = std::numeric_limits<float>::quiet_NaN();
    tracks.send1[3] = 30.0f;
    drums.updateTrackGains(3);
    test::stateOf(drums).voices[4].peakLeft = -1.0f;
    tracks.level[6] = std::numeric_limits<float>::infinity();  // silence times infinity is NaN
    drums.updateTrackGains(6);
    test::stateOf(drums).voices[5].velocityGain = std::numeric_limits<float>::infinity();
}

// MIDI notes and all-notes-off, and the host's clock.
void changeNotesAndClock(Rig& rig, Changes& change, int frames) {
    VornDrums& drums = *rig;
    if (change.often(30)) {
        const int notes = 1 + static_cast<int>(change.random() % 4);
        for (int k = 0; k < notes; ++k) {
            const int t = change.anyTrack();
            const auto key =
                static_cast<std::uint8_t>(test::stateOf(drums).settings.trackKey[static_cast<std::size_t>(t)]);
            const bool on = chance(change.random, 70);
            sendMidi(drums, on ? 0x90 : 0x80, key, static_cast<std::uint8_t>(on ? 1 + change.random() % 127 : 0),
                     static_cast<std::int32_t>(change.random() % static_cast<unsigned>(frames + 50)));
        }
    }
    if (change.often(2))
        sendMidi(drums, 0xB0, 123, 0, static_cast<std::int32_t>(change.random() % static_cast<unsigned>(frames)));
    if (change.often(4))
        rig.clock.time.flags ^= kVstTransportPlaying;
    if (change.often(3))
        rig.clock.time.samplePos = static_cast<double>(change.random() % 400000);
    if (change.often(3))
        rig.clock.time.tempo = 60.0 + static_cast<double>(change.random() % 140);
}

// Gains, solo, the equalisers' switches and bands.
void changeMix(VornDrums& drums, Changes& change) {
    TrackSettings& tracks = test::stateOf(drums).tracks;
    if (change.often(10)) {
        const int t = change.anyTrack();
        const auto i = static_cast<std::size_t>(t);
        switch (change.random() % 5) {
            case 0: tracks.pan[i] = uniform(change.random, 0.0f, 1.0f); break;
            case 1: tracks.level[i] = uniform(change.random, 0.0f, 1.0f); break;
            case 2: tracks.send1[i] = uniform(change.random, 0.0f, 1.0f); break;
            case 3: tracks.send2[i] = uniform(change.random, 0.0f, 1.0f); break;
            default: tracks.mute[i] = tracks.mute[i] != 0.0f ? 0.0f : 1.0f; break;
        }
        drums.updateTrackGains(t);
    }
    if (change.often(5)) {
        test::stateOf(drums).soloSelected = chance(change.random, 50) ? 1 : 0;
        test::stateOf(drums).selectedTrack = change.anyTrack();
    }
    if (change.often(8)) {
        const auto i = static_cast<std::size_t>(change.anyTrack());
        if (chance(change.random, 50))
            tracks.eqOnSample[i] = tracks.eqOnSample[i] != 0.0f ? 0.0f : 1.0f;
        else
            tracks.eqOnSynth[i] = tracks.eqOnSynth[i] != 0.0f ? 0.0f : 1.0f;
    }
    if (change.often(5))
        test::stateOf(drums).masterEqOn = test::stateOf(drums).masterEqOn != 0.0f ? 0.0f : 1.0f;
    if (change.often(8)) {
        const int band = static_cast<int>(change.random() % kEqBands);
        if (chance(change.random, 25)) {
            test::stateOf(drums).masterEqGain[static_cast<std::size_t>(band)] = uniform(change.random, -0.5f, 0.5f);
            drums.queueEqUpdate(FilterUpdate::kMasterTarget, band);
        } else {
            const int t = change.anyTrack();
            tracks.eqGain[static_cast<std::size_t>(t)][static_cast<std::size_t>(band)] =
                uniform(change.random, -0.6f, 0.6f);
            drums.queueEqUpdate(t, band);
        }
    }
}

// Voice modes and bounds, auditions, the synth route, tuning, levels and voices being loaded.
void changeVoices(VornDrums& drums, Changes& change) {
    TrackSettings& tracks = test::stateOf(drums).tracks;
    if (change.often(5)) {
        const int t = change.anyTrack();
        const auto i = static_cast<std::size_t>(t);
        switch (change.random() % 4) {
            case 0: tracks.oneShot[i] = tracks.oneShot[i] != 0.0f ? 0.0f : 1.0f; break;
            case 1: tracks.reverse[i] = tracks.reverse[i] != 0.0f ? 0.0f : 1.0f; break;
            case 2: tracks.loop[i] = tracks.loop[i] != 0.0f ? 0.0f : 1.0f; break;
            default:
                tracks.start[i] = uniform(change.random, 0.0f, 0.5f);
                tracks.end[i] = uniform(change.random, 0.4f, 1.2f);
                drums.recomputeBounds(t);
                break;
        }
    }
    if (change.often(5)) {
        const int t = change.anyTrack();
        if (chance(change.random, 70))
            drums.auditionStart(t, static_cast<int>(1 + change.random() % 127), true);
        else
            drums.auditionStop(t, true);
    }
    if (change.often(3)) {
        const auto i = static_cast<std::size_t>(change.anyTrack());
        tracks.synthRoute[i] = tracks.synthRoute[i] != 0.0f ? 0.0f : 1.0f;
        tracks.synthMix[i] = chance(change.random, 30) ? 0.0f : uniform(change.random, 0.0f, 1.0f);
    }
    if (change.often(3)) {
        const auto slot = static_cast<std::size_t>(change.random() % kEffectSlots);
        test::stateOf(drums).effectEnabled[slot] = test::stateOf(drums).effectEnabled[slot] != 0 ? 0 : 1;
    }
    if (change.often(2)) {
        const auto i = static_cast<std::size_t>(change.anyTrack());
        tracks.tuneVelocity[i] = uniform(change.random, -12.0f, 12.0f);
        tracks.tuneRatio[i] = uniform(change.random, 0.5f, 2.0f);
        tracks.phaseInvert[i] = tracks.phaseInvert[i] != 0.0f ? 0.0f : 1.0f;
    }
    if (change.often(2))
        test::stateOf(drums).settings.masterLevel = static_cast<float>(change.random() % 128);
    if (change.often(2))
        test::stateOf(drums).voiceBusGain = 0.0f;
    if (change.often(2)) {
        TrackVoice& voice = test::stateOf(drums).voices[static_cast<std::size_t>(change.anyTrack())];
        voice.loading = voice.loading != 0 ? 0 : 1;
    }
}

// The audio export's clock and voices that stray from their tracks.
void changeExportAndSharing(VornDrums& drums, Changes& change) {
    if (change.often(2)) {
        // The audio export's clock, with and without its closing fade.
        test::stateOf(drums).offlineRender.store(1);
        test::stateOf(drums).exportRemaining = chance(change.random, 50) ? 1500 : 100000;
        test::stateOf(drums).exportFadeGain = 1.0f;
    } else if (test::stateOf(drums).offlineRender.load() != 0 && change.often(20)) {
        test::stateOf(drums).offlineRender.store(0);
    }
    if (change.scenario.sharedTracks && change.often(6)) {
        // Voices that point at another voice's track or at none for a while, then back.
        if (chance(change.random, 50)) {
            for (int v = 0; v < kTrackSlots; ++v)
                test::stateOf(drums).voices[static_cast<std::size_t>(v)].track = v;
        } else {
            test::stateOf(drums).voices[static_cast<std::size_t>(change.anyTrack())].track =
                chance(change.random, 50) ? change.anyTrack() : 14;
        }
    }
}

// Sets the instrument up and drives it block by block; everything random comes from `seed`, so
// two instruments given the same scenario get the same material.
void play(Rig& rig, const Scenario& scenario) {
    VornDrums& drums = *rig;
    std::mt19937 random(scenario.seed);
    std::srand(scenario.seed);
    for (int t = 0; t < test::stateOf(drums).trackCount; ++t)
        setUpTrack(drums, random, t);
    setUpSong(drums, random);
    if (scenario.hostileValues)
        makeHostile(rig);
    Changes change{random, scenario, test::stateOf(drums).trackCount};
    for (int block = 0; block < scenario.blocks; ++block) {
        const int frames = scenario.blockSizes[random() % scenario.blockSizes.size()];
        changeNotesAndClock(rig, change, frames);
        changeMix(drums, change);
        changeVoices(drums, change);
        changeExportAndSharing(drums, change);
        rig.render(frames);
    }
}

// Renders the scenario through both paths and compares everything.
void expectSameThroughBothPaths(const Scenario& scenario, const RigOptions& options = {}, int batchedPercent = 25) {
    Rig batched(false, options);
    Rig reference(true, options);
    play(batched, scenario);
    play(reference, scenario);
    ASSERT_EQ(batched.recorded.size(), reference.recorded.size());
    for (std::size_t c = 0; c < batched.recorded.size(); ++c)
        EXPECT_TRUE(sameBits(batched.recorded[c], reference.recorded[c]))
            << "seed " << scenario.seed << " channel " << c;
    expectSameState(*batched, *reference);
    // The comparison means something only if batches ran in the one and not in the other.
    EXPECT_EQ(reference->batchedFrames, 0);
    EXPECT_GT(batched->batchedFrames, static_cast<std::int64_t>(batched.recorded[0].size()) * batchedPercent / 100)
        << "seed " << scenario.seed;
}

TEST(BatchedRendering, BusyRandomSongsComeOutTheSameAsSampleBySample) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        Scenario scenario;
        scenario.seed = seed;
        expectSameThroughBothPaths(scenario);
    }
}

TEST(BatchedRendering, EightTracksComeOutTheSame) {
    Scenario scenario;
    scenario.seed = 21;
    expectSameThroughBothPaths(scenario, {.trackCount = kSmallTrackCount});
}

TEST(BatchedRendering, LongQuietStretchesComeOutTheSame) {
    // Few changes and long blocks: the batches run for hundreds of samples, the wet shares and
    // the gains settle inside them.
    Scenario scenario;
    scenario.seed = 33;
    scenario.blocks = 120;
    scenario.blockSizes = {256, 1024, 4096};
    scenario.changePercent = 15;
    expectSameThroughBothPaths(scenario);
}

TEST(BatchedRendering, AnOpenEditorWithDecayingPeaksComesOutTheSame) {
    Scenario scenario;
    scenario.seed = 44;
    expectSameThroughBothPaths(scenario, {.editor = true});
}

TEST(BatchedRendering, EmptySlotsComeOutTheSame) {
    Scenario scenario;
    scenario.seed = 55;
    expectSameThroughBothPaths(scenario, {.plugins = false});
}

TEST(BatchedRendering, SettingsNoEditorWouldMakeComeOutTheSame) {
    for (unsigned seed = 61; seed <= 63; ++seed) {
        Scenario scenario;
        scenario.seed = seed;
        scenario.hostileValues = true;
        expectSameThroughBothPaths(scenario);
    }
}

TEST(BatchedRendering, VoicesThatShareATrackOrHaveNoneComeOutTheSame) {
    Scenario scenario;
    scenario.seed = 71;
    scenario.sharedTracks = true;
    // Shared tracks go the long way; the stretches where every voice has its own still batch.
    expectSameThroughBothPaths(scenario, {}, 5);
}

TEST(BatchedRendering, TheRunUpOfANewInstanceComesOutTheSame) {
    // From construction on: the bus gain, the wet shares and the master gain all still move.
    Scenario scenario;
    scenario.seed = 81;
    scenario.blocks = 40;
    scenario.blockSizes = {4096};
    scenario.changePercent = 0;
    expectSameThroughBothPaths(scenario);
}

// Start and end points at and beyond the ends of the sound, fractional rates, both directions:
// the frames next to the edges are read, or not, alike.
// `ownRate`: every sound at the instrument's rate, so the voices step through whole frames.
void playAtTheEdges(Rig& rig, const std::vector<int>& blockSizes, bool ownRate) {
    VornDrums& drums = *rig;
    constexpr int kFrames = 1000;
    struct Edge {
        float start;
        float end;
        float rate;
        bool reverse;
        bool loop;
        bool oneShot;
    };
    // Tracks 0 to 3 play forwards without a loop, so that they can share one lane group.
    const Edge edges[] = {
        {0.0f, (kFrames + 2.5f) / kFrames, 44100.0f, false, false, true},
        {0.0f, (kFrames + 3.0f) / kFrames, 60417.0f, false, false, true},
        {0.9f, 2.0f, 52000.0f, false, false, true},
        {-0.002f, (kFrames + 3.9f) / kFrames, 44100.0f, false, false, false},
        {-0.01f, 0.3f, 40000.0f, true, false, true},
        {-0.002f, 1.0f, 44100.0f, true, true, false},
        {0.5f, 1.004f, 90000.0f, true, false, false},
        {0.25f, 0.2502f, 44100.0f, false, true, false},
        {0.0f, (kFrames + 2.0f) / kFrames, 33000.0f, false, true, false},
    };
    int track = 0;
    for (const Edge& edge : edges) {
        const auto t = static_cast<std::size_t>(track);
        std::vector<std::int16_t> ramp(static_cast<std::size_t>(kFrames));
        for (int i = 0; i < kFrames; ++i)
            ramp[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(30 * i - 15000);
        assignSound(drums, track, addSound(drums, std::move(ramp), ownRate ? 44100.0f : edge.rate));
        test::stateOf(drums).tracks.start[t] = edge.start;
        test::stateOf(drums).tracks.end[t] = edge.end;
        test::stateOf(drums).tracks.reverse[t] = edge.reverse ? 1.0f : 0.0f;
        test::stateOf(drums).tracks.loop[t] = edge.loop ? 1.0f : 0.0f;
        test::stateOf(drums).tracks.oneShot[t] = edge.oneShot ? 1.0f : 0.0f;
        test::stateOf(drums).tracks.levelVelocity[t] = 0.0f;
        drums.recomputeBounds(track);
        ++track;
    }
    rig.clock.time.flags &= ~kVstTransportPlaying;
    for (int block = 0; block < 120; ++block) {
        if (block % 15 == 0)
            for (int t = 0; t < track; ++t)
                drums.auditionStart(t, 100, false);
        if (block % 15 == 9)
            drums.auditionStop(block % track, false);
        rig.render(blockSizes[static_cast<std::size_t>(block) % blockSizes.size()]);
    }
}

TEST(BatchedRendering, TheEdgesOfTheSoundReadTheSame) {
    // Different block sizes end the batches at different distances from the edges.
    const std::vector<std::vector<int>> patterns{{61, 100}, {8, 13}, {8, 9, 10}, {256}, {37, 64, 9}, {17}, {9, 11}};
    for (const bool ownRate : {false, true}) {
        for (const std::vector<int>& blockSizes : patterns) {
            Rig batched(false, {.plugins = false});
            Rig reference(true, {.plugins = false});
            playAtTheEdges(batched, blockSizes, ownRate);
            playAtTheEdges(reference, blockSizes, ownRate);
            for (std::size_t c = 0; c < batched.recorded.size(); ++c)
                EXPECT_TRUE(sameBits(batched.recorded[c], reference.recorded[c]))
                    << "channel " << c << ", first block " << blockSizes.front() << ", own rate " << ownRate;
            expectSameState(*batched, *reference);
            EXPECT_GT(batched->batchedFrames, static_cast<std::int64_t>(batched.recorded[0].size() / 3))
                << "first block " << blockSizes.front();
        }
    }
}

// A sparse song with every track's equaliser on: six tracks hit once a bar, the other six never,
// so that most tracks rest most of the time. At `changeBlock` a track that never plays gets a
// new equaliser gain. Returns how many track blocks ended at rest.
int playSparseEqualisedSong(Rig& rig, const std::vector<int>& blockSizes, int blocks, int changeBlock) {
    VornDrums& drums = *rig;
    test::stateOf(drums).patternSteps[0] = 16;
    for (int t = 0; t < test::stateOf(drums).trackCount; ++t) {
        const auto i = static_cast<std::size_t>(t);
        std::vector<std::int16_t> hit(2500);
        for (std::size_t k = 0; k < hit.size(); ++k)
            hit[k] = static_cast<std::int16_t>(20000.0 * std::exp(-static_cast<double>(k) / 400.0) *
                                               std::cos(0.05 * (t + 1) * static_cast<double>(k)));
        assignSound(drums, t, addSound(drums, std::move(hit)));
        test::stateOf(drums).tracks.eqOnSample[i] = 1.0f;
        test::stateOf(drums).tracks.eqGain[i] = {0.2f - 0.05f * static_cast<float>(t % 3), -0.1f, 0.15f};
        test::stateOf(drums).tracks.pan[i] = 0.1f + 0.07f * static_cast<float>(t);
        test::stateOf(drums).tracks.send1[i] = t % 2 == 0 ? 0.6f : 0.0f;
        test::stateOf(drums).tracks.mute[i] = t == 4 ? 1.0f : 0.0f;
        test::stateOf(drums).tracks.oneShot[i] = t % 3 == 0 ? 0.0f : 1.0f;
        for (int band = 0; band < kEqBands; ++band)
            drums.queueEqUpdate(t, band);
        drums.updateTrackGains(t);
        test::stateOf(drums).patterns[i].stepVelocity[0].fill(0.0f);
        if (t < 6)
            test::stateOf(drums).patterns[i].stepVelocity[0][static_cast<std::size_t>((5 * t) % 16)] =
                90.0f + static_cast<float>(t);
    }
    // One block with the transport stopped takes the queued equaliser settings in (they are
    // applied at the end of a block, whatever its length); the song starts after it.
    rig.clock.time.flags &= ~kVstTransportPlaying;
    rig.render(64);
    rig.clock.time.flags |= kVstTransportPlaying;
    for (auto& channel : rig.recorded)
        channel.clear();
    int resting = 0;
    for (int block = 0; block < blocks; ++block) {
        if (block == changeBlock) {
            test::stateOf(drums).tracks.eqGain[9] = {0.75f, 0.0f, 0.0f};
            for (int band = 0; band < kEqBands; ++band)
                drums.queueEqUpdate(9, band);
        }
        rig.render(blockSizes[static_cast<std::size_t>(block) % blockSizes.size()]);
        for (int t = 0; t < test::stateOf(drums).trackCount; ++t)
            resting += test::stateOf(drums).trackRest[static_cast<std::size_t>(t)].resting ? 1 : 0;
    }
    return resting;
}

// Whether a step of the song starts on the first sample of a block, where the countdown rule
// plays it a sample later than inside a block (engine_block_test.cpp).
bool stepStartsABlock(const std::vector<int>& blockSizes, long total) {
    long at = 0;
    for (std::size_t block = 0; at < total; ++block) {
        at += blockSizes[block % blockSizes.size()];
        const double step = std::ceil(static_cast<double>(at) / 5512.5);
        if (static_cast<long>(step * 5512.5) == at)
            return true;
    }
    return false;
}

TEST(RestingTracks, ComeOutTheSameThroughBothPathsAndInEveryBlockSize) {
    constexpr int kSamples = 4 * 88200;  // four bars
    Rig reference(true, {});
    const int referenceRests = playSparseEqualisedSong(reference, {512}, kSamples / 512, -1);
    EXPECT_GT(referenceRests, 0);
    const std::vector<std::vector<int>> patterns{{256}, {4096}, {333, 1000, 7}, {9, 250}, {37}};
    for (const std::vector<int>& blockSizes : patterns) {
        ASSERT_FALSE(stepStartsABlock(blockSizes, kSamples)) << "first block " << blockSizes.front();
        Rig batched(false, {});
        long total = 0;
        int blocks = 0;
        for (; total < kSamples; ++blocks)
            total += blockSizes[static_cast<std::size_t>(blocks) % blockSizes.size()];
        const int rests = playSparseEqualisedSong(batched, blockSizes, blocks, -1);
        EXPECT_GT(rests, 0) << "first block " << blockSizes.front();
        // The host's outputs; the send inputs are recorded block by block (Rig::render).
        for (std::size_t c = 0; c + 4 < batched.recorded.size(); ++c) {
            std::vector<float> head(batched.recorded[c].begin(),
                                    batched.recorded[c].begin() + static_cast<long>(kSamples / 2));
            std::vector<float> referenceHead(reference.recorded[c].begin(),
                                             reference.recorded[c].begin() + static_cast<long>(kSamples / 2));
            EXPECT_TRUE(sameBits(head, referenceHead)) << "channel " << c << ", first block " << blockSizes.front();
        }
    }
}

TEST(RestingTracks, ChangeNoSampleOfTheRender) {
    // Resting tracks play their equaliser's orbit and wake on the sample of a hit, or before a new
    // equaliser setting (block 700, on a track that never plays), with the state it would have.
    constexpr int kBlocks = 4 * 88200 / 256;
    for (const bool reference : {false, true}) {
        Rig resting(reference, {});
        Rig awake(reference, {});
        test::stateOf(*awake).restsOff = true;
        EXPECT_GT(playSparseEqualisedSong(resting, {256}, kBlocks, 700), 0);
        EXPECT_EQ(playSparseEqualisedSong(awake, {256}, kBlocks, 700), 0);
        for (std::size_t c = 0; c < resting.recorded.size(); ++c)
            EXPECT_TRUE(sameBits(resting.recorded[c], awake.recorded[c]))
                << "channel " << c << ", sample by sample " << reference;
    }
}

TEST(PendingList, CountsDownWithoutFiringAndFindsTheSoonestEvent) {
    PendingList list;
    list.append({.countdown = 40, .status = 0x90});
    list.append({.countdown = 7, .status = 0x80});
    list.append({.countdown = 19, .status = 0x90});
    EXPECT_EQ(list.soonestCountdown(), 7);
    list.countDownWithoutFiring(6);
    EXPECT_EQ(list[0].countdown, 34);
    EXPECT_EQ(list[1].countdown, 1);
    EXPECT_EQ(list[2].countdown, 13);
    EXPECT_EQ(list.soonestCountdown(), 1);
}

}  // namespace
}  // namespace rimba::engine_test
