#include "tests/plugin/core/CoreFixture.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test {

VstTimeInfo& coreTestTime() {
    static VstTimeInfo time{};
    return time;
}

VstIntPtr coreTestHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion)
        return kVstVersion;
    if (opcode == audioMasterGetTime)
        return reinterpret_cast<VstIntPtr>(&coreTestTime());
    return 0;
}

VstMidiEvent midiEvent(std::uint8_t status, std::uint8_t data1, std::uint8_t data2, VstInt32 deltaFrames) {
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof event;
    event.deltaFrames = deltaFrames;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(data1);
    event.midiData[2] = static_cast<char>(data2);
    return event;
}

std::unique_ptr<VornDrums> makeInstrument(int trackCount) {
    VstTimeInfo& time = coreTestTime();
    time = VstTimeInfo{};
    time.sampleRate = 44100.0;
    time.tempo = 120.0;
    time.flags = kVstTempoValid;
    return std::make_unique<VornDrums>(coreTestHost, [trackCount](InstrumentSettings& settings, bool) {
        settings.channelNumber = trackCount;
        return false;
    });
}

RenderBuffers::RenderBuffers(int channelCount, int frames)
    : channels(static_cast<std::size_t>(channelCount), std::vector<float>(static_cast<std::size_t>(frames))) {
    for (auto& channel : channels)
        channelPointers.push_back(channel.data());
}

void giveTrackSound(VornDrums& drums, int track, std::vector<std::int16_t> samples) {
    auto sound = std::make_unique<Sound>();
    sound->frameCount = static_cast<std::int32_t>(samples.size());
    sound->samples = std::move(samples);
    test::stateOf(drums).soundList.push_back(std::move(sound));
    test::stateOf(drums).voices[static_cast<std::size_t>(track)].soundIndex =
        static_cast<std::int32_t>(test::stateOf(drums).soundList.size() - 1);
    drums.recomputeBounds(track);
    drums.controlUpdate(test::stateOf(drums).voices[static_cast<std::size_t>(track)]);
}

}  // namespace rimba::test
