// What a host sees of the plug-in, checked through the VST 2.4 binary interface only.

#include <dirent.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tests/host/TestHost.h"

namespace rimba::test {
namespace {

constexpr VstInt32 kHostOutputs = 18;  // 12 tracks + master, send 1 and send 2 pairs
constexpr VstInt32 kStandaloneSignature = 0x35323249;
// The Linux build carries the editor; the Windows build has none yet.
constexpr VstInt32 kEditorFlag = RIMBA_PLUGIN_HAS_EDITOR ? effFlagsHasEditor : 0;

class PluginEntry : public ::testing::Test {
protected:
    void SetUp() override {
        hostRecord() = HostRecord{};
        ASSERT_TRUE(library.loaded()) << library.loadError();
        ASSERT_NE(library.entry(), nullptr);
    }

    AEffect* createWithVersionAnswer(VstIntPtr answer) {
        hostRecord().versionAnswer = answer;
        return library.create();
    }

    PluginLibrary library;
};

TEST_F(PluginEntry, ExportsTheSameEntryFunctionAsMain) {
    EXPECT_EQ(reinterpret_cast<void*>(library.entry("main")), reinterpret_cast<void*>(library.entry("VSTPluginMain")));
}

TEST_F(PluginEntry, HostAnsweringVersionZeroGetsNoEffect) {
    EXPECT_EQ(createWithVersionAnswer(0), nullptr);
    EXPECT_EQ(library.entry("main")(testHostCallback), nullptr);
}

TEST_F(PluginEntry, DeclaresAnInstrumentOfEighteenOutputsInAHost) {
    AEffect* effect = createWithVersionAnswer(kVstVersion);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->magic, fourCharCode('V', 's', 't', 'P'));
    EXPECT_EQ(effect->numPrograms, 0);
    EXPECT_EQ(effect->numParams, 240);
    EXPECT_EQ(effect->numInputs, 0);
    EXPECT_EQ(effect->numOutputs, kHostOutputs);
    EXPECT_EQ(effect->flags, effFlagsCanReplacing | effFlagsProgramChunks | effFlagsIsSynth | kEditorFlag);
    EXPECT_EQ(effect->uniqueID, 959526251);
    EXPECT_EQ(effect->uniqueID, 0x3931356B);
    EXPECT_EQ(effect->version, 1);
    EXPECT_EQ(effect->initialDelay, 0);
    EXPECT_EQ(effect->ioRatio, 1.0f);
    EXPECT_NE(effect->processReplacing, nullptr);
    EXPECT_NE(effect->setParameter, nullptr);
    EXPECT_NE(effect->getParameter, nullptr);
    closeEffect(effect);
}

TEST_F(PluginEntry, DeclaresTwoOutputsAndItsOwnIdToTheStandaloneHost) {
    AEffect* effect = createWithVersionAnswer(kStandaloneSignature);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->uniqueID, 825647992);
    EXPECT_EQ(effect->uniqueID, 0x31366378);
    EXPECT_EQ(effect->numParams, 240);
    EXPECT_EQ(effect->numInputs, 0);
    EXPECT_EQ(effect->flags, effFlagsCanReplacing | effFlagsProgramChunks | effFlagsIsSynth | kEditorFlag);
    closeEffect(effect);
}

TEST_F(PluginEntry, AnswersTheHostsTextAndNumberQueries) {
    AEffect* effect = createWithVersionAnswer(kVstVersion);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(textAnswer(effect, effGetEffectName), "RimbaDrums_64");
    EXPECT_EQ(textAnswer(effect, effGetProductString), "RimbaDrums_64");
    EXPECT_EQ(textAnswer(effect, effGetVendorString), "VORN");
    EXPECT_EQ(textAnswer(effect, effGetProgramName), "RimbaDrums_64");
    EXPECT_EQ(dispatch(effect, effGetVendorVersion), 1);
    EXPECT_EQ(dispatch(effect, effGetVstVersion), 2400);
    EXPECT_EQ(dispatch(effect, effGetPlugCategory), kPlugCategSynth);
    EXPECT_EQ(dispatch(effect, effGetCurrentMidiProgram), -1);
    EXPECT_EQ(dispatch(effect, effGetProgram), 0);
    VstPinProperties pin{};
    EXPECT_EQ(dispatch(effect, effGetInputProperties, 0, 0, &pin), 0);
    closeEffect(effect);
}

TEST_F(PluginEntry, NamesEveryIndexedProgramAfterItself) {
    AEffect* effect = createWithVersionAnswer(kVstVersion);
    ASSERT_NE(effect, nullptr);
    for (VstInt32 index : {0, 1, 15, 127, -1, 100000}) {
        std::array<char, 64> text{};
        EXPECT_EQ(dispatch(effect, effGetProgramNameIndexed, index, 0, text.data()), 1) << index;
        EXPECT_STREQ(text.data(), "RimbaDrums_64") << index;
    }
    closeEffect(effect);
}

TEST_F(PluginEntry, CanDoAnswersZeroToEveryQuestionYetTakesMidi) {
    AEffect* effect = createWithVersionAnswer(kVstVersion);
    ASSERT_NE(effect, nullptr);
    for (const char* question : {"receiveVstMidiEvent", "receiveVstEvents", "sendVstMidiEvent", "bypass", "", "x"}) {
        std::string text = question;
        EXPECT_EQ(dispatch(effect, effCanDo, 0, 0, text.data()), 0) << question;
    }
    VstMidiEvent note{};
    note.type = kVstMidiType;
    note.byteSize = sizeof note;
    note.midiData[0] = static_cast<char>(0x90);
    note.midiData[1] = 36;
    note.midiData[2] = 100;
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&note);
    EXPECT_EQ(dispatch(effect, effProcessEvents, 0, 0, &events), 1);
    closeEffect(effect);
}

TEST_F(PluginEntry, ResumeAsksTheHostForMidi) {
    AEffect* effect = createWithVersionAnswer(kVstVersion);
    ASSERT_NE(effect, nullptr);
    EXPECT_FALSE(hostRecord().wasAsked(audioMasterWantMidi, 1));
    dispatch(effect, effMainsChanged, 0, 1);
    EXPECT_TRUE(hostRecord().wasAsked(audioMasterWantMidi, 1));
    closeEffect(effect);
}

TEST_F(PluginEntry, KeepsTheSdkDefaultsForOpcodesItDoesNotUse) {
    AEffect* effect = createWithVersionAnswer(kVstVersion);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(dispatch(effect, effSetTotalSampleToProcess, 0, 4321), 4321);
    EXPECT_EQ(dispatch(effect, effGetTailSize), 0);
    EXPECT_EQ(dispatch(effect, effEditGetRect), 0);
    EXPECT_EQ(dispatch(effect, effGetNumMidiInputChannels), 0);
    EXPECT_EQ(dispatch(effect, effStartProcess), 0);
    EXPECT_EQ(dispatch(effect, 9999), 0);
    closeEffect(effect);
}

struct PinRow {
    VstInt32 index;
    const char* label;
    const char* shortLabel;
    VstInt32 flags;
};

void expectPins(AEffect* effect, const std::vector<PinRow>& rows) {
    for (const PinRow& row : rows) {
        VstPinProperties pin;
        std::memset(&pin, 0x55, sizeof pin);
        EXPECT_EQ(dispatch(effect, effGetOutputProperties, row.index, 0, &pin), 1) << row.index;
        EXPECT_STREQ(pin.label, row.label) << row.index;
        ASSERT_NE(std::memchr(pin.shortLabel, 0, sizeof pin.shortLabel), nullptr) << "unterminated " << row.index;
        EXPECT_STREQ(pin.shortLabel, row.shortLabel) << row.index;
        EXPECT_EQ(pin.flags, row.flags) << row.index;
    }
}

constexpr VstInt32 kActive = kVstPinIsActive;
constexpr VstInt32 kActiveStereo = kVstPinIsActive | kVstPinIsStereo;

TEST_F(PluginEntry, LabelsEveryOutputPinOfTwelveTracks) {
    AEffect* effect = createWithVersionAnswer(kVstVersion);
    ASSERT_NE(effect, nullptr);
    std::vector<PinRow> rows = {{0, "Master", "LEFT", kActiveStereo},  {1, "Master", "RIGHT", kActive},
                                {14, "Send 1", "LEFT", kActiveStereo}, {15, "Send 1", "RIGHT", kActive},
                                {16, "Send 2", "LEFT", kActiveStereo}, {17, "Send 2", "RIGHT", kActive}};
    std::vector<std::string> names;
    for (VstInt32 i = 2; i <= 13; ++i)
        names.push_back("Drum " + std::to_string(i - 1));
    for (VstInt32 i = 2; i <= 13; ++i)
        rows.push_back({i, names[static_cast<std::size_t>(i - 2)].c_str(),
                        names[static_cast<std::size_t>(i - 2)].c_str(), kActive});
    expectPins(effect, rows);
    closeEffect(effect);
}

TEST_F(PluginEntry, AnswersPinsBeyondTheSendsLikeDrumPins) {
    AEffect* effect = createWithVersionAnswer(kVstVersion);
    ASSERT_NE(effect, nullptr);
    // A short label has room for 7 characters; a longer drum name is cut, never overrun.
    expectPins(effect, {{18, "Drum 17", "Drum 17", kActive},
                        {25, "Drum 24", "Drum 24", kActive},
                        {1000, "Drum 999", "Drum 99", kActive},
                        {2147483647, "Drum 2147483646", "Drum 21", kActive}});
    closeEffect(effect);
}

TEST_F(PluginEntry, ProcessesSilenceOnEveryOutput) {
    AEffect* effect = createWithVersionAnswer(kVstVersion);
    ASSERT_NE(effect, nullptr);
    dispatch(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    dispatch(effect, effSetBlockSize, 0, 256);
    dispatch(effect, effMainsChanged, 0, 1);
    OutputBlock block(kHostOutputs, 256, 0.5f);
    effect->processReplacing(effect, nullptr, block.pointers(), 256);
    EXPECT_TRUE(block.allSilent());
    closeEffect(effect);
}

int threadCount() {
    int count = 0;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(tasks))
            count += entry->d_name[0] != '.';
        closedir(tasks);
    }
    return count;
}

TEST_F(PluginEntry, ThousandCreateCloseCyclesLeaveNoThreadBehind) {
    const int threadsBefore = threadCount();
    for (int cycle = 0; cycle < 1000; ++cycle) {
        AEffect* effect = createWithVersionAnswer(cycle % 2 ? kVstVersion : kStandaloneSignature);
        ASSERT_NE(effect, nullptr);
        if (cycle % 3 == 0)
            dispatch(effect, effMainsChanged, 0, 1);
        closeEffect(effect);
    }
    // Instances alive at once share one timer, which stops with the last of them: a thread of
    // its own on Linux, a system timer of this thread on Windows.
    AEffect* first = createWithVersionAnswer(kVstVersion);
    AEffect* second = createWithVersionAnswer(kVstVersion);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_LE(threadCount(), threadsBefore + 1);
    closeEffect(first);
    EXPECT_LE(threadCount(), threadsBefore + 1);
    closeEffect(second);
    EXPECT_EQ(threadCount(), threadsBefore);
}

}  // namespace
}  // namespace rimba::test
