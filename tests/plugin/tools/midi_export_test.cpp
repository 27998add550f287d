// The MIDI export, read back by an independent reader (mido, through midi_notes.py) for the note
// times and velocities, and byte by byte where the layout itself is the point.

#include <cstdio>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "plugin/tools/MidiExport.h"
#include "tests/plugin/files/PatternFixtures.h"
#include "tests/plugin/files/SoundFixtures.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test::patterns {
namespace {

using files::fixtures::TempFolder;

std::size_t at(int index) { return static_cast<std::size_t>(index); }

struct Note {
    long tick;
    int channel;
    int note;
    int velocity;
    bool operator==(const Note&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Note& n) {
    return out << "{tick " << n.tick << ", channel " << n.channel << ", note " << n.note << ", velocity " << n.velocity
               << "}";
}

struct MidoReading {
    bool accepted = false;
    int type = -1;
    int division = 0;
    int tracks = 0;
    std::vector<Note> notes;
    long endTick = -1;
    int otherEvents = 0;
};

// What mido makes of the file.
MidoReading readWithMido(const std::string& path) {
    const std::string script = (std::filesystem::path(__FILE__).parent_path() / "midi_notes.py").string();
    const std::string command = "/usr/bin/python3 '" + script + "' '" + path + "' 2>&1";
    MidoReading reading;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return reading;
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        output += buffer;
    reading.accepted = pclose(pipe) == 0;
    std::istringstream lines(output);
    std::string kind;
    while (lines >> kind) {
        if (kind == "file") {
            lines >> reading.type >> reading.division >> reading.tracks;
        } else if (kind == "note") {
            Note n{};
            lines >> n.tick >> n.channel >> n.note >> n.velocity;
            reading.notes.push_back(n);
        } else if (kind == "end") {
            lines >> reading.endTick;
        } else {
            ++reading.otherEvents;
            std::getline(lines, kind);
        }
    }
    EXPECT_TRUE(reading.accepted) << output;
    return reading;
}

std::uint32_t be32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) << 24 | static_cast<std::uint32_t>(bytes[offset + 1]) << 16 |
           static_cast<std::uint32_t>(bytes[offset + 2]) << 8 | bytes[offset + 3];
}

class MidiExport : public ::testing::Test {
protected:
    void SetUp() override {
        drums = makeDrums(12);
        test::stateOf(*drums).playMode = 0;
    }

    void setHit(int track, int pattern, int step, float velocity, float roll = 0.0f) {
        test::stateOf(*drums).patterns[at(track)].stepVelocity[at(pattern)][at(step)] = velocity;
        test::stateOf(*drums).patterns[at(track)].stepRoll[at(pattern)][at(step)] = roll;
    }

    // Exports, checks the file is what buildMidiFile makes, and reads it with mido.
    MidoReading exportAndRead() {
        const std::string path = folder / "out.mid";
        EXPECT_EQ(exportMidiFile(test::stateOf(*drums), path), 0);
        bytes = files::fixtures::readBytes(path);
        EXPECT_EQ(bytes, buildMidiFile(test::stateOf(*drums)));
        return readWithMido(path);
    }

    TempFolder folder;
    std::unique_ptr<VornDrums> drums;
    std::vector<std::uint8_t> bytes;
};

TEST_F(MidiExport, SixteenHitsOnOneTrackComeTwentyFourTicksApart) {
    for (int s = 0; s < 16; ++s)
        setHit(0, 0, s, 100.0f);
    const MidoReading midi = exportAndRead();
    EXPECT_EQ(midi.type, 0);
    EXPECT_EQ(midi.division, 96);
    EXPECT_EQ(midi.tracks, 1);
    EXPECT_EQ(midi.otherEvents, 0);
    ASSERT_EQ(midi.notes.size(), 16u);
    for (int s = 0; s < 16; ++s)
        EXPECT_EQ(midi.notes[at(s)], (Note{24L * s, 0, 36, 100}));
    EXPECT_EQ(midi.endTick, 360);
    ASSERT_EQ(bytes.size(), 22u + 4u + 16u * 4u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "MThd");
    EXPECT_EQ(be32(bytes, 4), 6u);
    EXPECT_EQ(std::string(bytes.begin() + 14, bytes.begin() + 18), "MTrk");
    EXPECT_EQ(be32(bytes, 18), 4u + 16u * 4u);
}

TEST_F(MidiExport, ADelayOfTwoHundredTicksIsWrittenAs0x81And0x48) {
    // A chained one-step pattern, then step 7 of the next, swung by 8 ticks: 24 + 168 + 8.
    test::stateOf(*drums).playMode = 1;
    test::stateOf(*drums).chainEnabled[0] = 1;
    test::stateOf(*drums).patternSteps[0] = 1;
    test::stateOf(*drums).chainEnabled[1] = 1;
    test::stateOf(*drums).swing = 43;  // 43 / 128 * 24 = 8.06
    setHit(0, 1, 7, 90.0f);
    const MidoReading midi = exportAndRead();
    ASSERT_EQ(midi.notes.size(), 1u);
    EXPECT_EQ(midi.notes[0], (Note{200, 0, 36, 90}));
    ASSERT_GE(bytes.size(), 27u);
    EXPECT_EQ(bytes[22], 0x81);
    EXPECT_EQ(bytes[23], 0x48);
    EXPECT_EQ(bytes[24], 0x90);
    EXPECT_EQ(be32(bytes, 18), 5u + 4u);
}

TEST_F(MidiExport, SwingOfSixtyFourMakesOddStepsTwelveTicksLate) {
    test::stateOf(*drums).swing = 64;
    for (int s = 0; s < 8; ++s)
        setHit(1, 0, s, 64.0f);
    const MidoReading midi = exportAndRead();
    ASSERT_EQ(midi.notes.size(), 8u);
    for (int s = 0; s < 8; ++s)
        EXPECT_EQ(midi.notes[at(s)].tick, 24L * s + (s % 2 == 1 ? 12 : 0)) << "step " << s;
}

TEST_F(MidiExport, RollOfThreeGivesFourNotesSixTicksApartRisingToTheLastAtFillAttenuationZero) {
    test::stateOf(*drums).fillAttenuation = 0;
    setHit(0, 0, 2, 100.0f, 3.0f);
    const MidoReading midi = exportAndRead();
    // Factors (3/8)^3, (3/8)^2, 3/8 and 1 of 100.
    const std::vector<Note> expected{{48, 0, 36, 5}, {54, 0, 36, 14}, {60, 0, 36, 37}, {66, 0, 36, 100}};
    EXPECT_EQ(midi.notes, expected);
}

TEST_F(MidiExport, RollOfTwoFallsFromTheFirstHitAboveFillAttenuationSixtyFour) {
    test::stateOf(*drums).fillAttenuation = 96;
    setHit(0, 0, 0, 64.0f, 2.0f);
    const MidoReading midi = exportAndRead();
    // First factor 0.5, spread 0.25: c = 0.625, so 64, 40 and 25, eight ticks apart.
    const std::vector<Note> expected{{0, 0, 36, 64}, {8, 0, 36, 40}, {16, 0, 36, 25}};
    EXPECT_EQ(midi.notes, expected);
}

TEST_F(MidiExport, RollOfOneIsTwelveTicksApartWithFullVelocityAtSixtyFourAndAFallAtOneTwentySeven) {
    setHit(0, 0, 0, 90.0f, 1.0f);
    MidoReading midi = exportAndRead();
    EXPECT_EQ(midi.notes, (std::vector<Note>{{0, 0, 36, 90}, {12, 0, 36, 90}}));
    test::stateOf(*drums).fillAttenuation = 127;
    setHit(0, 0, 0, 100.0f, 1.0f);
    midi = exportAndRead();
    // c = 1/64 - 1/8 * (1/64 - 1) = 0.138671875.
    EXPECT_EQ(midi.notes, (std::vector<Note>{{0, 0, 36, 100}, {12, 0, 36, 13}}));
}

TEST_F(MidiExport, AnEmptyPatternGivesATrackOfFourBytes) {
    const MidoReading midi = exportAndRead();
    EXPECT_TRUE(midi.notes.empty());
    EXPECT_EQ(midi.endTick, 0);
    ASSERT_EQ(bytes.size(), 26u);
    EXPECT_EQ(be32(bytes, 18), 4u);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 22, bytes.end()),
              (std::vector<std::uint8_t>{0x00, 0xFF, 0x2F, 0x00}));
}

TEST_F(MidiExport, TheChainIsExportedPatternAfterPatternInAscendingOrder) {
    test::stateOf(*drums).playMode = 2;
    test::stateOf(*drums).currentPattern = 0;
    setHit(0, 0, 0, 11.0f);  // the current pattern, not chained
    test::stateOf(*drums).chainEnabled[3] = 1;
    test::stateOf(*drums).patternSteps[3] = 8;
    setHit(2, 3, 0, 33.0f);
    test::stateOf(*drums).chainEnabled[1] = 1;
    test::stateOf(*drums).patternSteps[1] = 4;
    setHit(1, 1, 0, 21.0f);
    setHit(1, 1, 2, 22.0f);
    setHit(4, 2, 0, 44.0f);  // not chained
    test::stateOf(*drums).chainEnabled[2] = 0;
    test::stateOf(*drums).chainEnabled[5] = 1;
    test::stateOf(*drums).patternSteps[5] = 0;  // chained, but without steps
    setHit(5, 5, 0, 55.0f);
    test::stateOf(*drums).chainEnabled[6] = 1;
    test::stateOf(*drums).patternSteps[6] = 2;
    setHit(6, 6, 1, 66.0f);
    const MidoReading midi = exportAndRead();
    const std::vector<Note> expected{{0, 0, 37, 21}, {48, 0, 37, 22}, {96, 0, 38, 33}, {312, 0, 42, 66}};
    EXPECT_EQ(midi.notes, expected);
    EXPECT_EQ(midi.endTick, 312);
}

TEST_F(MidiExport, WithoutChainPlayOnlyTheCurrentPatternIsExported) {
    test::stateOf(*drums).currentPattern = 4;
    test::stateOf(*drums).chainEnabled[1] = 1;
    setHit(0, 1, 0, 10.0f);
    setHit(0, 4, 3, 40.0f);
    test::stateOf(*drums).playMode = 0;
    EXPECT_EQ(exportAndRead().notes, (std::vector<Note>{{72, 0, 36, 40}}));
    test::stateOf(*drums).playMode = 1;
    test::stateOf(*drums).chainEnabled[1] = 0;
    EXPECT_EQ(exportAndRead().notes, (std::vector<Note>{{72, 0, 36, 40}}));
}

TEST_F(MidiExport, ARandomKeystrokeOnAnEmptyStepIsExportedWithItsOwnRollCount) {
    TrackPatterns& planes = test::stateOf(*drums).patterns[3];
    planes.randomHit[4] = 1.0f;
    planes.randomVelocity[4] = 80.0f;
    planes.randomRoll[4] = 1.0f;  // two notes, spaced by the pattern's roll plane: a whole step
    planes.randomHit[6] = 1.0f;  // under a hit of the pattern, which wins
    planes.randomVelocity[6] = 20.0f;
    setHit(3, 0, 6, 100.0f);
    const MidoReading midi = exportAndRead();
    const std::vector<Note> expected{{96, 0, 39, 80}, {120, 0, 39, 80}, {144, 0, 39, 100}};
    EXPECT_EQ(midi.notes, expected);
}

TEST_F(MidiExport, AmongNotesOfEqualTimeTheOneMadeLastComesFirst) {
    setHit(0, 0, 0, 10.0f, 1.0f);  // 0 and 12
    setHit(1, 0, 0, 20.0f, 3.0f);  // 0, 6, 12 and 18
    const MidoReading midi = exportAndRead();
    const std::vector<Note> expected{{0, 0, 37, 20},  {0, 0, 36, 10},  {6, 0, 37, 20},
                                     {12, 0, 37, 20}, {12, 0, 36, 10}, {18, 0, 37, 20}};
    EXPECT_EQ(midi.notes, expected);
}

TEST_F(MidiExport, EachTrackPlaysItsOwnKey) {
    test::stateOf(*drums).settings.trackKey[3] = 60.0f;
    setHit(3, 0, 1, 70.0f);
    EXPECT_EQ(exportAndRead().notes, (std::vector<Note>{{24, 0, 60, 70}}));
}

TEST_F(MidiExport, EveryHitOfAFullChainOfTwelveTracksArrivesInTimeOrder) {
    test::stateOf(*drums).playMode = 1;
    long expectedNotes = 0;
    for (int p = 0; p < kPatternCount; ++p) {
        test::stateOf(*drums).chainEnabled[at(p)] = 1;
        test::stateOf(*drums).patternSteps[at(p)] = kMaxSteps;
        for (int t = 0; t < 12; ++t) {
            for (int s = 0; s < kMaxSteps; ++s) {
                const int roll = (p + t + s) % 4;
                setHit(t, p, s, static_cast<float>(1 + (p * 3 + t * 5 + s) % 127), static_cast<float>(roll));
                expectedNotes += roll + 1;
            }
        }
    }
    const MidoReading midi = exportAndRead();
    ASSERT_EQ(static_cast<long>(midi.notes.size()), expectedNotes);
    for (std::size_t i = 1; i < midi.notes.size(); ++i)
        ASSERT_LE(midi.notes[i - 1].tick, midi.notes[i].tick) << i;
    EXPECT_EQ(midi.notes.back().tick, 16L * 64 * 24 - 24 + 18);
}

TEST_F(MidiExport, APathThatCannotBeWrittenGivesMinusOne) {
    setHit(0, 0, 0, 100.0f);
    EXPECT_EQ(exportMidiFile(test::stateOf(*drums), folder / "missing/out.mid"), -1);
    EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
}

}  // namespace
}  // namespace rimba::test::patterns
