// The instrument's settings read from and written to the per-user store.

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "plugin/core/StoredSettings.h"
#include "tests/common/platform/TempFolder.h"

namespace rimba {
namespace {

using platform::fixtures::TempFolder;
using settings::SettingsStore;

class StoredSettings : public ::testing::Test {
protected:
    void SetUp() override {
        savedData = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
        setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
    }
    void TearDown() override {
        if (savedData.empty())
            unsetenv("XDG_DATA_HOME");
        else
            setenv("XDG_DATA_HOME", savedData.c_str(), 1);
    }

    TempFolder folder;
    SettingsStore store{"RimbaDrums_64", folder / "config"};
    std::string savedData;
    std::string library() { return folder / "data/VORN Studio/Rimba Drums"; }
};

TEST_F(StoredSettings, ACleanStoreIsAFirstRunWithEveryDefault) {
    InstrumentSettings s;
    EXPECT_TRUE(loadSettings(store, s, false));
    EXPECT_EQ(s.trackCount(), 12);
    EXPECT_EQ(s.masterLevel, 127.0f);
    for (int t = 0; t < kTrackSlots; ++t)
        EXPECT_EQ(s.trackKey[static_cast<std::size_t>(t)], 36.0f + static_cast<float>(t));
    EXPECT_EQ(s.programFile, library() + "/Programs/RimbaRand.fxp");
    EXPECT_EQ(s.drumKitFile, library() + "/Drum Kits/RimbaRand.drs");
    EXPECT_EQ(s.patternSetFile, library() + "/Patterns/Rimbastyle.ptn");
    EXPECT_EQ(s.drumFilesPath, library() + "/Samples/");
    EXPECT_EQ(s.drumSaveFilesPath, library() + "/Samples/");
    EXPECT_EQ(s.synthFilesPath, library() + "/SynthSounds/Synth/");
    EXPECT_EQ(s.patternTriggerMidiKey, -1);
    EXPECT_EQ(s.enableMidiProgramChange, 1);
}

TEST_F(StoredSettings, WhatIsSavedComesBackAndIsNoLongerAFirstRun) {
    InstrumentSettings out;
    out.masterLevel = 90.0f;
    out.channelNumber = 8;
    out.receiveMidiChannel = 10;
    out.patternTriggerMidiKey = -1;
    out.trackKey[3] = 60.0f;
    out.programFile = "/somewhere/else/Groove.fxp";
    out.exportMidiFilePath = "/tmp/out.mid";
    saveSettings(store, out, false);

    InstrumentSettings in;
    EXPECT_FALSE(loadSettings(store, in, false));
    EXPECT_EQ(in.masterLevel, 90.0f);
    EXPECT_EQ(in.trackCount(), 8);
    EXPECT_EQ(in.receiveMidiChannel, 10);
    EXPECT_EQ(in.trackKey[3], 60.0f);
    EXPECT_EQ(in.trackKey[4], 40.0f);
    EXPECT_EQ(in.programFile, "/somewhere/else/Groove.fxp");
    EXPECT_EQ(in.exportMidiFilePath, "/tmp/out.mid");
    EXPECT_EQ(static_cast<std::int32_t>(*store.readNumber("Settings", "PatternTriggerMidiKey")), -1);
}

TEST_F(StoredSettings, MidiKeysOfTheProgramAreWrittenButNotReadBack) {
    InstrumentSettings out;
    out.muteMidiKey = 1;
    out.patternTriggerMidiKey = 48;
    saveSettings(store, out, false);
    InstrumentSettings in;
    loadSettings(store, in, false);
    EXPECT_EQ(in.muteMidiKey, 0);  // they come with the program, not the settings
    EXPECT_EQ(in.patternTriggerMidiKey, -1);
    EXPECT_EQ(store.readNumber("Settings", "PatternTriggerMidiKey"), 48u);
}

TEST_F(StoredSettings, AnOffTriggerKeyIsStoredAsAllBitsSetAndReadsBackAsOff) {
    InstrumentSettings out;
    out.patternTriggerMidiKey = -1;
    saveSettings(store, out, false);
    EXPECT_EQ(store.readNumber("Settings", "PatternTriggerMidiKey"), 0xFFFFFFFFu);
    // Read back as the signed number it is (a later version may read it again).
    EXPECT_EQ(static_cast<std::int32_t>(*store.readNumber("Settings", "PatternTriggerMidiKey")), -1);
}

TEST_F(StoredSettings, AnEffectFolderWithoutATrailingSeparatorGetsOne) {
    store.writeText("Settings", "EffectPath", "/opt/effects");
    InstrumentSettings s;
    loadSettings(store, s, false);
    EXPECT_EQ(s.effectPath, "/opt/effects/");
}

TEST_F(StoredSettings, TheFilesPathMovesEveryDerivedDefault) {
    store.writeText("Settings", "FilesPath", "/music/Rimba");
    InstrumentSettings s;
    loadSettings(store, s, false);
    EXPECT_EQ(s.programFile, "/music/Rimba/Programs/RimbaRand.fxp");
    EXPECT_EQ(s.drumFilesPath, "/music/Rimba/Samples/");
    EXPECT_EQ(s.synthFilesPath, "/music/Rimba/SynthSounds/Synth/");
}

TEST_F(StoredSettings, StandaloneOnlyValuesStayOutOfAHost) {
    InstrumentSettings out;
    out.audioDevice = "JACK";
    out.standaloneSampleRate = 48000;
    saveSettings(store, out, false);
    EXPECT_FALSE(store.contains("Settings", "AudioDevice"));
    EXPECT_FALSE(store.contains("Settings", "SampleRate"));
    saveSettings(store, out, true);
    store.writeNumber("Settings", "SampleRate", 96000);
    InstrumentSettings inHost;
    loadSettings(store, inHost, false);
    EXPECT_EQ(inHost.standaloneSampleRate, 44100);
    EXPECT_EQ(inHost.audioDevice, "");
    InstrumentSettings standalone;
    loadSettings(store, standalone, true);
    EXPECT_EQ(standalone.standaloneSampleRate, 96000);
    EXPECT_EQ(standalone.audioDevice, "JACK");
}

TEST_F(StoredSettings, ADamagedStoreGivesTheDefaults) {
    InstrumentSettings out;
    out.masterLevel = 20.0f;
    out.channelNumber = 8;
    saveSettings(store, out, false);
    const std::string file = folder / "config/RimbaDrums_64/Settings.conf";
    std::filesystem::resize_file(file, std::filesystem::file_size(file) / 2);
    InstrumentSettings in;
    EXPECT_TRUE(loadSettings(store, in, false));
    EXPECT_EQ(in.masterLevel, 127.0f);
    EXPECT_EQ(in.trackCount(), 12);
}

}  // namespace
}  // namespace rimba
