// The one target that applies what it reads to an instrument: any bytes at all given to setChunk
// of a fresh instrument. A refused block must leave the next block exactly as before, and an
// accepted one must leave a state whose block a second fresh instrument takes and gives back
// byte for byte. (The parsers alone are fuzzed, much faster, by the *_file and program_chunk
// targets.)
//
// The first input byte chooses how the rest becomes a block: as it is, or as damage done to a
// well-formed block of one of the seven forms (byte patches, a cut, bytes added at the end);
// and whether the block's size field is then set to its length. So the fuzzer spends its time
// deep inside every form as well as at the checks that come first.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "plugin/core/VornDrums.h"

namespace {

VstIntPtr fuzzHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Relative sound names resolve inside an empty folder of the fuzzer's own.
const std::string& emptyLibrary() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/rimba-chunk-fuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (made == nullptr)
            std::abort();
        return std::string(made);
    }();
    // Registered once the name exists, so it is removed before the name is destroyed.
    static const bool removedAtExit = std::atexit([] { std::filesystem::remove_all(emptyLibrary()); }) == 0;
    (void)removedAtExit;
    return folder;
}

std::unique_ptr<rimba::VornDrums> freshInstrument(int tracks) {
    return std::make_unique<rimba::VornDrums>(fuzzHost, [tracks](rimba::InstrumentSettings& settings, bool) {
        settings.channelNumber = tracks;
        settings.filesPath = emptyLibrary();
        settings.effectPath = emptyLibrary() + "/";
        return false;
    });
}

std::vector<std::uint8_t> blockOf(rimba::VornDrums& drums) {
    void* data = nullptr;
    const VstInt32 size = drums.getChunk(&data, false);
    if (size <= 0 || data == nullptr)
        std::abort();
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

// A well-formed block of each form, all zero but for what tells the form apart: the sizes of
// the format's table, written out here rather than taken from the reader.
std::vector<std::uint8_t> formBlock(int form, rimba::VornDrums& drums) {
    const auto le32 = [](std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
        for (std::size_t i = 0; i < 4; ++i)
            b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    const auto numbered = [&le32](std::vector<std::uint8_t>& b, std::uint32_t version) {
        le32(b, 4, version);
        le32(b, 8, (version >> 24) | ((version >> 8) & 0xFF00u) | ((version << 8) & 0xFF0000u) | (version << 24));
    };
    std::vector<std::uint8_t> b;
    switch (form) {
        case 0: return std::vector<std::uint8_t>(10828, 0);
        case 1: b.assign(4 + 8 * 3444 + 1440, 0); break;
        case 2:
            b.assign(36 + 8 * 3472 + 1440, 0);
            std::memcpy(b.data() + 4, "1.22", 4);
            break;
        case 3:
            b.assign(36 + 8 * 3568 + 1440, 0);
            std::memcpy(b.data() + 4, "1.3", 3);
            break;
        case 4:
            b.assign(44 + 8 * 3568 + 1440, 0);
            numbered(b, 1200);
            break;
        case 5:
            b.assign(44 + 8 * 3580 + 1448, 0);
            numbered(b, 1400);
            break;
        default: return blockOf(drums);
    }
    le32(b, 0, static_cast<std::uint32_t>(b.size()));
    return b;
}

std::vector<std::uint8_t> damagedBlock(const std::uint8_t* data, std::size_t size, rimba::VornDrums& drums) {
    const std::uint8_t mode = data[0];
    std::vector<std::uint8_t> block = formBlock(size > 1 ? data[1] % 7 : 6, drums);
    std::size_t i = 2;
    for (; i + 3 <= size; i += 3) {
        const std::size_t where = (static_cast<std::size_t>(data[i]) << 8 | data[i + 1]) * block.size() / 65536;
        block[where] = data[i + 2];
    }
    if ((mode & 8) && i + 2 <= size)
        block.resize(block.size() - (static_cast<std::size_t>(data[i]) << 8 | data[i + 1]) % block.size());
    if (mode & 16)
        block.insert(block.end(), 300, 1);
    return block;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Keeps the process-wide timer thread running between inputs.
    static const auto keeper = freshInstrument(rimba::kDefaultTrackCount);
    if (size < 1)
        return 0;
    const int tracks = (data[0] & 2) ? rimba::kSmallTrackCount : rimba::kDefaultTrackCount;
    const auto drums = freshInstrument(tracks);
    std::vector<std::uint8_t> block =
        (data[0] & 4) ? damagedBlock(data, size, *drums) : std::vector<std::uint8_t>(data + 1, data + size);
    if ((data[0] & 1) && block.size() >= 4) {
        const auto length = static_cast<std::uint32_t>(block.size());
        for (int i = 0; i < 4; ++i)
            block[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(length >> (8 * i));
    }

    const std::vector<std::uint8_t> before = blockOf(*drums);
    const VstInt32 taken = drums->setChunk(block.data(), static_cast<VstInt32>(block.size()), false);
    if (taken != 0 && taken != 1)
        std::abort();
    if (block.size() == 256) {
        if (taken != 1)
            std::abort();
        return 0;  // an export folder: the next block would write files there
    }
    const std::vector<std::uint8_t> after = blockOf(*drums);
    if (taken == 0) {
        if (after != before)
            std::abort();
        return 0;
    }
    const auto second = freshInstrument(tracks);
    std::vector<std::uint8_t> copy = after;
    if (second->setChunk(copy.data(), static_cast<VstInt32>(copy.size()), false) != 1)
        std::abort();
    if (blockOf(*second) != after)
        std::abort();
    return 0;
}
