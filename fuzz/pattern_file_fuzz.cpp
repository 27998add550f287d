// Any bytes at all, read as a pattern set and as a single pattern (by an instrument of 12 tracks
// or of 8, by the parity of the length, since a reset of every pattern dominates each run), must
// leave a state that the writers turn into a file the readers take whole again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>

#include "plugin/files/PatternFile.h"

namespace {

rimba::InstrumentState& stateWithTracks(int tracks) {
    static std::unique_ptr<rimba::InstrumentState> twelve;
    static std::unique_ptr<rimba::InstrumentState> eight;
    std::unique_ptr<rimba::InstrumentState>& state = tracks == rimba::kSmallTrackCount ? eight : twelve;
    if (!state) {
        state = std::make_unique<rimba::InstrumentState>();
        state->trackCount = tracks;
    }
    return *state;
}

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

void readAndWriteBack(rimba::InstrumentState& state, std::span<const std::uint8_t> input) {
    const int lines = rimba::loadPatternSetBytes(state, input);
    if (lines < 0 || static_cast<std::size_t>(lines) > input.size())
        std::abort();
    // A set as written holds one line for each of the 16 patterns, and nothing the reader skips.
    const std::string set = rimba::patternSetText(state);
    if (rimba::loadPatternSetBytes(state, bytesOf(set)) != rimba::kPatternCount)
        std::abort();

    if (rimba::loadPatternBytes(state, input, 3) < 0)
        std::abort();
    const std::string single = rimba::patternText(state, 3);
    if (rimba::loadPatternBytes(state, bytesOf(single), 5) != 1)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    const int tracks = size % 2 == 0 ? rimba::kDefaultTrackCount : rimba::kSmallTrackCount;
    readAndWriteBack(stateWithTracks(tracks), input);
    return 0;
}
