// Any bytes at all as a bank image and as a preset image of a hosted plug-in, given to a small
// plug-in of this file's own, once with regular programs and once with program chunks: no call
// ever names a program or parameter the plug-in does not have, a chunk handed over lies inside
// the image, and a refused image makes no call at all and changes nothing. Seeded with images of
// each kind for this plug-in (fuzz/corpus/effect_image).
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "plugin/effects/EffectImages.h"

namespace {

// The seeds are made for these (tests/plugin/files/fuzz_corpus_test.cpp).
constexpr VstInt32 kId = fourCharCode('F', 'u', 'z', 'z');
constexpr int kPrograms = 3;
constexpr int kParameters = 4;

struct Plugin {
    AEffect effect{};
    std::array<std::array<float, kParameters>, kPrograms> values{};
    std::array<std::array<char, 256>, kPrograms> names{};
    VstIntPtr current = 0;
    int calls = 0;
    std::span<const std::uint8_t> image;
    std::array<std::uint8_t, 8> chunk{1, 2, 3, 4, 5, 6, 7, 8};
};

Plugin& of(AEffect* effect) { return *static_cast<Plugin*>(effect->object); }

void check(bool condition) {
    if (!condition)
        std::abort();
}

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float) {
    Plugin& plugin = of(effect);
    ++plugin.calls;
    const auto program = static_cast<std::size_t>(plugin.current);
    switch (opcode) {
        case effSetProgram:
            check(value >= 0 && value < kPrograms);
            plugin.current = value;
            return 0;
        case effGetProgram: return plugin.current;
        case effSetProgramName: {
            // The name handed over is a zero-terminated text within the buffer we were promised.
            const char* name = static_cast<const char*>(ptr);
            const std::size_t length = strnlen(name, 256);
            check(length < 256);
            std::memcpy(plugin.names[program].data(), name, length + 1);
            return 0;
        }
        case effGetProgramName: std::memcpy(ptr, plugin.names[program].data(), 256); return 0;
        case effGetChunk:
            *static_cast<void**>(ptr) = plugin.chunk.data();
            return static_cast<VstIntPtr>(plugin.chunk.size());
        case effSetChunk: {
            check((effect->flags & effFlagsProgramChunks) != 0 && (index == 0 || index == 1));
            check(value > 0 && static_cast<std::size_t>(value) <= plugin.image.size());
            // Every byte of the chunk is read, so a chunk beyond the copy is caught.
            const auto* bytes = static_cast<const std::uint8_t*>(ptr);
            std::uint8_t sum = 0;
            for (VstIntPtr i = 0; i < value; ++i)
                sum = static_cast<std::uint8_t>(sum + bytes[i]);
            plugin.chunk[0] = sum;
            return 1;
        }
        case effBeginSetProgram:
        case effEndSetProgram: check((effect->flags & effFlagsProgramChunks) != 0); return 0;
        default: return 0;
    }
}

void setParameter(AEffect* effect, VstInt32 index, float value) {
    Plugin& plugin = of(effect);
    ++plugin.calls;
    check(index >= 0 && index < kParameters);
    plugin.values[static_cast<std::size_t>(plugin.current)][static_cast<std::size_t>(index)] = value;
}

float getParameter(AEffect* effect, VstInt32 index) {
    check(index >= 0 && index < kParameters);
    return of(effect).values[static_cast<std::size_t>(of(effect).current)][static_cast<std::size_t>(index)];
}

void makePlugin(Plugin& plugin, bool chunks) {
    plugin.effect.magic = kEffectMagic;
    plugin.effect.dispatcher = dispatch;
    plugin.effect.setParameter = setParameter;
    plugin.effect.getParameter = getParameter;
    plugin.effect.numPrograms = kPrograms;
    plugin.effect.numParams = kParameters;
    plugin.effect.flags = chunks ? effFlagsProgramChunks : 0;
    plugin.effect.uniqueID = kId;
    plugin.effect.object = &plugin;
    plugin.current = 1;
    for (std::size_t i = 0; i < kPrograms; ++i) {
        plugin.names[i][0] = static_cast<char>('A' + i);
        for (std::size_t p = 0; p < kParameters; ++p)
            plugin.values[i][p] = static_cast<float>(i * 10 + p);
    }
}

// The plug-in's whole state, bytes for bytes.
std::vector<std::uint8_t> stateOf(const Plugin& plugin) {
    std::vector<std::uint8_t> state(sizeof plugin.values + sizeof plugin.names + sizeof plugin.current +
                                    sizeof plugin.chunk);
    std::uint8_t* at = state.data();
    std::memcpy(at, &plugin.values, sizeof plugin.values);
    at += sizeof plugin.values;
    std::memcpy(at, &plugin.names, sizeof plugin.names);
    at += sizeof plugin.names;
    std::memcpy(at, &plugin.current, sizeof plugin.current);
    at += sizeof plugin.current;
    std::memcpy(at, &plugin.chunk, sizeof plugin.chunk);
    return state;
}

void applyAs(bool bank, bool chunks, std::span<const std::uint8_t> image) {
    Plugin plugin;
    makePlugin(plugin, chunks);
    plugin.image = image;
    const std::vector<std::uint8_t> before = stateOf(plugin);
    const rimba::Result<> applied =
        bank ? rimba::applyBankImage(plugin.effect, image) : rimba::applyPresetImage(plugin.effect, image);
    if (!applied) {
        check(!applied.reason().empty());
        check(plugin.calls == 0);
        check(stateOf(plugin) == before);
        return;
    }
    // A bank returns to the program it found.
    if (bank)
        check(plugin.current == 1);
    // What was taken can be given back as an image that is taken again.
    const std::vector<std::uint8_t> again =
        bank ? *rimba::buildBankImage(plugin.effect, true) : *rimba::buildPresetImage(plugin.effect, true);
    Plugin other;
    makePlugin(other, chunks);
    other.image = again;
    check(bank ? rimba::applyBankImage(other.effect, again).ok() : rimba::applyPresetImage(other.effect, again).ok());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> image(data, size);
    for (const bool chunks : {false, true}) {
        applyAs(true, chunks, image);
        applyAs(false, chunks, image);
    }
    return 0;
}
