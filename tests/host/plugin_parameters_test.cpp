// The 240 parameters and the private standalone indexes as a host sees them.

#include <string>

#include <gtest/gtest.h>

#include "tests/host/TestHost.h"

namespace rimba::test {
namespace {

class PluginParameters : public ::testing::Test {
protected:
    void SetUp() override {
        hostRecord() = HostRecord{};
        ASSERT_TRUE(library.loaded());
        effect = library.create();
        ASSERT_NE(effect, nullptr);
    }
    void TearDown() override {
        if (effect)
            closeEffect(effect);
    }

    std::string name(VstInt32 index) { return textAnswer(effect, effGetParamName, index); }
    std::string display(VstInt32 index) { return textAnswer(effect, effGetParamDisplay, index); }
    void set(VstInt32 index, float value) { effect->setParameter(effect, index, value); }
    float get(VstInt32 index) { return effect->getParameter(effect, index); }

    PluginLibrary library;
    AEffect* effect = nullptr;
};

const char* const kSlotNames[] = {"Level",          "Pan",           "Effect1", "Effect2",       "Tune",
                                  "Level Velocity", "Tune Velocity", "Mute",    "Pattern Random"};

TEST_F(PluginParameters, EveryTrackNamesItsNineParametersAndLeavesTheRestEmpty) {
    for (VstInt32 index = 0; index < 240; ++index) {
        const int track = index / 20;
        const int slot = index % 20;
        const std::string expected = slot < 9 ? std::to_string(track + 1) + " " + kSlotNames[slot] : "";
        EXPECT_EQ(name(index), expected) << index;
    }
    EXPECT_EQ(name(21), "2 Pan");
    EXPECT_EQ(name(239), "");
    EXPECT_EQ(name(240), "");
    EXPECT_EQ(name(-1), "");
}

TEST_F(PluginParameters, DisplaysFollowEachSlotsFormat) {
    EXPECT_EQ(display(0), "0.87");  // the default level
    EXPECT_EQ(display(1), "0.00");  // centre pan shows as 0
    set(21, 1.0f);
    EXPECT_EQ(display(21), "1.00");
    set(44, 3.0f);  // track 3 tuned 3 semitones
    EXPECT_EQ(display(44), "5.00");
    EXPECT_EQ(get(44), 3.0f);  // host values are the settings unscaled
    set(5, 0.25f);
    EXPECT_EQ(display(5), "0.25");
    EXPECT_EQ(display(8), "");
    EXPECT_EQ(display(9), "");
}

TEST_F(PluginParameters, MuteShowsOnOnlyForExactlyOne) {
    EXPECT_EQ(display(7), "off");
    set(7, 1.0f);
    EXPECT_EQ(display(7), "on");
    set(7, 0.999f);
    EXPECT_EQ(display(7), "off");
    set(7, 2.0f);
    EXPECT_EQ(display(7), "off");
}

TEST_F(PluginParameters, WritesAreReadBackUnscaled) {
    for (VstInt32 track = 0; track < 12; ++track) {
        for (VstInt32 slot = 0; slot < 8; ++slot) {
            const VstInt32 index = track * 20 + slot;
            const float value = 0.01f * static_cast<float>(index % 97);
            set(index, value);
            EXPECT_EQ(get(index), value) << index;
        }
    }
}

TEST_F(PluginParameters, SlotsWithoutMeaningIgnoreWritesAndReadZero) {
    set(8, 0.0f);
    set(9, 0.7f);
    set(239, 0.7f);
    set(240, 0.7f);
    set(-3, 0.7f);
    EXPECT_EQ(get(9), 0.0f);
    EXPECT_EQ(get(239), 0.0f);
    EXPECT_EQ(get(240), 0.0f);
    EXPECT_EQ(get(-3), 0.0f);
}

TEST_F(PluginParameters, PatternRandomPlacesKeystrokesYetReadsZero) {
    set(8, 0.25f);
    EXPECT_EQ(get(8), 0.0f);
}

TEST_F(PluginParameters, ThePrivateIndexesServeTheStandaloneHost) {
    EXPECT_EQ(get(0x20000), 44100.0f);
    EXPECT_EQ(get(0x20001), 1024.0f);
    EXPECT_EQ(display(0x20002), "");
    EXPECT_EQ(display(0x20003), "");
    EXPECT_EQ(get(0x20004), 1.0f);
    set(0x20004, 0.0f);  // the value is ignored: it toggles
    EXPECT_EQ(get(0x20004), 0.0f);
    set(0x20004, 0.0f);
    EXPECT_EQ(get(0x20004), 1.0f);
}

TEST_F(PluginParameters, ProgramsAreNotDeclaredAndKeepTheirNumber) {
    EXPECT_EQ(dispatch(effect, effGetProgram), 0);
    dispatch(effect, effSetProgram, 0, 3);  // 0 programs declared: the request is ignored
    EXPECT_EQ(dispatch(effect, effGetProgram), 0);
    EXPECT_EQ(textAnswer(effect, effGetProgramName), "RimbaDrums_64");
}

}  // namespace
}  // namespace rimba::test
