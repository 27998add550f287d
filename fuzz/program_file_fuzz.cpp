// Any bytes at all as a program file loaded by a fresh instrument: the file is found, checked
// and handed to setChunk without a read outside it, and what the instrument then holds is a
// state it can save and load again. An input whose first byte is odd has the rest wrapped in a
// well-formed header, so the fuzzer reaches the block inside as well as the header itself.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/platform/Files.h"
#include "common/platform/MessageBox.h"
#include "plugin/core/VornDrums.h"
#include "plugin/files/ProgramFile.h"

namespace {

VstIntPtr fuzzHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

const std::string& workFolder() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/rimba-program-fuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (made == nullptr)
            std::abort();
        // The message for a foreign file would otherwise fill the log.
        rimba::platform::setMessagePresenter([](const std::string&, const std::string&) {});
        return std::string(made);
    }();
    // Registered once the name exists, so it is removed before the name is destroyed.
    static const bool removedAtExit = std::atexit([] { std::filesystem::remove_all(workFolder()); }) == 0;
    (void)removedAtExit;
    return folder;
}

std::unique_ptr<rimba::VornDrums> freshInstrument() {
    return std::make_unique<rimba::VornDrums>(fuzzHost, [](rimba::InstrumentSettings& settings, bool) {
        settings.filesPath = workFolder() + "/library";
        settings.programFile = workFolder() + "/input.fxp";
        return false;
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t count) {
    static const auto keeper = freshInstrument();
    std::vector<std::uint8_t> file(bytes, bytes + count);
    if (count > 0 && (bytes[0] & 1))
        file = rimba::programFileBytes({bytes + 1, count - 1}, 1, "fuzz");
    const std::uint8_t* data = file.data();
    const std::size_t size = file.size();
    const std::string input = workFolder() + "/input.fxp";
    if (!rimba::platform::writeFileAtomically(input, file))
        std::abort();

    const rimba::ProgramFileBlock found = rimba::findProgramFileBlock(file);
    if (found.block && (found.block->data() < data || found.block->data() + found.block->size() > data + size))
        std::abort();

    const auto drums = freshInstrument();
    const bool loaded = drums->loadProgramFile(input);
    if (loaded && !(found.compatible && found.block))
        std::abort();
    if (!loaded)
        return 0;
    const std::string saved = workFolder() + "/saved.fxp";
    if (!drums->saveProgramFile(saved))
        std::abort();
    const auto second = freshInstrument();
    if (!second->loadProgramFile(saved))
        std::abort();
    std::vector<std::uint8_t> first = drums->buildChunk();
    if (second->buildChunk() != first)
        std::abort();
    return 0;
}
