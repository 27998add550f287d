// Any bytes at all as a kit file loaded by a fresh instrument: the file is checked whole without
// a read outside it, a refused file changes nothing, and what a loaded one leaves behind saves
// and loads again to the same kit. An input whose first byte is odd has the rest given a
// well-formed current header (its record count from the second byte) and is padded to hold its
// records, so the fuzzer reaches the records as well as the header.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/platform/Files.h"
#include "plugin/core/VornDrums.h"
#include "plugin/files/KitFile.h"

namespace {

VstIntPtr fuzzHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

const std::string& workFolder() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/rimba-kit-fuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (made == nullptr)
            std::abort();
        return std::string(made);
    }();
    static const bool removedAtExit = std::atexit([] { std::filesystem::remove_all(workFolder()); }) == 0;
    (void)removedAtExit;
    return folder;
}

std::unique_ptr<rimba::VornDrums> freshInstrument() {
    return std::make_unique<rimba::VornDrums>(fuzzHost, [](rimba::InstrumentSettings& settings, bool) {
        settings.filesPath = workFolder() + "/library";
        settings.programFile.clear();
        return false;
    });
}

void putLittleEndian(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        file[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::vector<std::uint8_t> withCurrentHeader(const std::uint8_t* bytes, std::size_t count) {
    const std::uint32_t records = count > 1 ? bytes[1] % 17 : 1;
    std::vector<std::uint8_t> file(rimba::kit::kHeaderBytes, 0);
    for (std::size_t i = 2; i < count; ++i)
        file.push_back(bytes[i]);
    // Short inputs are padded with empty records, so small inputs already load.
    const std::size_t wanted = rimba::kit::kHeaderBytes + records * rimba::kit::kRecordBytes;
    while (file.size() < wanted)
        file.push_back(0);
    putLittleEndian(file, 0, static_cast<std::uint32_t>(file.size()));
    putLittleEndian(file, 4, records);
    putLittleEndian(file, 8, 1480);
    file[12] = 0;
    file[13] = 0;
    file[14] = 0x05;
    file[15] = 0xC8;
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t count) {
    static const auto keeper = freshInstrument();
    const std::vector<std::uint8_t> file =
        count > 0 && (bytes[0] & 1) ? withCurrentHeader(bytes, count) : std::vector<std::uint8_t>(bytes, bytes + count);
    const std::string input = workFolder() + "/input.drs";
    if (!rimba::platform::writeFileAtomically(input, file))
        std::abort();

    const bool readable = rimba::readKitFile(file).has_value();
    const auto drums = freshInstrument();
    const std::vector<std::uint8_t> before = drums->buildChunk();
    const bool loaded = drums->loadKit(input);
    if (loaded != readable)
        std::abort();
    if (!loaded) {
        if (drums->buildChunk() != before)
            std::abort();
        return 0;
    }
    const std::string saved = workFolder() + "/saved.drs";
    if (!drums->saveKit(saved))
        std::abort();
    const auto second = freshInstrument();
    if (!second->loadKit(saved))
        std::abort();
    const std::string again = workFolder() + "/again.drs";
    if (!second->saveKit(again))
        std::abort();
    if (rimba::platform::readWholeFile(saved) != rimba::platform::readWholeFile(again))
        std::abort();
    return 0;
}
