// The program chunk as a host sees it: effGetChunk and effSetChunk on two instances of the
// built plug-in, the sound they make afterwards, refused blocks and the export-folder block.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "tests/host/HostChunks.h"
#include "tests/host/TestHost.h"

namespace rimba::test {
namespace {

using namespace rimba::chunk_test;
using files::fixtures::TempFolder;

class ProgramChunkHost : public HostWithLibrary {
protected:
    void SetUp() override {
        HostWithLibrary::SetUp();
        first = plugin.create();
        second = plugin.create();
        ASSERT_NE(first, nullptr);
        ASSERT_NE(second, nullptr);
    }
    void TearDown() override {
        if (first)
            closeEffect(first);
        if (second)
            closeEffect(second);
        HostWithLibrary::TearDown();
    }

    AEffect* first = nullptr;
    AEffect* second = nullptr;
};

TEST_F(ProgramChunkHost, AChunkGivenToASecondInstanceComesBackByteForByte) {
    ASSERT_EQ(give(first, stateBlock()), 1);
    const std::vector<std::uint8_t> taken = chunkOf(first);
    ASSERT_EQ(taken.size(), 1512u + 3580u * kTracks);
    EXPECT_EQ(textAt(taken, kHeader + kTrack + kPath, 256), "\\Samples\\snare.wav");
    ASSERT_EQ(give(second, taken), 1);
    EXPECT_EQ(chunkOf(second), taken);
    // A second round changes nothing either.
    ASSERT_EQ(give(first, chunkOf(second)), 1);
    EXPECT_EQ(chunkOf(first), taken);
}

TEST_F(ProgramChunkHost, BothInstancesRenderTheSameSamplesBitForBit) {
    ASSERT_EQ(give(first, stateBlock()), 1);
    ASSERT_EQ(give(second, chunkOf(first)), 1);

    VstTimeInfo time{};
    time.sampleRate = 44100.0;
    time.tempo = 120.0;
    time.flags = kVstTransportPlaying | kVstTempoValid;
    hostRecord().timeInfo = &time;
    constexpr int kFrames = 512;
    double energy = 0.0;
    for (int block = 0; block < 200; ++block) {
        time.samplePos = static_cast<double>(block) * kFrames;
        OutputBlock a(kOutputs, kFrames, 0.0f);
        OutputBlock b(kOutputs, kFrames, 0.0f);
        first->processReplacing(first, nullptr, a.pointers(), kFrames);
        second->processReplacing(second, nullptr, b.pointers(), kFrames);
        for (int c = 0; c < kOutputs; ++c) {
            const auto& left = a.channels[static_cast<std::size_t>(c)];
            const auto& right = b.channels[static_cast<std::size_t>(c)];
            ASSERT_EQ(std::memcmp(left.data(), right.data(), sizeof(float) * kFrames), 0)
                << "block " << block << " channel " << c;
        }
        for (const float x : a.channels[0])
            energy += static_cast<double>(x) * x;
    }
    EXPECT_GT(energy, 1.0);  // the program plays: the comparison is not between two silences
    hostRecord().timeInfo = nullptr;
}

// Two tracks and the state blocks of an effect and of the drum synth: small enough to cut at
// every length, and every area of the block is cut somewhere.
std::vector<std::uint8_t> smallBlockWithStates() {
    FormRow current = formTable()[6];
    current.version = 1480;
    Block block = emptyBlock(current, 2);
    block.text(trackAt(current, 0) + kPath, "\\Samples\\kick.wav");
    block.s8(stepAt(current, 0, 3), 99);
    const std::size_t tail = tailAt(current, 2);
    block.i32(tail + kTailEffectEntries + 8, 44);
    block.text(tail + kTailEffectPaths + 256, "Echo.so");
    block.i32(tail + kTailSynthEntry, 36);
    Block states(44 + 36);
    states.text(0, "Echo");
    states.text(44, "Kit");
    block.append(states.bytes);
    fixSize(block);
    return block.bytes;
}

TEST_F(ProgramChunkHost, BlocksTruncatedAtEveryLengthAreRefusedAndChangeNothing) {
    ASSERT_EQ(give(first, stateBlock()), 1);
    const std::vector<std::uint8_t> before = chunkOf(first);
    const std::vector<std::uint8_t> whole = smallBlockWithStates();
    for (std::size_t length = 0; length < whole.size(); ++length) {
        if (length == 256)
            continue;  // a block of exactly 256 bytes names the export folder
        Block cut(0);
        cut.bytes.assign(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        ASSERT_EQ(give(first, cut.bytes), 0) << length;
        if (length >= 4)
            fixSize(cut);  // now its size says it is whole
        ASSERT_EQ(give(first, cut.bytes), 0) << length;
        ASSERT_EQ(chunkOf(first), before) << length;
    }
    // The same block uncut is taken: the refusals came from the cuts alone.
    EXPECT_EQ(give(first, whole), 1);
    EXPECT_NE(chunkOf(first), before);
}

TEST_F(ProgramChunkHost, StateBlocksRunningPastTheBlockAreRefused) {
    ASSERT_EQ(give(first, stateBlock()), 1);
    const std::vector<std::uint8_t> before = chunkOf(first);
    const std::size_t tail = kHeader + kTracks * kTrack;

    Block past(0);
    past.bytes = stateBlock();
    past.i32(tail + kTailEffectEntries + 8, 100);  // send 2 holds 100 bytes...
    past.append(std::vector<std::uint8_t>(60, 7));  // ...of which 60 are there
    fixSize(past);
    EXPECT_EQ(give(first, past.bytes), 0);
    EXPECT_EQ(chunkOf(first), before);

    past.append(std::vector<std::uint8_t>(40, 7));
    past.i32(tail + kTailSynthEntry, 2147483647);  // and the synth's state is the largest there is
    fixSize(past);
    EXPECT_EQ(give(first, past.bytes), 0);
    EXPECT_EQ(chunkOf(first), before);

    past.i32(tail + kTailSynthEntry, 0);
    EXPECT_EQ(give(first, past.bytes), 1);  // with every size inside the block it is taken
}

TEST_F(ProgramChunkHost, ABlockNamingSeventeenTracksIsRefusedAndSixteenAreTaken) {
    ASSERT_EQ(give(first, stateBlock()), 1);
    const std::vector<std::uint8_t> before = chunkOf(first);
    FormRow current = formTable()[6];
    current.version = 1480;
    Block seventeen = emptyBlock(current, 17);
    EXPECT_EQ(give(first, seventeen.bytes), 0);
    EXPECT_EQ(chunkOf(first), before);
    Block sixteen = emptyBlock(current, 16);
    EXPECT_EQ(give(first, sixteen.bytes), 1);
    EXPECT_EQ(i32At(chunkOf(first), 12), kTracks);
}

TEST_F(ProgramChunkHost, GarbageIsRefusedAndChangesNothing) {
    ASSERT_EQ(give(first, stateBlock()), 1);
    const std::vector<std::uint8_t> before = chunkOf(first);
    std::srand(20240607);
    for (int attempt = 0; attempt < 300; ++attempt) {
        std::size_t length = static_cast<std::size_t>(std::rand() % 20000);
        if (length == 256 || length == 10828)
            ++length;
        Block garbage(length);
        for (std::uint8_t& byte : garbage.bytes)
            byte = static_cast<std::uint8_t>(std::rand());
        if (attempt % 2 == 1 && length >= 4)
            fixSize(garbage);
        ASSERT_EQ(give(first, garbage.bytes), 0) << attempt;
    }
    EXPECT_EQ(dispatch(first, effSetChunk, 0, 100, nullptr), 0);
    EXPECT_EQ(chunkOf(first), before);
}

TEST_F(ProgramChunkHost, A256ByteBlockSetsTheExportFolderAndTheNextChunkWritesOneWavePerTrack) {
    ASSERT_EQ(give(first, stateBlock()), 1);
    const std::vector<std::uint8_t> before = chunkOf(first);
    const std::string out = home.path() + "/export";
    std::filesystem::create_directories(out);
    Block folder(256);
    folder.text(0, out + "\\");
    ASSERT_EQ(give(first, folder.bytes), 1);

    const std::vector<std::uint8_t> exported = chunkOf(first);
    ASSERT_EQ(exported.size(), before.size());
    EXPECT_EQ(textAt(exported, kHeader + kPath, 256), "\\kick.wav");
    EXPECT_EQ(textAt(exported, kHeader + 2 * kTrack + kPath, 256), "\\hat.wav");
    EXPECT_EQ(textAt(exported, kHeader + 3 * kTrack + kPath, 256), "");
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(out))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"hat.wav", "kick.wav", "snare.wav"}));
    const std::vector<std::uint8_t> hat = files::fixtures::readBytes(out + "/hat.wav");
    ASSERT_GE(hat.size(), 46u);
    EXPECT_EQ(textAt(hat, 0, 4), "RIFF");
    EXPECT_EQ(le32At(hat, 42), 2u * 2000);

    std::filesystem::remove_all(out);
    EXPECT_EQ(chunkOf(first), before);  // the folder served one block only
    EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace rimba::test
