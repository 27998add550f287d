#pragma once
// The program chunk's layout tables as the file format documents them, written out here again
// so that the tests build and read blocks without the instrument's own reader or writer: a
// byte builder that writes each field at its offset, readers that take a field from an
// offset, the seven forms and a WAV file builder.

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/plugin/files/SoundFixtures.h"
#include "tests/support/SoundFiles.h"

namespace rimba::chunk_test {

// --- the current form ------------------------------------------------------------------------

constexpr std::size_t kHeader = 64;
constexpr std::size_t kTrack = 3580;
constexpr std::size_t kFixed = 1512;  // header and tail

// Track block.
constexpr std::size_t kPath = 0;
constexpr std::size_t kRandom = 256;  // 16 x (minimum, maximum, roll)
constexpr std::size_t kScale = 304;  // 12 bytes
constexpr std::size_t kSteps = 316;  // 64 x (16 velocities, 16 holds, 16 rolls)
constexpr std::size_t kSettings = 3388;  // 32 floats
constexpr std::size_t kTrackZero = 3516;  // 64 zero bytes

// Tail (offsets from its start).
constexpr std::size_t kTailSteps = 0;
constexpr std::size_t kTailChain = 64;
constexpr std::size_t kTailCurrentPattern = 128;
constexpr std::size_t kTailPlayMode = 132;
constexpr std::size_t kTailSwing = 136;
constexpr std::size_t kTailRandomAuto = 140;
constexpr std::size_t kTailRandomPerPattern = 144;
constexpr std::size_t kTailPlaying = 148;
constexpr std::size_t kTailTempo = 152;
constexpr std::size_t kTailEffectEnabled = 156;
constexpr std::size_t kTailMuteKey = 172;
constexpr std::size_t kTailTriggerKey = 176;
constexpr std::size_t kTailGraph = 180;
constexpr std::size_t kTailFill = 184;
constexpr std::size_t kTailEffectEntries = 256;  // 4 x (state size, program)
constexpr std::size_t kTailSynthEntry = 288;
constexpr std::size_t kTailMasterEqOn = 296;
constexpr std::size_t kTailMasterBands = 300;  // 3 x (position, Q, gain)
constexpr std::size_t kTailReserved = 336;  // in the order 0, 4, 1, 5, 2, 6, 3, 7
constexpr std::size_t kTailEffectPaths = 424;  // 4 x 256
constexpr std::size_t kTailStateBlocks = 1448;
constexpr std::size_t kTailBytes = 1448;
// The forms without the drum synth entry have everything from the master equaliser on 8 bytes
// earlier.
constexpr std::size_t kNoSynthShift = 8;

// Settings positions used by the tests.
constexpr int kLevel = 0, kPan = 1, kTune = 4, kLevelVelocity = 5, kTuneVelocity = 6, kStart = 10, kEnd = 11,
              kRandomMin = 12, kMute = 13, kChoke = 14, kRandomMax = 15, kRandomMaxRoll = 16, kTuneScale = 17,
              kSynthRoute = 18, kEqOnSample = 19, kBand0Freq = 20, kBand1Q = 24, kBand2Gain = 28, kSynthMix = 29,
              kEqOnSynth = 30, kPhaseInvert = 31;

// --- the seven forms -------------------------------------------------------------------------

struct FormRow {
    const char* name;
    std::size_t header;  // bytes before track 0
    bool random;  // 48 random bytes after the path
    bool scaleNotes;  // 12 scale note bytes
    bool velocityOnly;  // a step is 16 velocity bytes
    std::size_t settingsArea;
    int settingsRead;  // 14, 17 or 32
    bool tuneConverted;  // (value - 0.5) x 24 and tune velocity x 12
    int tail;  // 0: the 140 bytes of the oldest; 1: without the synth entry; 2: current
    std::int32_t version;  // of the numbered forms
    const char* text;  // at offset 4 (text forms) or 12 (numbered forms)
};

inline const std::array<FormRow, 7>& formTable() {
    static const std::array<FormRow, 7> rows{{
        {"Oldest", 0, false, false, true, 56, 14, false, 0, 0, ""},
        {"Plain", 4, true, false, false, 68, 17, true, 1, 0, ""},
        {"Text122", 36, true, false, false, 96, 17, true, 1, 0, "1.22"},
        {"Text1x", 36, true, false, false, 192, 17, false, 1, 0, "1.31"},
        {"NumberedBefore1300", 44, true, false, false, 192, 17, false, 1, 1210, "1.40"},
        {"Numbered1300", 44, true, true, false, 192, 32, false, 2, 1400, "1.45"},
        {"Numbered1451", 64, true, true, false, 192, 32, false, 2, 1475, "1.49"},
    }};
    return rows;
}

inline std::size_t randomBytes(const FormRow& f) { return f.random ? 48 : 0; }
inline std::size_t scaleBytes(const FormRow& f) { return f.scaleNotes ? 12 : 0; }
inline std::size_t stepBytes(const FormRow& f) { return f.velocityOnly ? 16 : 48; }
inline std::size_t trackBytes(const FormRow& f) {
    return 256 + randomBytes(f) + scaleBytes(f) + 64 * stepBytes(f) + f.settingsArea;
}
inline std::size_t trackAt(const FormRow& f, int t) { return f.header + static_cast<std::size_t>(t) * trackBytes(f); }
inline std::size_t randomAt(const FormRow& f, int t) { return trackAt(f, t) + 256; }
inline std::size_t scaleAt(const FormRow& f, int t) { return randomAt(f, t) + randomBytes(f); }
inline std::size_t stepAt(const FormRow& f, int t, int step) {
    return scaleAt(f, t) + scaleBytes(f) + static_cast<std::size_t>(step) * stepBytes(f);
}
inline std::size_t settingsAt(const FormRow& f, int t) { return stepAt(f, t, 64); }
inline std::size_t tailAt(const FormRow& f, int tracks) { return trackAt(f, tracks); }
inline std::size_t tailBytes(const FormRow& f) { return f.tail == 0 ? 140 : f.tail == 1 ? 1440 : 1448; }
inline std::size_t tailShift(const FormRow& f) { return f.tail == 2 ? 0 : kNoSynthShift; }

// --- bytes -----------------------------------------------------------------------------------

class Block {
public:
    explicit Block(std::size_t size) : bytes(size, 0) {}
    explicit Block(std::vector<std::uint8_t> whole) : bytes(std::move(whole)) {}

    void s8(std::size_t at, int value) { bytes.at(at) = static_cast<std::uint8_t>(static_cast<std::int8_t>(value)); }
    void le32(std::size_t at, std::uint32_t value) {
        for (std::size_t i = 0; i < 4; ++i)
            bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
    }
    void i32(std::size_t at, std::int32_t value) { le32(at, static_cast<std::uint32_t>(value)); }
    void be32(std::size_t at, std::uint32_t value) {
        for (std::size_t i = 0; i < 4; ++i)
            bytes.at(at + i) = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    }
    void f32(std::size_t at, float value) { le32(at, std::bit_cast<std::uint32_t>(value)); }
    void text(std::size_t at, const std::string& value) {
        for (std::size_t i = 0; i < value.size(); ++i)
            bytes.at(at + i) = static_cast<std::uint8_t>(value[i]);
    }
    // Byte by byte: GCC 12 takes both vector::insert (-Warray-bounds at -O3) and a resize with a
    // copy (-Wstringop-overflow at -O2) after a fixed-size block for writes past its end.
    void append(const std::vector<std::uint8_t>& more) {
        bytes.reserve(bytes.size() + more.size());
        for (const std::uint8_t byte : more)
            bytes.push_back(byte);
    }

    std::vector<std::uint8_t> bytes;
};

inline std::uint32_t le32At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b.at(at)) | static_cast<std::uint32_t>(b.at(at + 1)) << 8 |
           static_cast<std::uint32_t>(b.at(at + 2)) << 16 | static_cast<std::uint32_t>(b.at(at + 3)) << 24;
}
inline std::int32_t i32At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::int32_t>(le32At(b, at));
}
inline std::uint32_t be32At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b.at(at)) << 24 | static_cast<std::uint32_t>(b.at(at + 1)) << 16 |
           static_cast<std::uint32_t>(b.at(at + 2)) << 8 | static_cast<std::uint32_t>(b.at(at + 3));
}
inline float f32At(const std::vector<std::uint8_t>& b, std::size_t at) { return std::bit_cast<float>(le32At(b, at)); }
inline int s8At(const std::vector<std::uint8_t>& b, std::size_t at) { return static_cast<std::int8_t>(b.at(at)); }
inline std::string textAt(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t field) {
    std::string text;
    for (std::size_t i = 0; i < field && b.at(at + i) != 0; ++i)
        text += static_cast<char>(b.at(at + i));
    return text;
}

// The empty block of a form with `tracks` tracks: its header written, the rest zero but for
// what a saved empty program holds: holds of 1, every scale note allowed, patterns of 16 steps.
inline Block emptyBlock(const FormRow& f, int tracks = 8) {
    Block block(trackAt(f, tracks) + tailBytes(f));
    const auto size = static_cast<std::uint32_t>(block.bytes.size());
    if (f.header >= 4)
        block.le32(0, size);
    if (f.header == 36) {
        block.text(4, f.text);
    } else if (f.header == 44) {
        block.i32(4, f.version);
        block.be32(8, static_cast<std::uint32_t>(f.version));
        block.text(12, f.text);
    } else if (f.header == 64) {
        block.i32(4, f.version);
        block.be32(8, static_cast<std::uint32_t>(f.version));
        block.i32(12, tracks);
        block.text(32, f.text);
    }
    for (int t = 0; t < tracks; ++t) {
        for (int n = 0; n < 12 && f.scaleNotes; ++n)
            block.s8(scaleAt(f, t) + static_cast<std::size_t>(n), 1);
        for (int s = 0; s < 64 && !f.velocityOnly; ++s)
            for (int p = 0; p < 16; ++p)
                block.s8(stepAt(f, t, s) + 16 + static_cast<std::size_t>(p), 1);
    }
    for (int p = 0; p < 16; ++p)
        block.i32(tailAt(f, tracks) + kTailSteps + 4 * static_cast<std::size_t>(p), 16);
    return block;
}

// A program file made here around a block: the header of the ".fxp" layout, big-endian.
inline std::vector<std::uint8_t> fxpAround(const std::vector<std::uint8_t>& chunk, const char* magic = "CcnK") {
    Block file(60);
    file.text(0, magic);
    file.be32(4, static_cast<std::uint32_t>(chunk.size() + 52));
    file.text(8, "FPCh");
    file.be32(12, 1);
    file.be32(16, 0x3931356B);
    file.be32(20, 1);
    file.be32(24, 1);
    file.text(28, "Made by hand");
    file.be32(56, static_cast<std::uint32_t>(chunk.size()));
    file.append(chunk);
    return file.bytes;
}

// Keeps the size field in step with the bytes after appending state blocks.
inline void fixSize(Block& block) { block.le32(0, static_cast<std::uint32_t>(block.bytes.size())); }

using ::rimba::test::testSound;
using ::rimba::test::writeWave;

}  // namespace rimba::chunk_test
