// An idle voice (position -1) is silent until it is started again: releasing, choking or
// starting it never plays its sound as a ghost, and it never wanders back into its bounds.

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "tests/plugin/core/CoreFixture.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test {
namespace {

class IdleVoice : public ::testing::Test {
protected:
    void SetUp() override {
        giveTrackSound(*drums, 0, std::vector<std::int16_t>(20000, 10000));
        test::stateOf(*drums).voiceBusGain = 1.0f;
    }

    // The largest magnitude of track 1's own output over `frames` samples.
    float loudest(int frames) {
        float peak = 0.0f;
        for (int done = 0; done < frames; done += 100) {
            drums->processReplacing(nullptr, buffers.pointers(), 100);
            for (float x : buffers.channel(2))
                peak = std::max(peak, std::fabs(x));
        }
        return peak;
    }

    // Plays the track until the voice stands in the middle of its sound, then moves the end
    // point below it, which idles the voice with its gate still held.
    void idleWhilePlaying() {
        drums->auditionStart(0, 127, false);
        ASSERT_GT(loudest(15000), 0.2f);
        test::stateOf(*drums).tracks.end[0] = 0.5f;
        drums->recomputeBounds(0);
        ASSERT_EQ(test::stateOf(*drums).voices[0].position, -1.0f);
        ASSERT_EQ(test::stateOf(*drums).voices[0].gateOn, 1);
    }

    std::unique_ptr<VornDrums> drums = makeInstrument();
    RenderBuffers buffers{18, 100};
};

TEST_F(IdleVoice, AVoiceIdledByItsBoundsStaysSilentWithItsGateHeld) {
    idleWhilePlaying();
    EXPECT_EQ(loudest(12000), 0.0f);
}

TEST_F(IdleVoice, ReleasingOrChokingAnIdleVoicePlaysNoGhost) {
    idleWhilePlaying();
    drums->auditionStop(0, false);
    EXPECT_EQ(loudest(2000), 0.0f);
    test::stateOf(*drums).voices[0].command = 2;  // a choke
    EXPECT_EQ(loudest(2000), 0.0f);
}

TEST_F(IdleVoice, StartingAnIdleVoiceSoundsOnItsFirstSample) {
    idleWhilePlaying();
    drums->auditionStart(0, 127, false);
    drums->processReplacing(nullptr, buffers.pointers(), 1);
    EXPECT_GT(std::fabs(buffers.channel(2)[0]), 0.0f);
    EXPECT_EQ(test::stateOf(*drums).voices[0].fading, 0);
    EXPECT_GT(loudest(3000), 0.2f);
}

TEST_F(IdleVoice, ASoundingVoiceIsStillFadedBeforeItRestarts) {
    drums->auditionStart(0, 127, false);
    ASSERT_GT(loudest(1000), 0.05f);
    drums->auditionStart(0, 127, false);
    drums->processReplacing(nullptr, buffers.pointers(), 1);
    EXPECT_EQ(test::stateOf(*drums).voices[0].fading, 1);
    EXPECT_EQ(test::stateOf(*drums).voices[0].restartPending, 1);
}

}  // namespace
}  // namespace rimba::test
