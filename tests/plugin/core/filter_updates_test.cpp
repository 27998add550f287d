// The filter-update list under loads that come faster than the audio thread: every band ends
// with the coefficients of the newest settings, however many loads came before the next block.

#include <gtest/gtest.h>

#include "plugin/core/Equaliser.h"
#include "tests/plugin/core/CoreFixture.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::test {
namespace {

void expectBandFollowsSettings(const EqBand& band, int kind, float gain, float freq, float q, int rate) {
    const EqCoefficients expected = designEqBand(eqBandKind(kind), eqGainDb(gain), eqFrequencyHz(freq), q, rate);
    EXPECT_EQ(band.coefficients.b0, expected.b0);
    EXPECT_EQ(band.coefficients.b1, expected.b1);
    EXPECT_EQ(band.coefficients.a1, expected.a1);
    EXPECT_EQ(band.coefficients.a2, expected.a2);
}

TEST(FilterUpdates, ProgramsGivenInARowBeforeTheNextBlockLeaveTheNewestCoefficientsEverywhere) {
    auto drums = makeInstrument(12);
    // Three programs that differ in every track's and the master's equaliser, given one after
    // the other as a host does while it restores a song, with no block in between.
    std::vector<std::vector<std::uint8_t>> programs;
    for (int p = 0; p < 3; ++p) {
        for (int t = 0; t < 12; ++t)
            for (int b = 0; b < kEqBands; ++b)
                test::stateOf(*drums).tracks.eqGain[static_cast<std::size_t>(t)][static_cast<std::size_t>(b)] =
                    0.1f * static_cast<float>(p + 1) - 0.01f * static_cast<float>(t);
        for (int b = 0; b < kEqBands; ++b)
            test::stateOf(*drums).masterEqGain[static_cast<std::size_t>(b)] =
                -0.2f * static_cast<float>(p + 1) + 0.05f * static_cast<float>(b);
        programs.push_back(drums->buildChunk());
    }
    auto host = makeInstrument(12);
    for (auto& block : programs)
        ASSERT_EQ(host->setChunk(block.data(), static_cast<VstInt32>(block.size()), false), 1);
    RenderBuffers buffers{18, 64};
    host->processReplacing(nullptr, buffers.pointers(), 64);  // the updates are taken at its end

    for (int t = 0; t < 12; ++t)
        for (int b = 0; b < kEqBands; ++b) {
            const auto slot = static_cast<std::size_t>(t);
            const auto band = static_cast<std::size_t>(b);
            SCOPED_TRACE(testing::Message() << "track " << t << " band " << b);
            expectBandFollowsSettings(test::stateOf(*host).trackEq[slot][band], b,
                                      test::stateOf(*host).tracks.eqGain[slot][band],
                                      test::stateOf(*host).tracks.eqFreq[slot][band],
                                      test::stateOf(*host).tracks.eqQ[slot][band], test::stateOf(*host).sampleRate);
            EXPECT_FLOAT_EQ(test::stateOf(*host).tracks.eqGain[slot][band], 0.3f - 0.01f * static_cast<float>(t));
        }
    for (int b = 0; b < kEqBands; ++b) {
        const auto band = static_cast<std::size_t>(b);
        SCOPED_TRACE(testing::Message() << "master band " << b);
        expectBandFollowsSettings(test::stateOf(*host).masterEq[band], b, test::stateOf(*host).masterEqGain[band],
                                  test::stateOf(*host).masterEqFreq[band], test::stateOf(*host).masterEqQ[band],
                                  test::stateOf(*host).sampleRate);
    }
}

TEST(FilterUpdates, OutsideALoadAFullListStillDropsTheChange) {
    auto drums = makeInstrument(12);
    RenderBuffers buffers{18, 64};
    drums->processReplacing(nullptr, buffers.pointers(), 64);  // empties the list
    int taken = 0;
    for (int i = 0; i < 150; ++i)
        taken += drums->queueEqUpdate(i % 12, i % kEqBands) ? 1 : 0;
    EXPECT_EQ(taken, 100);
}

}  // namespace
}  // namespace rimba::test
