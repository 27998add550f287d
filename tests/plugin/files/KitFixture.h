#pragma once
// Kits for the kit tests: a library folder with one sound per track, and tracks dressed so that
// every kit setting differs from the reset state and from track to track.

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>

#include "plugin/core/StoredTrackSettings.h"
#include "tests/plugin/files/ChunkFixture.h"
#include "tests/support/UniqueFolder.h"

namespace rimba::chunk_test {

using files::fixtures::TempFolder;

inline std::array<float, chunk::kSettingCount> storedSettingsOf(const VornDrums& drums, int track) {
    return storedSettings(drums.tracks, static_cast<std::size_t>(track));
}

inline bool hasSound(const VornDrums& drums, int track) {
    return drums.voices[static_cast<std::size_t>(track)].soundIndex >= 0;
}

// A value for stored position `position` of track `t` that the reset state never has and that
// every setting's range allows.
inline float distinctValue(int t, int position) {
    return 0.01f * static_cast<float>(t + 1) + 0.001f * static_cast<float>(position);
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
    auto& field = drums.tracks.soundPath[static_cast<std::size_t>(t)];
    field.fill(0);
    std::copy(path.begin(), path.end(), field.begin());
    drums.loadTrackSound(t);
}

// Every kit setting of every track in use distinct, the sounds from the library.
inline void dressTracks(VornDrums& drums, const Library& library) {
    for (int t = 0; t < drums.trackCount; ++t) {
        const auto slot = static_cast<std::size_t>(t);
        giveTrack(drums, t, library.sample(t));
        drums.tracks.level[slot] = 0.5f + distinctValue(t, 0);
        drums.tracks.pan[slot] = 0.2f + distinctValue(t, 1);
        drums.tracks.tune[slot] = -3.0f + static_cast<float>(t);
        drums.tracks.start[slot] = distinctValue(t, 10);
        drums.tracks.end[slot] = 0.9f - distinctValue(t, 11);
        drums.tracks.mute[slot] = t % 2 == 0 ? 1.0f : 0.0f;
        drums.tracks.choke[slot] = static_cast<float>(t % 3);
        drums.tracks.eqOnSample[slot] = 1.0f;
        drums.tracks.eqGain[slot][1] = 0.25f + distinctValue(t, 22);
        drums.tracks.synthMix[slot] = 0.3f + distinctValue(t, 29);
        drums.tracks.phaseInvert[slot] = 1.0f;
        drums.tracks.scaleNotes[slot].fill(0);
        drums.tracks.scaleNotes[slot][static_cast<std::size_t>(t % 12)] = 1;
        drums.updateTrack(t);
    }
}

}  // namespace rimba::chunk_test
