// Bank and preset images of a hosted plug-in, against a fake plug-in of the test's own: the
// layouts field by field, round trips of both kinds, and images that must change nothing.

#include <gtest/gtest.h>

#include <functional>

#include "plugin/effects/EffectImages.h"
#include "tests/plugin/effects/FakeEffect.h"

namespace rimba::test {
namespace {

TEST(EffectImages, ARegularPresetOfTenParametersIsAHundredBytesWithItsValuesFromSixty) {
    FakeEffect fake(4, 10, false);
    fake.state.current = 2;
    const std::vector<std::uint8_t> image = *buildPresetImage(fake.effect, true);
    ASSERT_EQ(image.size(), 100u);
    EXPECT_EQ(textAt(image, 0, 4), "CcnK");
    EXPECT_EQ(be32At(image, 4), 0u);
    EXPECT_EQ(textAt(image, 8, 4), "FxCk");
    EXPECT_EQ(be32At(image, 12), 1u);
    EXPECT_EQ(be32At(image, 16), static_cast<std::uint32_t>(kFakeId));
    EXPECT_EQ(be32At(image, 20), static_cast<std::uint32_t>(kFakeVersion));
    EXPECT_EQ(be32At(image, 24), 10u);
    EXPECT_EQ(textAt(image, 28, 28), "Program 2");
    EXPECT_EQ(be32At(image, 56), 0u);
    for (std::size_t p = 0; p < 10; ++p)
        EXPECT_EQ(beFloatAt(image, 60 + 4 * p), fake.state.values[2][p]) << p;
    EXPECT_EQ(*buildPresetImage(fake.effect, false), image);
}

TEST(EffectImages, ABankOfFourProgramsOfTenParametersIs540BytesAndLeavesTheCurrentProgram) {
    FakeEffect fake(4, 10, false);
    fake.state.current = 3;
    const std::vector<std::uint8_t> image = *buildBankImage(fake.effect, true);
    ASSERT_EQ(image.size(), 540u);
    EXPECT_EQ(textAt(image, 8, 4), "FxBk");
    EXPECT_EQ(be32At(image, 24), 4u);
    EXPECT_TRUE(std::all_of(image.begin() + 28, image.begin() + 156, [](std::uint8_t b) { return b == 0; }));
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t at = 156 + 96 * i;
        EXPECT_EQ(textAt(image, at, 4), "CcnK");
        EXPECT_EQ(textAt(image, at + 8, 4), "FxCk");
        EXPECT_EQ(be32At(image, at + 16), static_cast<std::uint32_t>(kFakeId));
        EXPECT_EQ(be32At(image, at + 24), 10u);
        EXPECT_EQ(textAt(image, at + 28, 28), "Program " + std::to_string(i));
        for (std::size_t p = 0; p < 10; ++p)
            EXPECT_EQ(beFloatAt(image, at + 56 + 4 * p), fake.state.values[i][p]) << i << " " << p;
    }
    EXPECT_EQ(fake.state.current, 3);
    EXPECT_EQ(fake.strayCalls, 0);
    EXPECT_EQ(*buildBankImage(fake.effect, false), image);
}

TEST(EffectImages, ChunkImagesCarryThePluginsChunksAndWithoutHeaderAreTheRawChunks) {
    FakeEffect fake(3, 5, true);
    fake.state.current = 1;
    const std::vector<std::uint8_t> bank = *buildBankImage(fake.effect, true);
    EXPECT_EQ(bank, chunkBankLayout(fake.bankChunk(), 3));
    EXPECT_EQ(*buildBankImage(fake.effect, false), fake.bankChunk());
    const std::vector<std::uint8_t> preset = *buildPresetImage(fake.effect, true);
    EXPECT_EQ(preset, chunkPresetLayout(fake.programBytes(1), "Program 1", 5));
    EXPECT_EQ(*buildPresetImage(fake.effect, false), fake.programBytes(1));
}

TEST(EffectImages, AProgramNameIsCutToItsFieldWithATerminatingZero) {
    FakeEffect fake(1, 2, false);
    fake.state.names[0] = std::string(40, 'n');
    const std::vector<std::uint8_t> image = *buildPresetImage(fake.effect, true);
    EXPECT_EQ(textAt(image, 28, 28), std::string(27, 'n'));
    EXPECT_EQ(image[55], 0);
}

// --- round trips ------------------------------------------------------------------------------

// The smallest images: no programs (the bank's header alone), programs of no parameters (a bank's
// program headers, a preset's header alone), and counts below zero taken as none.
TEST(EffectImages, ImagesOfPluginsWithoutProgramsOrParametersAreTheirHeadersAndLoadBack) {
    struct Row {
        int programs;
        int parameters;
        std::size_t bankBytes;
        std::size_t presetBytes;
    };
    for (const Row row : {Row{0, 3, 156, 72}, Row{1, 0, 212, 60}, Row{2, 0, 268, 60}, Row{0, 0, 156, 60},
                          Row{-1, -1, 156, 60}, Row{1, 1, 216, 64}}) {
        const std::string trace = std::to_string(row.programs) + " x " + std::to_string(row.parameters);
        FakeEffect source(row.programs, row.parameters, false, 0.0f);
        FakeEffect target(row.programs, row.parameters, false, 0.5f);
        const Result<std::vector<std::uint8_t>> bank = buildBankImage(source.effect, true);
        const Result<std::vector<std::uint8_t>> preset = buildPresetImage(source.effect, true);
        ASSERT_TRUE(bank) << trace << ": " << bank.reason();
        ASSERT_TRUE(preset) << trace << ": " << preset.reason();
        EXPECT_EQ(bank->size(), row.bankBytes) << trace;
        EXPECT_EQ(be32At(*bank, 24), static_cast<std::uint32_t>(std::max(row.programs, 0))) << trace;
        EXPECT_EQ(preset->size(), row.presetBytes) << trace;
        const Result<> bankTaken = applyBankImage(target.effect, *bank);
        EXPECT_TRUE(bankTaken) << trace << ": " << bankTaken.reason();
        EXPECT_EQ(target.state, source.state) << trace;
        const Result<> presetTaken = applyPresetImage(target.effect, *preset);
        EXPECT_TRUE(presetTaken) << trace << ": " << presetTaken.reason();
        EXPECT_EQ(target.strayCalls, 0) << trace;
        EXPECT_EQ(source.strayCalls, 0) << trace;
    }
}

// A plug-in declaring more than PluginLimits.h hosts gets no image, and is not asked for one.
TEST(EffectImages, APluginDeclaringMoreThanTheHostedCountsIsRefusedAnImageWithoutBeingAsked) {
    for (const bool chunks : {false, true}) {
        FakeEffect programs(2, 3, chunks);
        programs.effect.numPrograms = 16385;
        EXPECT_FALSE(buildBankImage(programs.effect, true)) << chunks;
        EXPECT_FALSE(buildPresetImage(programs.effect, true)) << chunks;
        EXPECT_TRUE(programs.calls.empty()) << chunks;
        FakeEffect parameters(2, 3, chunks);
        parameters.effect.numParams = 16385;
        EXPECT_FALSE(buildBankImage(parameters.effect, false)) << chunks;
        EXPECT_FALSE(buildPresetImage(parameters.effect, false)) << chunks;
        EXPECT_TRUE(parameters.calls.empty()) << chunks;
    }
}

struct TripRow {
    const char* name;
    bool chunks;
    bool bank;
};

class RoundTrips : public ::testing::TestWithParam<TripRow> {};

TEST_P(RoundTrips, AnImageRestoresNamesValuesAndTheCurrentProgram) {
    const TripRow row = GetParam();
    FakeEffect source(4, 10, row.chunks, 0.0f);
    source.state.names[2] = "Saved Two";
    source.state.current = 2;
    FakeEffect target(4, 10, row.chunks, 0.5f);
    target.state.current = 2;
    const FakeEffect::State before = target.state;
    const auto image = row.bank ? *buildBankImage(source.effect, true) : *buildPresetImage(source.effect, true);
    const Result<> applied = row.bank ? applyBankImage(target.effect, image) : applyPresetImage(target.effect, image);
    ASSERT_TRUE(applied) << applied.reason();
    if (row.bank) {
        EXPECT_EQ(target.state, source.state);
    } else {
        FakeEffect::State expected = before;
        expected.names[2] = "Saved Two";
        expected.values[2] = source.state.values[2];
        EXPECT_EQ(target.state, expected);
    }
    EXPECT_EQ(target.strayCalls, 0);
    EXPECT_EQ(source.strayCalls, 0);
}

INSTANTIATE_TEST_SUITE_P(EffectImages, RoundTrips,
                         ::testing::Values(TripRow{"RegularBank", false, true}, TripRow{"ChunkBank", true, true},
                                           TripRow{"RegularPreset", false, false}, TripRow{"ChunkPreset", true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EffectImages, AChunkPresetIsHandedOverBetweenBeginAndEndAndThenNamed) {
    FakeEffect source(2, 3, true);
    FakeEffect target(2, 3, true, 0.5f);
    ASSERT_TRUE(applyPresetImage(target.effect, *buildPresetImage(source.effect, true)));
    const std::vector<EffectCall> expected{{effBeginSetProgram, 0, 0},
                                           {effSetChunk, 1, static_cast<VstIntPtr>(source.programBytes(0).size())},
                                           {effEndSetProgram, 0, 0},
                                           {effSetProgramName, 0, 0}};
    EXPECT_EQ(target.calls, expected);
}

// --- what is taken and what is refused --------------------------------------------------------

std::vector<std::uint8_t> presetFromAnotherPlugin(VstInt32 id) {
    return regularPresetLayout({"Foreign", std::vector<float>(10, 0.25f)}, id);
}

TEST(EffectImages, APresetOfAnotherPluginIsRefusedUnlessItsIdIs451t) {
    struct Row {
        VstInt32 id;
        bool taken;
    };
    for (const Row row : {Row{kFakeId, true}, Row{fourCharCode('4', '5', '1', 't'), true},
                          Row{fourCharCode('O', 't', 'h', 'r'), false}, Row{fourCharCode('t', '1', '5', '4'), false}}) {
        FakeEffect fake(4, 10, false);
        const FakeEffect::State before = fake.state;
        const Result<> applied = applyPresetImage(fake.effect, presetFromAnotherPlugin(row.id));
        EXPECT_EQ(applied.ok(), row.taken) << row.id;
        if (row.taken) {
            EXPECT_EQ(fake.state.values[0], std::vector<float>(10, 0.25f));
            EXPECT_EQ(fake.state.names[0], "Foreign");
        } else {
            EXPECT_EQ(fake.state, before);
            EXPECT_TRUE(fake.calls.empty());
            EXPECT_NE(applied.reason().find("another plug-in"), std::string::npos) << applied.reason();
        }
    }
}

TEST(EffectImages, ABankIsTakenOnlyWithThePluginsOwnId) {
    FakeEffect fake(2, 3, false);
    const FakeEffect::State before = fake.state;
    const std::vector<std::uint8_t> image =
        regularBankLayout({{"A", {1, 2, 3}}, {"B", {4, 5, 6}}}, 3, fourCharCode('4', '5', '1', 't'));
    EXPECT_FALSE(applyBankImage(fake.effect, image));
    EXPECT_EQ(fake.state, before);
    EXPECT_TRUE(fake.calls.empty());
}

TEST(EffectImages, AChunkPresetIntoAPluginWithoutChunksIsAcceptedAndChangesNothing) {
    FakeEffect fake(2, 3, false);
    const FakeEffect::State before = fake.state;
    const Result<> applied = applyPresetImage(fake.effect, chunkPresetLayout({1, 2, 3, 4}, "Chunky", 3));
    EXPECT_TRUE(applied) << applied.reason();
    EXPECT_EQ(fake.state, before);
    EXPECT_TRUE(fake.calls.empty());
}

TEST(EffectImages, AChunkBankIntoAPluginWithoutChunksIsRefused) {
    FakeEffect fake(2, 3, false);
    const FakeEffect::State before = fake.state;
    EXPECT_FALSE(applyBankImage(fake.effect, chunkBankLayout({1, 2, 3, 4}, 2)));
    EXPECT_EQ(fake.state, before);
    EXPECT_TRUE(fake.calls.empty());
}

TEST(EffectImages, AMagicInReversedByteOrderIsTaken) {
    FakeEffect fake(2, 3, false);
    std::vector<std::uint8_t> preset = regularPresetLayout({"Reversed", {0.5f, 0.25f, 0.125f}});
    std::vector<std::uint8_t> bank = regularBankLayout({{"R0", {1, 2, 3}}, {"R1", {4, 5, 6}}}, 3);
    putText(preset, 0, "KncC");
    putText(bank, 0, "KncC");
    ASSERT_TRUE(applyPresetImage(fake.effect, preset));
    EXPECT_EQ(fake.state.names[0], "Reversed");
    ASSERT_TRUE(applyBankImage(fake.effect, bank));
    EXPECT_EQ(fake.state.names, (std::vector<std::string>{"R0", "R1"}));
    EXPECT_EQ(fake.state.values[1], (std::vector<float>{4, 5, 6}));
}

// Where the image and the plug-in differ in their counts, only what both have is given; nothing
// reaches a program or parameter the plug-in does not have.
TEST(EffectImages, ABankOfOtherCountsGivesOnlyWhatBothHave) {
    struct Row {
        int programs;
        int parameters;
    };
    for (const Row row : {Row{6, 10}, Row{2, 10}, Row{4, 12}, Row{4, 7}, Row{7, 13}}) {
        FakeEffect source(row.programs, row.parameters, false, 0.0f);
        FakeEffect target(4, 10, false, 0.5f);
        target.state.current = 1;
        const FakeEffect::State before = target.state;
        ASSERT_TRUE(applyBankImage(target.effect, *buildBankImage(source.effect, true)));
        EXPECT_EQ(target.strayCalls, 0) << row.programs << "x" << row.parameters;
        EXPECT_EQ(target.state.current, 1);
        for (std::size_t i = 0; i < 4; ++i) {
            const bool given = static_cast<int>(i) < row.programs;
            EXPECT_EQ(target.state.names[i], given ? source.state.names[i] : before.names[i]);
            for (std::size_t p = 0; p < 10; ++p) {
                const bool valueGiven = given && static_cast<int>(p) < row.parameters;
                EXPECT_EQ(target.state.values[i][p], valueGiven ? source.state.values[i][p] : before.values[i][p])
                    << row.programs << "x" << row.parameters << " program " << i << " value " << p;
            }
        }
    }
}

TEST(EffectImages, APresetOfMoreValuesThanTheParametersGivesOnlyThePluginsParameters) {
    FakeEffect fake(1, 4, false);
    ASSERT_TRUE(applyPresetImage(fake.effect, regularPresetLayout({"Long", {1, 2, 3, 4, 5, 6, 7}})));
    EXPECT_EQ(fake.strayCalls, 0);
    EXPECT_EQ(fake.state.values[0], (std::vector<float>{1, 2, 3, 4}));
}

// Every image cut anywhere short of its end is refused before the plug-in hears of it.
TEST(EffectImages, EveryTruncatedImageIsRefusedAndChangesNothing) {
    struct Kind {
        const char* name;
        bool chunks;
        bool bank;
    };
    for (const Kind kind : {Kind{"regular bank", false, true}, Kind{"chunk bank", true, true},
                            Kind{"regular preset", false, false}, Kind{"chunk preset", true, false}}) {
        FakeEffect source(3, 4, kind.chunks);
        const auto image = kind.bank ? *buildBankImage(source.effect, true) : *buildPresetImage(source.effect, true);
        for (std::size_t length = 0; length < image.size(); ++length) {
            FakeEffect target(3, 4, kind.chunks, 0.5f);
            const FakeEffect::State before = target.state;
            const std::span<const std::uint8_t> cut(image.data(), length);
            const Result<> applied =
                kind.bank ? applyBankImage(target.effect, cut) : applyPresetImage(target.effect, cut);
            EXPECT_FALSE(applied) << kind.name << " cut to " << length;
            EXPECT_FALSE(applied.reason().empty());
            EXPECT_EQ(target.state, before);
            EXPECT_TRUE(target.calls.empty()) << kind.name << " cut to " << length;
        }
    }
}

// One field of a good image changed.
struct DamageRow {
    const char* what;
    bool chunks;
    bool bank;
    std::size_t offset;
    std::uint32_t value;  // big-endian at offset
};

class DamagedImages : public ::testing::TestWithParam<DamageRow> {};

TEST_P(DamagedImages, AreRefusedAndChangeNothing) {
    const DamageRow row = GetParam();
    FakeEffect source(3, 4, row.chunks);
    auto image = row.bank ? *buildBankImage(source.effect, true) : *buildPresetImage(source.effect, true);
    putBe32(image, row.offset, row.value);
    FakeEffect target(3, 4, row.chunks, 0.5f);
    const FakeEffect::State before = target.state;
    const Result<> applied = row.bank ? applyBankImage(target.effect, image) : applyPresetImage(target.effect, image);
    EXPECT_FALSE(applied);
    EXPECT_EQ(target.state, before);
    EXPECT_TRUE(target.calls.empty());
}

constexpr std::uint32_t tag(const char* t) { return static_cast<std::uint32_t>(fourCharCode(t[0], t[1], t[2], t[3])); }
constexpr std::uint32_t kMinusOne = 0xFFFFFFFFu;

// Regular bank: 3 programs of 4 values, 72 bytes each from 156. Preset: values from 60.
INSTANTIATE_TEST_SUITE_P(
    EffectImages, DamagedImages,
    ::testing::Values(DamageRow{"BankMagic", false, true, 0, tag("CcnX")}, DamageRow{"BankVersion", false, true, 12, 2},
                      DamageRow{"BankType", false, true, 8, tag("FxCk")},
                      DamageRow{"NegativeProgramCount", false, true, 24, kMinusOne},
                      DamageRow{"MoreProgramsThanTheBankHolds", false, true, 24, 4},
                      DamageRow{"HugeProgramCount", false, true, 24, 0x7FFFFFFFu},
                      DamageRow{"NegativeFirstProgramValues", false, true, 156 + 24, kMinusOne},
                      DamageRow{"FirstProgramLongerThanTheBank", false, true, 156 + 24, 5},
                      DamageRow{"LaterProgramLongerThanTheStride", false, true, 156 + 72 + 24, 5},
                      DamageRow{"LaterProgramNegativeValues", false, true, 156 + 144 + 24, kMinusOne},
                      DamageRow{"ChunkBankSizePastTheEnd", true, true, 156, 10000},
                      DamageRow{"ChunkBankNegativeSize", true, true, 156, kMinusOne},
                      DamageRow{"ChunkBankEmptyChunk", true, true, 156, 0},
                      DamageRow{"ChunkBankNegativeProgramCount", true, true, 24, kMinusOne},
                      DamageRow{"PresetVersion", false, false, 12, 0},
                      DamageRow{"PresetType", false, false, 8, tag("FxBk")},
                      DamageRow{"PresetNegativeValues", false, false, 24, kMinusOne},
                      DamageRow{"PresetMoreValuesThanItHolds", false, false, 24, 5},
                      DamageRow{"PresetHugeValueCount", false, false, 24, 0x7FFFFFFFu},
                      DamageRow{"ChunkPresetSizePastTheEnd", true, false, 56, 10000},
                      DamageRow{"ChunkPresetNegativeSize", true, false, 56, 0x80000000u},
                      DamageRow{"ChunkPresetOfAnotherPlugin", true, false, 16, tag("Othr")}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace rimba::test
