// What the value readout writes for each control, against what the instrument does with the same
// value: the gains its voices take, the tuning ratio it stores, its master gain table. A text
// in the wrong unit, or off the engine's law, fails here.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "plugin/editor/ControlValueText.h"
#include "plugin/model/Tags.h"
#include "tests/plugin/editor/OpenEditor.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test {
namespace {

// The level at which the track plays at unity: 200^level / 100 = 1.
const float kUnityLevel = static_cast<float>(std::log(100.0) / std::log(200.0));

TEST(ControlValueText, EachControlWritesItsValueInTheUnitItIsHeardIn) {
    struct Case {
        const char* what;
        std::function<std::string(float)> text;
        float value;
        const char* expected;
    };
    const Case cases[] = {
        {"level at 0", levelText, 0.0f, "-inf dB"},
        {"level at unity", levelText, kUnityLevel, "0.0 dB"},
        {"level at half", levelText, 0.5f, "-17.0 dB"},  // 200^0.5 / 100 = 0.1414
        {"level at full", levelText, 1.0f, "+6.0 dB"},  // 200 / 100
        {"level at the silence threshold", levelText, 0.01f, "-inf dB"},
        {"pan full left", panText, 0.0f, "100 L"},
        {"pan 0.4", panText, 0.4f, "30 L"},  // right side 3 * 0.4 - 0.5 = 0.7
        {"pan quarter", panText, 0.25f, "75 L"},
        {"pan centre", panText, 0.5f, "C"},
        {"pan three quarters", panText, 0.75f, "75 R"},
        {"pan full right", panText, 1.0f, "100 R"},
        {"send off", sendText, 0.0f, "-inf dB"},
        {"send full", sendText, 1.0f, "0.0 dB"},  // 200 / 200
        {"send half", sendText, 0.5f, "-23.0 dB"},  // 200^0.5 / 200 = 0.0707
        {"level velocity none", levelVelocityText, 0.0f, "0 %"},
        {"level velocity 28", levelVelocityText, 0.28f, "28 %"},
        {"tune at the bottom", tuneText, 0.0f, "0 st"},
        {"tune at the middle", tuneText, 0.5f, "+0.50 st"},  // the engine takes the value as semitones
        {"tune at the top", tuneText, 1.0f, "+1 st"},
        {"tune velocity 0.3", tuneVelocityText, 0.3f, "+0.30 st"},
        {"master at 127", masterLevelText, 127.0f, "0.0 dB"},
        {"master at 64", masterLevelText, 64.0f, "-12.0 dB"},  // a quarter
        {"master at 63.6 (stored as 64)", masterLevelText, 63.6f, "-12.0 dB"},
        {"master at 0", masterLevelText, 0.0f, "-inf dB"},
        {"swing off", swingText, 0.0f, "0 %"},
        {"swing 64", swingText, 64.0f / 127.0f, "50 %"},  // odd steps half a step late
        {"swing 36", swingText, 36.0f / 127.0f, "28 %"},
        {"fill attenuation flat", fillAttenuationText, 64.0f / 127.0f, "0 %/hit"},
        {"fill attenuation 96", fillAttenuationText, 96.0f / 127.0f, "-44 %/hit"},  // 0.875 * 0.5 + 0.125
        {"fill attenuation 32", fillAttenuationText, 32.0f / 127.0f, "+78 %/hit"},  // 1 / (0.875 * 0.5 + 0.125)
        {"mix even", synthMixText, 0.5f, "Smp 100 % / Syn 100 %"},
        {"mix towards the sample", synthMixText, 0.6f, "Smp 100 % / Syn 70 %"},
        {"mix towards the synth", synthMixText, 0.0f, "Smp 0 % / Syn 100 %"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.text(c.value), c.expected) << c.what;
}

double numberIn(const std::string& text) {
    double number = 0.0;
    EXPECT_EQ(std::sscanf(text.c_str(), "%lf", &number), 1) << text;
    return number;
}

// Sweeps each control's range through the instrument itself: the written number is what the
// instrument made of the value, to the text's precision.
class ControlValueTextAgainstTheInstrument : public ::testing::Test {
protected:
    std::unique_ptr<VornDrums> drums = eightTrackInstrument();
    const int track = 2;
    const TrackVoice& voice() const { return test::stateOf(*drums).voices[static_cast<std::size_t>(track)]; }
    void set(tags::TrackSlot slot, float value) { drums->setValue(tags::trackTag(track, slot), value); }
    static double decibels(double gain) { return 20.0 * std::log10(gain); }
};

TEST_F(ControlValueTextAgainstTheInstrument, LevelAndSendsWriteTheDecibelsOfTheGainsTheVoiceTakes) {
    for (float value = 0.02f; value <= 1.0f; value += 0.07f) {
        set(tags::kLevel, value);
        set(tags::kSend1, value);
        EXPECT_NEAR(numberIn(levelText(value)), decibels(voice().levelGain), 0.051) << value;
        EXPECT_NEAR(numberIn(sendText(value)), decibels(voice().sendGain1), 0.051) << value;
    }
}

TEST_F(ControlValueTextAgainstTheInstrument, TuneWritesTheSemitonesOfTheStoredPlaybackRatio) {
    for (float value = 0.0f; value <= 1.0f; value += 0.1f) {
        set(tags::kTune, value);
        const double semitones =
            12.0 * std::log2(test::stateOf(*drums).tracks.tuneRatio[static_cast<std::size_t>(track)]);
        const std::string text = tuneText(value);
        EXPECT_NEAR(text == "0 st" ? 0.0 : numberIn(text), semitones, 0.0051) << value;
    }
}

TEST_F(ControlValueTextAgainstTheInstrument, MasterWritesTheDecibelsOfItsGainTableEntry) {
    for (int step = 1; step < 128; step += 9)
        EXPECT_NEAR(numberIn(masterLevelText(static_cast<float>(step))),
                    decibels(test::stateOf(*drums).masterGainTable[static_cast<std::size_t>(step)]), 0.051)
            << step;
}

}  // namespace
}  // namespace rimba::test
