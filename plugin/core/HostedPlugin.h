#pragma once
// What the render loop needs of a plug-in hosted in one of the instrument's five slots (two send
// effects, two insert effects, the drum synth). The effect host implements it; the render loop
// only sees this face.
//
// Threads: processBlock, the channels and the event queue belong to the audio thread.

#include <cstdint>

namespace rimba {

class HostedPlugin {
public:
    // The render loop never hands a slot more frames than this at once.
    static constexpr int kMaxBlockFrames = 4096;

    virtual ~HostedPlugin() = default;

    // Buffers of kMaxBlockFrames samples each; channels beyond the plug-in's count are silent.
    virtual float* inputChannel(int channel) = 0;
    virtual float* outputChannel(int channel) = 0;
    virtual void processBlock(int frames) = 0;

    // MIDI for a drum synth: queued during a block, delivered before its processBlock.
    virtual void queueMidi(std::int32_t deltaFrames, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) = 0;
    virtual void deliverQueuedMidi() = 0;

    virtual void setParameter(std::int32_t index, float value) = 0;
    virtual void setSampleRate(float rate) = 0;
};

}  // namespace rimba
