#pragma once
// A VST 2.4 plug-in in the test itself: an AEffect whose dispatcher keeps programs with names and
// values, answers chunks of its own layout, and records every call, counting those that name a
// program or parameter it does not have. And the image layouts written out field by field, so
// checks never depend on the code under test.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/vst/VstAbi.h"

namespace rimba::test {

constexpr VstInt32 kFakeId = fourCharCode('F', 'a', 'k', 'e');
constexpr VstInt32 kFakeVersion = 7;

struct EffectCall {
    VstInt32 opcode;  // kSetParameterCall for setParameter
    VstInt32 index;
    VstIntPtr value;
    bool operator==(const EffectCall&) const = default;
};
constexpr VstInt32 kSetParameterCall = -1;

// Up to the first zero, and at most `longest` characters.
inline std::string boundedText(const char* text, std::size_t longest) {
    return std::string(text, std::find(text, text + longest, '\0'));
}

class FakeEffect {
public:
    struct State {
        std::vector<std::string> names;
        std::vector<std::vector<float>> values;
        std::int32_t current = 0;
        bool operator==(const State&) const = default;
    };

    // Program i is named "Program i"; its values differ from every other program's and, through
    // `seed`, from another fake's.
    FakeEffect(int programs, int parameters, bool chunks, float seed = 0.0f, VstInt32 id = kFakeId) {
        effect.magic = kEffectMagic;
        effect.dispatcher = &FakeEffect::dispatch;
        effect.setParameter = &FakeEffect::setParameterCall;
        effect.getParameter = &FakeEffect::getParameterCall;
        effect.numPrograms = programs;
        effect.numParams = parameters;
        effect.flags = chunks ? effFlagsProgramChunks : 0;
        effect.object = this;
        effect.uniqueID = id;
        effect.version = kFakeVersion;
        for (int i = 0; i < programs; ++i) {
            state.names.push_back("Program " + std::to_string(i));
            std::vector<float> values;
            for (int p = 0; p < parameters; ++p)
                values.push_back(seed + 0.1f * static_cast<float>(i) + 0.001f * static_cast<float>(p));
            state.values.push_back(values);
        }
    }
    FakeEffect(const FakeEffect&) = delete;
    FakeEffect& operator=(const FakeEffect&) = delete;

    AEffect effect{};
    State state;
    std::string product = "Fake Effect";
    std::vector<EffectCall> calls;
    int strayCalls = 0;

    bool called(VstInt32 opcode) const {
        return std::any_of(calls.begin(), calls.end(), [opcode](const EffectCall& c) { return c.opcode == opcode; });
    }

    // The fake's chunks: each program as its name in 28 bytes and its values, little-endian;
    // the bank chunk holds every program, the program chunk the current one.
    std::vector<std::uint8_t> programBytes(std::size_t program) const {
        std::vector<std::uint8_t> bytes(28, 0);
        std::copy(state.names[program].begin(), state.names[program].end(), bytes.begin());
        for (const float value : state.values[program])
            for (int b = 0; b < 4; ++b)
                bytes.push_back(static_cast<std::uint8_t>(std::bit_cast<std::uint32_t>(value) >> (8 * b)));
        return bytes;
    }
    std::vector<std::uint8_t> bankChunk() const {
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0; i < state.names.size(); ++i) {
            const auto program = programBytes(i);
            bytes.insert(bytes.end(), program.begin(), program.end());
        }
        return bytes;
    }

private:
    static FakeEffect& of(AEffect* e) { return *static_cast<FakeEffect*>(e->object); }

    bool hasProgram(VstIntPtr p) const { return p >= 0 && p < effect.numPrograms; }

    void takeProgram(std::size_t program, const std::uint8_t* bytes) {
        state.names[program] = boundedText(reinterpret_cast<const char*>(bytes), 28);
        for (std::size_t p = 0; p < state.values[program].size(); ++p) {
            std::uint32_t word = 0;
            for (int b = 0; b < 4; ++b)
                word |= static_cast<std::uint32_t>(bytes[28 + 4 * p + static_cast<std::size_t>(b)]) << (8 * b);
            state.values[program][p] = std::bit_cast<float>(word);
        }
    }

    static VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float) {
        FakeEffect& fake = of(e);
        fake.calls.push_back({opcode, index, value});
        const auto current = static_cast<std::size_t>(fake.state.current);
        switch (opcode) {
            case effSetProgram:
                // Returning to the program it answered is no stray call, even with no programs.
                if (fake.hasProgram(value) || value == fake.state.current)
                    fake.state.current = static_cast<std::int32_t>(value);
                else
                    ++fake.strayCalls;
                return 0;
            case effGetProgram: return fake.state.current;
            case effSetProgramName:
                // A plug-in without programs has no name to change.
                if (fake.hasProgram(fake.state.current))
                    fake.state.names[current] = boundedText(static_cast<const char*>(ptr), 255);
                return 0;
            case effGetProgramName:
                std::strcpy(static_cast<char*>(ptr),
                            fake.hasProgram(fake.state.current) ? fake.state.names[current].c_str() : "");
                return 0;
            case effGetProductString: std::strcpy(static_cast<char*>(ptr), fake.product.c_str()); return 1;
            case effGetChunk:
                fake.chunk = index == 0 ? fake.bankChunk() : fake.programBytes(current);
                *static_cast<void**>(ptr) = fake.chunk.data();
                return static_cast<VstIntPtr>(fake.chunk.size());
            case effSetChunk: {
                const auto* bytes = static_cast<const std::uint8_t*>(ptr);
                const std::size_t program = fake.programBytes(0).size();
                if (index == 0 && static_cast<std::size_t>(value) == fake.bankChunk().size()) {
                    for (std::size_t i = 0; i < fake.state.names.size(); ++i)
                        fake.takeProgram(i, bytes + i * program);
                } else if (index == 1 && static_cast<std::size_t>(value) == program) {
                    fake.takeProgram(current, bytes);
                }
                return 1;
            }
            default: return 0;
        }
    }

    static void setParameterCall(AEffect* e, VstInt32 index, float value) {
        FakeEffect& fake = of(e);
        fake.calls.push_back({kSetParameterCall, index, 0});
        if (index < 0 || index >= e->numParams) {
            ++fake.strayCalls;
            return;
        }
        // Without programs the fake keeps no values: its parameters read 0.
        if (!fake.hasProgram(fake.state.current))
            return;
        fake.state.values[static_cast<std::size_t>(fake.state.current)][static_cast<std::size_t>(index)] = value;
    }

    static float getParameterCall(AEffect* e, VstInt32 index) {
        FakeEffect& fake = of(e);
        if (index < 0 || index >= e->numParams) {
            ++fake.strayCalls;
            return 0.0f;
        }
        if (!fake.hasProgram(fake.state.current))
            return 0.0f;
        return fake.state.values[static_cast<std::size_t>(fake.state.current)][static_cast<std::size_t>(index)];
    }

    std::vector<std::uint8_t> chunk;
};

// --- the layouts, field by field ---------------------------------------------------------------

inline std::uint32_t be32At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b.at(at)) << 24 | static_cast<std::uint32_t>(b.at(at + 1)) << 16 |
           static_cast<std::uint32_t>(b.at(at + 2)) << 8 | static_cast<std::uint32_t>(b.at(at + 3));
}
inline float beFloatAt(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::bit_cast<float>(be32At(b, at));
}
inline std::string textAt(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t count) {
    std::string text(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + count));
    return text.substr(0, text.find('\0'));
}
inline void putBe32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        b.at(at + i) = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}
inline void putText(std::vector<std::uint8_t>& b, std::size_t at, const std::string& text) {
    std::copy(text.begin(), text.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
}

// The header every image begins with.
inline void putHeader(std::vector<std::uint8_t>& b, std::size_t at, const char* type, std::int32_t count,
                      VstInt32 id = kFakeId) {
    putText(b, at, "CcnK");
    putText(b, at + 8, type);
    putBe32(b, at + 12, 1);
    putBe32(b, at + 16, static_cast<std::uint32_t>(id));
    putBe32(b, at + 20, kFakeVersion);
    putBe32(b, at + 24, static_cast<std::uint32_t>(count));
}

struct LayoutProgram {
    std::string name;
    std::vector<float> values;
};

// A regular bank of these programs, each `stride` values long.
inline std::vector<std::uint8_t> regularBankLayout(const std::vector<LayoutProgram>& programs, std::size_t stride,
                                                   VstInt32 id = kFakeId) {
    std::vector<std::uint8_t> b(156 + programs.size() * (56 + 4 * stride), 0);
    putHeader(b, 0, "FxBk", static_cast<std::int32_t>(programs.size()), id);
    for (std::size_t i = 0; i < programs.size(); ++i) {
        const std::size_t at = 156 + i * (56 + 4 * stride);
        putHeader(b, at, "FxCk", static_cast<std::int32_t>(programs[i].values.size()), id);
        putText(b, at + 28, programs[i].name);
        for (std::size_t p = 0; p < programs[i].values.size(); ++p)
            putBe32(b, at + 56 + 4 * p, std::bit_cast<std::uint32_t>(programs[i].values[p]));
    }
    return b;
}

inline std::vector<std::uint8_t> regularPresetLayout(const LayoutProgram& program, VstInt32 id = kFakeId) {
    std::vector<std::uint8_t> b(60 + 4 * program.values.size(), 0);
    putHeader(b, 0, "FxCk", static_cast<std::int32_t>(program.values.size()), id);
    putText(b, 28, program.name);
    for (std::size_t p = 0; p < program.values.size(); ++p)
        putBe32(b, 60 + 4 * p, std::bit_cast<std::uint32_t>(program.values[p]));
    return b;
}

inline std::vector<std::uint8_t> chunkBankLayout(const std::vector<std::uint8_t>& chunk, std::int32_t programs,
                                                 VstInt32 id = kFakeId) {
    std::vector<std::uint8_t> b(160, 0);
    putHeader(b, 0, "FBCh", programs, id);
    putBe32(b, 156, static_cast<std::uint32_t>(chunk.size()));
    b.insert(b.end(), chunk.begin(), chunk.end());
    return b;
}

inline std::vector<std::uint8_t> chunkPresetLayout(const std::vector<std::uint8_t>& chunk, const std::string& name,
                                                   std::int32_t parameters, VstInt32 id = kFakeId) {
    std::vector<std::uint8_t> b(60, 0);
    putHeader(b, 0, "FPCh", parameters, id);
    putText(b, 28, name);
    putBe32(b, 56, static_cast<std::uint32_t>(chunk.size()));
    b.insert(b.end(), chunk.begin(), chunk.end());
    return b;
}

}  // namespace rimba::test
