#pragma once
// What the render loop needs of a plug-in hosted in one of the instrument's five slots (two send
// effects, two insert effects, the drum synth). The effect host implements it; the render loop
// only sees this face.
//
// Threads: processBlock, the channels and the event queue belong to the audio thread.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace rimba {

class HostedPlugin {
public:
    // The render loop never hands a slot more frames than this at once.
    static constexpr int kMaxBlockFrames = 4096;

    virtual ~HostedPlugin() = default;

    // Buffers of kMaxBlockFrames samples each; channels beyond the plug-in's count are silent.
    // An effect is always met as a stereo one: the slot writes inputs 0 and 1 and reads outputs
    // 0 and 1, whatever the plug-in declares (see CPlugin::processBlock).
    virtual float* inputChannel(int channel) = 0;
    virtual float* outputChannel(int channel) = 0;
    virtual void processBlock(int frames) = 0;
    // The outputs the plug-in declares. One without any makes no sound of its own (a meter, an
    // analyser): an insert slot then passes the master on untouched.
    virtual int outputCount() const { return 2; }
    // The frames by which the plug-in's output lags its input (its initialDelay), 0 and up.
    // User-interface thread.
    virtual std::int32_t latency() const { return 0; }

    // MIDI for a drum synth: queued during a block, delivered before its processBlock.
    virtual void queueMidi(std::int32_t deltaFrames, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) = 0;
    virtual void deliverQueuedMidi() = 0;

    virtual void setParameter(std::int32_t index, float value) = 0;
    virtual void setSampleRate(float rate) = 0;
    virtual void setBlockSize(std::int32_t frames) = 0;

    // The state the program chunk saves and restores. User-interface thread only; the audio
    // thread may be processing meanwhile, as in any 2.4 host (setChunk holds it off).
    // The bodies describe a plug-in without programs or chunks: a holder that does not
    // override them saves an empty state.
    virtual bool programsAreChunks() { return false; }
    virtual std::int32_t programCount() { return 0; }
    virtual std::int32_t parameterCount() { return 0; }
    virtual std::int32_t currentProgram() { return 0; }
    virtual void setCurrentProgram(std::int32_t) {}
    // Of the current program.
    virtual std::string programName() { return {}; }
    virtual void setProgramName(const std::string&) {}
    virtual float getParameter(std::int32_t) { return 0.0f; }
    // The plug-in's own bank chunk, for plug-ins whose programs are chunks.
    virtual std::vector<std::uint8_t> bankChunk() { return {}; }
    virtual void setBankChunk(std::span<const std::uint8_t>) {}
    // The library file the plug-in was loaded from; empty for a plug-in without one.
    virtual std::string libraryPath() { return {}; }
};

}  // namespace rimba
