// Cut, corrupted and lying files. Every read goes to a buffer of exactly the file's size, so the
// sanitizer build catches any read past the data; the checks below say what a sane result is.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "SoundFixtures.h"
#include "tests/plugin/files/ExactDecode.h"
#include "plugin/files/SoundReader.h"

namespace rimba {
namespace {

using namespace files::fixtures;

struct SampleFile {
    std::string name;
    std::vector<std::uint8_t> bytes;
    Reader reader;
};

std::vector<SampleFile> soxFiles(const TempFolder& folder) {
    struct Made {
        const char* name;
        Encoding encoding;
        int channels;
    };
    const Made made[] = {
        {"u8-mono.wav", Encoding::Unsigned8, 1},    {"s16-mono.wav", Encoding::Signed16, 1},
        {"s16-stereo.wav", Encoding::Signed16, 2},  {"s24-stereo.wav", Encoding::Signed24, 2},
        {"s32-three.wav", Encoding::Signed32, 3},   {"f32-stereo.wav", Encoding::Float32, 2},
        {"f32-mono.wav", Encoding::Float32, 1},     {"s8-mono.aiff", Encoding::Signed8, 1},
        {"s16-stereo.aiff", Encoding::Signed16, 2}, {"s24-mono.aiff", Encoding::Signed24, 1},
    };
    std::vector<SampleFile> files;
    for (const Made& file : made) {
        const std::string path = folder / file.name;
        if (!makeSoxFile(path, file.encoding, file.channels, 8000, 0.004)) {
            ADD_FAILURE() << "sox could not make " << file.name;
            continue;
        }
        const bool isAiff = std::string(file.name).ends_with(".aiff");
        files.push_back({file.name, readBytes(path), isAiff ? readAiffSound : readWaveSound});
    }
    return files;
}

bool isPrefixOf(const std::vector<std::int16_t>& part, const std::vector<std::int16_t>& whole) {
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

TEST(DamagedSoundFiles, EveryCutGivesARefusalOrTheFirstFramesOfTheWholeFile) {
    RIMBA_REQUIRE_SOX();
    TempFolder folder;
    for (const SampleFile& file : soxFiles(folder)) {
        SCOPED_TRACE(file.name);
        const Decoded whole = decode(file.reader, file.bytes.data(), file.bytes.size());
        ASSERT_EQ(whole.result, 1);
        ASSERT_GT(whole.sound.frameCount, 0);
        std::size_t previousFrames = 0;
        for (std::size_t length = 0; length < file.bytes.size(); ++length) {
            const Decoded cut = decode(file.reader, file.bytes.data(), length);
            ASSERT_TRUE(cut.result == 0 || cut.result == 1) << length;
            if (cut.result == 0) {
                continue;
            }
            EXPECT_EQ(cut.sound.sampleRate, whole.sound.sampleRate) << length;
            EXPECT_EQ(static_cast<std::size_t>(cut.sound.frameCount), cut.sound.samples.size()) << length;
            EXPECT_TRUE(isPrefixOf(cut.sound.samples, whole.sound.samples)) << length;
            EXPECT_GE(cut.sound.samples.size(), previousFrames) << length;
            previousFrames = cut.sound.samples.size();
        }
        // A few bytes short of the end, all but the last frames are still there.
        const Decoded nearlyWhole = decode(file.reader, file.bytes.data(), file.bytes.size() - 1);
        ASSERT_EQ(nearlyWhole.result, 1);
        EXPECT_EQ(nearlyWhole.sound.frameCount, whole.sound.frameCount - 1);
    }
}

TEST(DamagedSoundFiles, FlippedBytesNeverGiveAnInconsistentSound) {
    RIMBA_REQUIRE_SOX();
    TempFolder folder;
    std::mt19937 random(1234);
    for (const SampleFile& file : soxFiles(folder)) {
        SCOPED_TRACE(file.name);
        std::uniform_int_distribution<std::size_t> position(0, file.bytes.size() - 1);
        std::uniform_int_distribution<int> value(0, 255);
        // The header is where the damage matters; aim there three times out of four.
        std::uniform_int_distribution<std::size_t> headerPosition(0, std::min<std::size_t>(file.bytes.size(), 120) - 1);
        for (int round = 0; round < 3000; ++round) {
            std::vector<std::uint8_t> bytes = file.bytes;
            const int flips = 1 + round % 4;
            for (int flip = 0; flip < flips; ++flip) {
                const std::size_t at = round % 4 == 0 ? position(random) : headerPosition(random);
                bytes[at] = static_cast<std::uint8_t>(value(random));
            }
            const Decoded damaged = decode(file.reader, bytes.data(), bytes.size());
            ASSERT_TRUE(damaged.result == 0 || damaged.result == 1);
            ASSERT_EQ(static_cast<std::size_t>(damaged.sound.frameCount), damaged.sound.samples.size());
            ASSERT_LE(damaged.sound.samples.size(), bytes.size());
        }
    }
}

TEST(DamagedSoundFiles, HugeDeclaredSizesAreClippedToTheBytesPresent) {
    RIMBA_REQUIRE_SOX();
    TempFolder folder;
    for (const SampleFile& file : soxFiles(folder)) {
        SCOPED_TRACE(file.name);
        const Decoded whole = decode(file.reader, file.bytes.data(), file.bytes.size());
        std::vector<std::uint8_t> bytes = file.bytes;
        const bool isWave = file.reader == readWaveSound;
        const std::string tag = isWave ? "data" : "SSND";
        const auto found = std::search(bytes.begin(), bytes.end(), tag.begin(), tag.end());
        ASSERT_NE(found, bytes.end());
        std::fill(found + 4, found + 8, 0xFF);
        // The RIFF and FORM sizes lie as well (kept positive for AIFF, which checks it).
        std::fill(bytes.begin() + 4, bytes.begin() + 8, 0xFF);
        if (!isWave) {
            bytes[4] = 0x7F;
        }

        const Decoded lying = decode(file.reader, bytes.data(), bytes.size());

        ASSERT_EQ(lying.result, 1);
        EXPECT_EQ(lying.sound.samples, whole.sound.samples);
    }
}

}  // namespace
}  // namespace rimba
