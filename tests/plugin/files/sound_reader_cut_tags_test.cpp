// Files cut right inside or after a tag: the readers look at no byte past the file's end.

#include <gtest/gtest.h>

#include <vector>

#include "SoundFixtures.h"
#include "plugin/files/SoundReader.h"
#include "tests/plugin/files/ExactDecode.h"

namespace rimba {
namespace {

using namespace files::fixtures;

TEST(DamagedSoundFiles, TagsRightAtTheEndAreNotReadPast) {
    const std::vector<std::vector<std::uint8_t>> waves = {
        {},
        {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V'},
        {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'},
        {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't'},
        {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1},
        {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0},
    };
    for (const auto& bytes : waves) {
        EXPECT_EQ(decode(readWaveSound, bytes.data(), bytes.size()).result, 0) << bytes.size();
    }
    // A whole format header with the data tag cut in the middle: a sound without frames.
    ByteBuilder file;
    file.tag("RIFF").le32(0).tag("WAVE").tag("fmt ").le32(16).le16(1).le16(1).le32(8000);
    file.le32(16000).le16(2).le16(16).tag("dat");
    const Decoded cut = decode(readWaveSound, file.bytes.data(), file.bytes.size());
    EXPECT_EQ(cut.result, 1);
    EXPECT_EQ(cut.sound.frameCount, 0);

    ByteBuilder aiff;
    aiff.tag("FORM").be32(100).tag("AIFF").tag("COMM").be32(18).be16(1).be32(0).be16(16);
    aiff.append(extendedBytesOf(8000)).tag("SSND").be32(100);
    EXPECT_EQ(decode(readAiffSound, aiff.bytes.data(), aiff.bytes.size()).result, 0);
    aiff.be32(0).be32(0);
    const Decoded empty = decode(readAiffSound, aiff.bytes.data(), aiff.bytes.size());
    EXPECT_EQ(empty.result, 1);
    EXPECT_EQ(empty.sound.frameCount, 0);
}

}  // namespace
}  // namespace rimba
