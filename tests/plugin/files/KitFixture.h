#pragma once
// Kits for the kit tests: a library folder with one sound per track, and tracks dressed so that
// every kit setting differs from the reset state and from track to track.

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>

#include "plugin/model/StoredTrackSettings.h"
#include "tests/plugin/files/ChunkFixture.h"
#include "tests/support/UniqueFolder.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::chunk_test {

using files::fixtures::TempFolder;

inline std::array<float, chunk::kSettingCount> storedSettingsOf(const VornDrums& drums, int track) {
    return storedSettings(test::stateOf(drums).tracks, static_cast<std::size_t>(track));
}

inline bool hasSound(const VornDrums& drums, int track) {
    return test::stateOf(drums).voices[static_cast<std::size_t>(track)].soundIndex >= 0;
}

// A value for stored position `position` of track `t` that the reset state never has and that
// every setting's range allows.
inline float distinctValue(int t, int position) {
    return 0.01f * static_cast<float>(t + 1) + 0.001f * static_cast<float>(position);
}

// --- the kit layout, as the format documents it ------------------------------------------------

constexpr std::size_t kKitHeader = 32;
constexpr std::size_t kRecord = 432;
constexpr std::size_t kRecordFloats = 256;
constexpr std::size_t kRecordScale = 384;
constexpr std::size_t kOldestRecord = 320;
constexpr std::size_t kShortRecord = 368;
// Stored positions of a current record's 29 floats, and of the older records' first 15.
constexpr std::array<int, 29> kPositions{0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 13, 14, 17,
                                         18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31};

// A record of an older form: the path, then 16 floats for positions 0 to 11, 13, 14, 17 and one
// unused, then (short form) 12 scale notes.
inline void oldRecord(Block& block, std::size_t at, const std::string& path, const std::array<float, 16>& floats,
                      const std::array<std::int32_t, 12>* scale) {
    block.text(at, path);
    for (std::size_t i = 0; i < 16; ++i)
        block.f32(at + 256 + 4 * i, floats[i]);
    if (scale != nullptr)
        for (std::size_t n = 0; n < 12; ++n)
            block.le32(at + 320 + 4 * n, static_cast<std::uint32_t>((*scale)[n]));
}

inline std::array<float, 16> oldFloats(float tune) {
    return {0.7f, 0.3f, 0.1f, 0.2f, tune, 0.9f, 0.4f, 1.0f, 0.0f, 1.0f, 0.05f, 0.95f, 1.0f, 2.0f, 1.0f, 123.0f};
}

inline std::string drumName(int t) { return "\\Samples\\drum" + std::to_string(t) + ".wav"; }

// The oldest form: eight records of 320 bytes, no header.
inline Block oldestKit(float tune) {
    Block block{std::vector<std::uint8_t>(2560, 0)};
    for (int t = 0; t < 8; ++t)
        oldRecord(block, static_cast<std::size_t>(t) * kOldestRecord, drumName(t), oldFloats(tune), nullptr);
    return block;
}

// The short form: a size and eight records of 368 bytes with their scale notes.
inline Block shortKit(float tune, const std::array<std::int32_t, 12>& scale) {
    Block block{std::vector<std::uint8_t>(2948, 0)};
    for (int t = 0; t < 8; ++t)
        oldRecord(block, 4 + static_cast<std::size_t>(t) * kShortRecord, drumName(t), oldFloats(tune), &scale);
    fixSize(block);
    return block;
}

// The current form: the 32-byte header, `synthState`, then `records` records whose settings are
// distinct values and whose scale notes allow every note.
inline Block currentKit(int records, const std::vector<std::uint8_t>& synthState = {}) {
    Block block(kKitHeader);
    block.i32(4, records);
    block.i32(8, 1480);
    block.be32(12, 1480);
    block.append(synthState);
    for (int t = 0; t < records; ++t) {
        Block record(kRecord);
        record.text(0, drumName(t));
        for (std::size_t i = 0; i < kPositions.size(); ++i)
            record.f32(kRecordFloats + 4 * i, distinctValue(t, kPositions[i]));
        for (std::size_t n = 0; n < 12; ++n)
            record.le32(kRecordScale + 4 * n, 1);
        block.append(record.bytes);
    }
    fixSize(block);
    return block;
}

// The plain form: a size, the synth state (with no version in it) and eight current records.
inline Block plainKit(const std::vector<std::uint8_t>& synthState) {
    const Block current = currentKit(8);
    Block plain{std::vector<std::uint8_t>(4, 0)};
    plain.append(synthState);
    plain.append(std::vector<std::uint8_t>(current.bytes.begin() + static_cast<std::ptrdiff_t>(kKitHeader),
                                           current.bytes.end()));
    fixSize(plain);
    return plain;
}

// A library with one sound per track under Samples/.
struct Library {
    explicit Library(const TempFolder& root, int sounds = 16) : folder(root / "Library") {
        std::filesystem::create_directories(test::below(folder, "Samples"));
        std::filesystem::create_directories(test::below(folder, "Drum Kits"));
        for (int t = 0; t < sounds; ++t)
            writeWave(sample(t), testSound(200 + 10 * t, t + 1));
    }
    std::string sample(int t) const { return test::below(folder, "Samples/drum" + std::to_string(t) + ".wav"); }
    std::string kit(const std::string& name) const { return test::below(folder, "Drum Kits/" + name); }
    std::string folder;
};

inline void giveTrack(VornDrums& drums, int t, const std::string& path) {
    auto& field = test::stateOf(drums).tracks.soundPath[static_cast<std::size_t>(t)];
    field.fill(0);
    std::copy(path.begin(), path.end(), field.begin());
    drums.loadTrackSound(t);
}

// Every kit setting of every track in use distinct, the sounds from the library.
inline void dressTracks(VornDrums& drums, const Library& library) {
    for (int t = 0; t < test::stateOf(drums).trackCount; ++t) {
        const auto slot = static_cast<std::size_t>(t);
        giveTrack(drums, t, library.sample(t));
        test::stateOf(drums).tracks.level[slot] = 0.5f + distinctValue(t, 0);
        test::stateOf(drums).tracks.pan[slot] = 0.2f + distinctValue(t, 1);
        test::stateOf(drums).tracks.tune[slot] = -3.0f + static_cast<float>(t);
        test::stateOf(drums).tracks.start[slot] = distinctValue(t, 10);
        test::stateOf(drums).tracks.end[slot] = 0.9f - distinctValue(t, 11);
        test::stateOf(drums).tracks.mute[slot] = t % 2 == 0 ? 1.0f : 0.0f;
        test::stateOf(drums).tracks.choke[slot] = static_cast<float>(t % 3);
        test::stateOf(drums).tracks.eqOnSample[slot] = 1.0f;
        test::stateOf(drums).tracks.eqGain[slot][1] = 0.25f + distinctValue(t, 22);
        test::stateOf(drums).tracks.synthMix[slot] = 0.3f + distinctValue(t, 29);
        test::stateOf(drums).tracks.phaseInvert[slot] = 1.0f;
        test::stateOf(drums).tracks.scaleNotes[slot].fill(0);
        test::stateOf(drums).tracks.scaleNotes[slot][static_cast<std::size_t>(t % 12)] = 1;
        drums.updateTrack(t);
    }
}

}  // namespace rimba::chunk_test
