// The instrument's own random source: independent of the C library's rand() and of other
// instruments, with the spread that `% n` draws need.

#include <array>
#include <cstdlib>

#include <gtest/gtest.h>

#include "plugin/core/RandomKeystrokes.h"
#include "tests/plugin/core/EngineFixture.h"
#include "tests/support/InstrumentProbe.h"

namespace rimba::engine_test {
namespace {

// Everything that draws: a regeneration from the editor, the sequencer's automatic one and the
// random chain at a pattern start.
void drawEverywhere(Engine& engine) {
    test::stateOf(*engine).tracks.randomMinDensity[0] = 2.0f;
    test::stateOf(*engine).tracks.randomMaxDensity[0] = 6.0f;
    test::stateOf(*engine).randomAuto = 1;
    test::stateOf(*engine).playMode = 2;
    test::stateOf(*engine).chainEnabled[3] = 1;
    regenerateAllRandom(test::stateOf(*engine));
    engine.play(static_cast<double>(kBar - 100));
    engine.render(512);
}

TEST(RandomSource, TheInstrumentNeverDrawsFromTheCLibrarysSequence) {
    std::srand(7);
    const std::array<int, 3> expected{std::rand(), std::rand(), std::rand()};
    std::srand(7);
    Engine engine;
    drawEverywhere(engine);
    EXPECT_EQ((std::array<int, 3>{std::rand(), std::rand(), std::rand()}), expected);
}

TEST(RandomSource, OneInstrumentsDrawsLeaveAnothersSequenceAlone) {
    Engine first;
    Engine second;
    const RandomSource before = test::stateOf(*second).random;
    drawEverywhere(first);
    RandomSource expected = before;
    EXPECT_EQ(test::stateOf(*second).random.next(), expected.next());
}

TEST(RandomSource, DrawsTakenModuloNAreSpreadEvenlyAndRepeatAfterTheSameSeed) {
    RandomSource source(12345);
    std::array<int, 16> counts{};
    for (int draw = 0; draw < 16000; ++draw) {
        const std::int32_t value = source.next();
        ASSERT_GE(value, 0);
        ++counts[static_cast<std::size_t>(value % 16)];
    }
    for (const int count : counts) {
        EXPECT_GT(count, 850);  // 1000 expected; the bounds lie about five standard deviations out
        EXPECT_LT(count, 1150);
    }
    RandomSource again(12345);
    RandomSource other(12346);
    const std::int32_t first = again.next();
    EXPECT_EQ(first, RandomSource(12345).next());
    EXPECT_NE(first, other.next());
}

}  // namespace
}  // namespace rimba::engine_test
