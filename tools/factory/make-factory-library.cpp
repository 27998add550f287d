// make-factory-library FOLDER: writes the instrument's factory library into FOLDER, in the
// library layout (Samples, Drum Kits, Patterns, Programs, SynthSounds/Synth). Everything in it
// is made here: the sounds by synthesis, the kits, pattern set and program by the instrument's
// own savers, with the sounds' paths stored relative to the library.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "common/platform/Files.h"
#include "plugin/core/PatternSets.h"
#include "plugin/core/VornDrums.h"
#include "tests/support/InstrumentProbe.h"
#include "plugin/files/WaveWriter.h"
#include "tools/factory/DrumSounds.h"
#include "tools/factory/FactoryKits.h"
#include "tools/factory/Grooves.h"

namespace {

using namespace rimba;

VstIntPtr generatorHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

bool fail(const std::string& message) {
    std::fprintf(stderr, "make-factory-library: %s\n", message.c_str());
    return false;
}

bool makeLayout(const std::string& library) {
    for (const char* folder : {"Samples", "Drum Kits", "Patterns", "Programs", "SynthSounds/Synth"})
        if (!platform::makeFolders(library + "/" + folder))
            return fail(std::string("cannot create ") + library + "/" + folder);
    return true;
}

// The twelve sounds as WAV files; their paths in track order.
bool writeSounds(const std::string& library, std::vector<std::string>& paths) {
    for (const factory::DrumSound& sound : factory::makeDrumSounds()) {
        const std::string path = library + "/Samples/" + sound.name + ".wav";
        if (writeMonoWave16(path, sound.samples, factory::kSoundRate) != 0)
            return fail("cannot write " + path);
        paths.push_back(path);
    }
    return true;
}

bool makeLibrary(const std::string& library) {
    std::vector<std::string> soundPaths;
    if (!makeLayout(library) || !writeSounds(library, soundPaths))
        return false;

    // An instrument of twelve tracks whose library folder is the one being made, so the savers
    // store the sounds' paths relative to it. Its settings are the defaults, whatever the
    // settings store of the machine that builds holds.
    VornDrums drums(generatorHost, [library](InstrumentSettings& settings, bool) {
        settings = InstrumentSettings{};
        settings.filesPath = library;
        return false;
    });
    drums.newProgram();

    std::string problem;
    if (!factory::writeSong(test::stateOf(drums), problem))
        return fail(problem);
    test::stateOf(drums).tempo = factory::kSongTempo;
    test::stateOf(drums).setPlaying(1);  // the sequencer follows the host's transport from the first start

    factory::applyDefaultKit(drums, soundPaths);
    if (!drums.saveKit(library + "/Drum Kits/Default.drs"))
        return fail("cannot write the Default kit");
    factory::applyRimbaRandKit(drums, soundPaths);
    if (!drums.saveKit(library + "/Drum Kits/RimbaRand.drs"))
        return fail("cannot write the RimbaRand kit");
    if (!savePatternSet(drums.state(), library + "/Patterns/Rimbastyle.ptn"))
        return fail("cannot write the Rimbastyle pattern set");
    const std::string program = library + "/Programs/RimbaRand.fxp";
    drums.setRememberedPath(VornDrums::RememberedPath::programFile,
                            program);  // the program takes its name from its file
    if (!drums.saveProgramFile(program))
        return fail("cannot write the RimbaRand program");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == 0) {
        std::fprintf(stderr, "usage: make-factory-library FOLDER\n");
        return 2;
    }
    std::error_code error;
    std::string folder = std::filesystem::absolute(argv[1], error).lexically_normal().string();
    if (error) {
        fail(std::string("cannot resolve ") + argv[1]);
        return 1;
    }
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return makeLibrary(folder) ? 0 : 1;
}
