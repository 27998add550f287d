#include "common/vst/StandaloneLink.h"
#include "tests/plugin/core/EngineFixture.h"

#include <algorithm>
#include <cstring>

#include "tests/plugin/core/CoreFixture.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::engine_test {

VstIntPtr engineHost(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion)
        return kVstVersion;
    if (effect == nullptr || effect->user == nullptr)
        return 0;
    HostClock* clock = static_cast<HostClock*>(effect->user);
    if (opcode == audioMasterGetTime)
        return clock->answers ? reinterpret_cast<VstIntPtr>(&clock->time) : 0;
    if (opcode == audioMasterIOChanged)
        clock->ioChanges.fetch_add(1);
    return 0;
}

namespace {

// The standalone host identifies itself by its version answer; otherwise it is the same host.
VstIntPtr standaloneHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (opcode == audioMasterVersion)
        return kStandaloneHostSignature;
    return engineHost(effect, opcode, index, value, ptr, opt);
}

}  // namespace

Engine::Engine(int trackCount, bool standaloneHost_) {
    drums = std::make_unique<VornDrums>(standaloneHost_ ? standaloneHost : engineHost,
                                        [trackCount](InstrumentSettings& settings, bool) {
                                            settings.channelNumber = trackCount;
                                            return false;
                                        });
    drums->getAeffect()->user = &clock;
    clock.time.sampleRate = kRate;
    clock.time.tempo = 120.0;
    clock.time.timeSigNumerator = 4;
    clock.time.timeSigDenominator = 4;
    clock.time.flags = kVstTempoValid | kVstTimeSigValid | kVstPpqPosValid;
    const int channels = drums->getAeffect()->numOutputs;
    buffers.resize(static_cast<std::size_t>(channels));
    pointers.resize(static_cast<std::size_t>(channels));
    recorded.resize(static_cast<std::size_t>(channels));
    prepare(4096);
}

void Engine::play(double samplePos) {
    clock.time.samplePos = samplePos;
    clock.time.flags |= kVstTransportPlaying;
}

void Engine::stop() { clock.time.flags &= ~kVstTransportPlaying; }

void Engine::prepare(int frames) {
    for (std::size_t c = 0; c < buffers.size(); ++c) {
        if (buffers[c].size() < static_cast<std::size_t>(frames))
            buffers[c].resize(static_cast<std::size_t>(frames));
        pointers[c] = buffers[c].data();
    }
}

void Engine::renderUnrecorded(int frames) {
    drums->renderBlock(pointers.data(), frames);
    if (clock.time.flags & kVstTransportPlaying)
        clock.time.samplePos += frames;
}

void Engine::render(int frames) {
    prepare(frames);
    renderUnrecorded(frames);
    for (std::size_t c = 0; c < buffers.size(); ++c)
        recorded[c].insert(recorded[c].end(), buffers[c].begin(), buffers[c].begin() + frames);
}

void Engine::renderInBlocks(long total, int blockSize) {
    for (long done = 0; done < total; done += blockSize)
        render(static_cast<int>(std::min<long>(blockSize, total - done)));
}

void Engine::clearRecording() {
    for (auto& channelRecord : recorded)
        channelRecord.clear();
}

int addSound(VornDrums& drums, std::vector<std::int16_t> samples, float sampleRate) {
    auto sound = std::make_unique<Sound>();
    const std::string name = "memory:" + std::to_string(test::stateOf(drums).soundList.size());
    std::memcpy(sound->path.data(), name.data(), name.size());
    sound->frameCount = static_cast<std::int32_t>(samples.size());
    sound->samples = std::move(samples);
    sound->sampleRate = sampleRate;
    test::stateOf(drums).soundList.push_back(std::move(sound));
    return static_cast<int>(test::stateOf(drums).soundList.size() - 1);
}

void assignSound(VornDrums& drums, int track, int index) {
    TrackVoice& voice = test::stateOf(drums).voices[static_cast<std::size_t>(track)];
    voice.soundIndex = index;
    drums.recomputeBounds(track);
    voice.position = -1.0f;
    drums.controlUpdate(voice);
}

std::vector<std::int16_t> constantSamples(int frames, std::int16_t value) {
    return std::vector<std::int16_t>(static_cast<std::size_t>(frames), value);
}

std::vector<std::int16_t> rampSamples(int frames, int slope) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(frames));
    for (int n = 0; n < frames; ++n)
        samples[static_cast<std::size_t>(n)] = static_cast<std::int16_t>(n * slope);
    return samples;
}

void makeProbeTrack(VornDrums& drums, int track, int frames, std::int16_t value) {
    const auto t = static_cast<std::size_t>(track);
    test::stateOf(drums).tracks.levelVelocity[t] = 0.0f;  // every velocity gives gain 1
    assignSound(drums, track, addSound(drums, constantSamples(frames, value)));
    TrackVoice& voice = test::stateOf(drums).voices[t];
    voice.velocityGain = 1.0f;
    voice.targetVelocityGain = 1.0f;
    // A voice that has played its sound to the end: a start restarts it at once (an idle voice
    // at -1 would count as sounding and fade first), and it renders nothing meanwhile.
    voice.position = static_cast<float>(frames);
    voice.gateOn = 0;
    voice.fading = 0;
    voice.restartPending = 0;
}

std::vector<long> onsets(const std::vector<float>& channel) {
    std::vector<long> found;
    for (std::size_t i = 0; i < channel.size(); ++i)
        if (channel[i] != 0.0f && (i == 0 || channel[i - 1] == 0.0f))
            found.push_back(static_cast<long>(i));
    return found;
}

void sendMidi(VornDrums& drums, std::uint8_t status, std::uint8_t data1, std::uint8_t data2, std::int32_t deltaFrames) {
    VstMidiEvent note = test::midiEvent(status, data1, data2, deltaFrames);
    VstEvents events{1, 0, {reinterpret_cast<VstEvent*>(&note), nullptr}};
    drums.processEvents(&events);
}

FakePlugin::FakePlugin() {
    for (auto& channel : inputs)
        channel.assign(static_cast<std::size_t>(kMaxBlockFrames), 0.0f);
    for (auto& channel : outputs)
        channel.assign(static_cast<std::size_t>(kMaxBlockFrames), 0.0f);
    queued.reserve(4096);
    delivered.reserve(1 << 16);
    parameters.reserve(256);
}

void FakePlugin::processBlock(int frames) {
    ++processCalls;
    lastFrames = frames;
    if (process)
        process(*this, frames);
}

void FakePlugin::queueMidi(std::int32_t deltaFrames, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    queued.push_back({deltaFrames, status, data1, data2});
}

void FakePlugin::deliverQueuedMidi() {
    ++deliveries;
    delivered.insert(delivered.end(), queued.begin(), queued.end());
    queued.clear();
}

void FakePlugin::setParameter(std::int32_t index, float value) { parameters.emplace_back(index, value); }

}  // namespace rimba::engine_test
