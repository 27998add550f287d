// Any bytes at all as a synth preset: the reader stays inside them, and a preset it takes holds
// the values of its layout, gives a drum synth's track no value beyond that track's parameters,
// and is written back as a file the reader takes with the same name and values. Seeded with
// presets of both layouts (fuzz/corpus/synth_preset).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "plugin/synth/SynthPreset.h"

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

// A synth of 16 tracks of 40 parameters: fewer than an older preset's 68 values.
class Synth : public rimba::HostedPlugin {
public:
    float* inputChannel(int) override { return nullptr; }
    float* outputChannel(int) override { return nullptr; }
    void processBlock(int) override {}
    void queueMidi(std::int32_t, std::uint8_t, std::uint8_t, std::uint8_t) override {}
    void deliverQueuedMidi() override {}
    void setSampleRate(float) override {}
    void setBlockSize(std::int32_t) override {}
    std::int32_t parameterCount() override { return 16 * 40; }
    void setParameter(std::int32_t index, float) override {
        check(index >= lowest && index < lowest + 40);
        ++written;
    }

    std::int32_t lowest = 0;
    int written = 0;
};

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const rimba::Result<rimba::SynthPresetValues> preset = rimba::readSynthPreset(std::span(data, size));
    if (!preset) {
        check(!preset.reason().empty());
        return 0;
    }
    check(preset->values.size() == (preset->olderLayout ? 68u : 130u));
    check(preset->name.size() <= 28);
    Synth synth;
    synth.lowest = 15 * 40;
    check(rimba::applySynthPreset(synth, 15, *preset).ok());
    check(synth.written == 40);
    if (!preset->olderLayout) {
        const std::vector<std::uint8_t> again = rimba::synthPresetBytes(preset->name, preset->values);
        const rimba::Result<rimba::SynthPresetValues> reread = rimba::readSynthPreset(again);
        check(reread.ok() && !reread->olderLayout && sameBits(reread->values, preset->values));
        check(reread->name == preset->name.substr(0, 27));
    }
    return 0;
}
