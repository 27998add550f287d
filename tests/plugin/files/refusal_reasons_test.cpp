// A refused file says why: each reader's and loader's reason names what is wrong, so the
// companion and a host's standard error can tell a user.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "plugin/core/PatternSets.h"
#include "plugin/files/KitFile.h"
#include "plugin/files/ProgramChunk.h"
#include "plugin/files/ProgramFile.h"
#include "plugin/files/SoundReader.h"
#include "tests/plugin/files/KitFixture.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::chunk_test {
namespace {

struct RefusalCase {
    const char* what;
    std::function<std::string()> reasonOf;  // the reason the reader or loader gave
    const char* expected;  // words the reason must hold
};

std::vector<std::uint8_t> kitOf(int records) {
    Block kit = currentKit(1);
    kit.i32(4, records);
    return kit.bytes;
}

std::vector<std::uint8_t> numberedBlock(std::int32_t version) {
    Block block = emptyBlock(formTable()[6], 1);
    block.i32(4, version);
    block.be32(8, static_cast<std::uint32_t>(version));
    return block.bytes;
}

TEST(RefusalReasons, EachRefusedInputNamesWhatIsWrong) {
    TempFolder folder;
    files::fixtures::writeBytes(folder / "noise.wav", {'R', 'I', 'F', 'X', 1, 2, 3, 4, 5, 6, 7, 8});
    auto drums = makeDrums(8, folder.path());
    const Block nanKit = [] {
        Block kit = currentKit(2);
        kit.f32(kKitHeader + kRecord + kRecordFloats, std::nanf(""));
        return kit;
    }();
    const std::vector<RefusalCase> cases{
        {"a kit of 17 tracks", [] { return readKitFile(kitOf(17)).reason(); }, "kit has 17 tracks; 1 to 16 allowed"},
        {"a kit of no tracks", [] { return readKitFile(kitOf(0)).reason(); }, "kit has 0 tracks"},
        {"a kit cut short",
         [] {
             std::vector<std::uint8_t> kit = currentKit(2).bytes;
             kit.resize(kit.size() - 1);
             return readKitFile(kit).reason();
         },
         "the kit says it holds"},
        {"a kit with a setting that is no number", [&nanKit] { return readKitFile(nanKit.bytes).reason(); },
         "track 2 has a setting that is not a number"},
        {"a chunk of a newer version", [] { return readProgramChunk(numberedBlock(1500)).reason(); },
         "version 1500 is newer than 1480"},
        {"a chunk of 3 bytes", [] { return readProgramChunk(std::vector<std::uint8_t>(3, 0)).reason(); },
         "a block of 3 bytes is too short"},
        {"a chunk naming 17 tracks",
         [] {
             Block block = emptyBlock(formTable()[6], 1);
             block.i32(12, 17);
             return readProgramChunk(block.bytes).reason();
         },
         "the block names 17 tracks"},
        {"a foreign program file",
         [] { return findProgramFileBlock(fxpAround(numberedBlock(1480), "FxCk")).block.reason(); },
         "not a program file of this instrument"},
        {"a program file missing", [&drums, &folder] { return drums->loadProgramFile(folder / "none.fxp").reason(); },
         "cannot read"},
        {"a pattern set missing",
         [&drums, &folder] { return loadPatternSet(test::stateOf(*drums), folder / "none.ptn").reason(); },
         "cannot read"},
        {"a pattern index of 16",
         [&drums, &folder] { return loadPattern(test::stateOf(*drums), folder / "a.pat", 16).reason(); },
         "pattern 16 is outside 0 to 15"},
        {"a sound that is no WAV file", [&folder] { return loadSoundFile(folder / "noise.wav").reason(); },
         "is no WAV file"},
        {"a kit file missing", [&drums, &folder] { return drums->loadKit(folder / "none.drs").reason(); },
         "cannot read"},
    };
    for (const RefusalCase& c : cases)
        EXPECT_NE(c.reasonOf().find(c.expected), std::string::npos) << c.what << ": \"" << c.reasonOf() << "\"";
}

TEST(RefusalReasons, AcceptedInputsGiveNoReason) {
    const Result<KitFile> kit = readKitFile(currentKit(2).bytes);
    ASSERT_TRUE(kit);
    EXPECT_TRUE(kit.reason().empty());
    const Result<ProgramChunk> program = readProgramChunk(numberedBlock(1480));
    ASSERT_TRUE(program) << program.reason();
    EXPECT_TRUE(program.reason().empty());
}

}  // namespace
}  // namespace rimba::chunk_test
